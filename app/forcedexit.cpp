#include "forcedexit.h"

#include "localserver.h"

#include <QGuiApplication>

#include <atomic>
#include <cstdlib>

#include <unistd.h>
#include <xcb/xcb.h>

namespace
{

std::atomic<LocalServer *> guarded{nullptr};
std::atomic<bool> registered{false};

// What the person or the script's operator watching standard error learns.
const char LostNote[] =
    "kvl52110: ended at once, its display gone: the requests not answered yet were closed "
    "without a reply, a command still running stopped where it was, and the window layout since "
    "its last save is lost (the options were saved as they changed)\n";

// Whether the exit comes from the X server's connection broken: Qt's X11 platform exits when
// it finds its connection in error. Any other exit (a benchmark's, a library's) leaves the
// display as it was.
bool displayGone()
{
    const auto *x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 && x11->connection() && xcb_connection_has_error(x11->connection()) != 0;
}

} // namespace

void ForcedExit::guard(LocalServer *server)
{
    guarded.store(server);
    if (server && !registered.exchange(true))
        std::atexit(&ForcedExit::onExit);
}

void ForcedExit::release()
{
    guarded.store(nullptr);
}

// Runs within exit(), on the thread that called it: Qt's statics may be gone, so only the
// server's own state, system calls and the application object where it still lives.
void ForcedExit::onExit()
{
    LocalServer *server = guarded.exchange(nullptr);
    if (!server)
        return;
    server->abandonAtExit();
    if (!displayGone())
        return;
    [[maybe_unused]] const ssize_t said = ::write(STDERR_FILENO, LostNote, sizeof LostNote - 1);
}
