#include "pipelistener.h"

void PipeListener::incomingConnection(quintptr descriptor)
{
    emit signal_accepted(int(descriptor));
}
