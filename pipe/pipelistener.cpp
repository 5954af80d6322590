#include "pipelistener.h"

#include <poll.h>
#include <sys/socket.h>

void PipeListener::incomingConnection(quintptr descriptor)
{
    emit signal_accepted(int(descriptor));
}

void PipeListener::takeWaiting()
{
    const int listening = int(socketDescriptor());
    pollfd waiting{listening, POLLIN, 0};
    while (listening >= 0 && ::poll(&waiting, 1, 0) > 0 && (waiting.revents & POLLIN)) {
        const int descriptor = ::accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
        if (descriptor < 0)
            return;
        emit signal_accepted(descriptor);
    }
}
