#pragma once

class LocalServer;

// An exit that the program's own end did not ask for. Qt's X11 platform ends the program with
// exit(1) when its connection to the X server breaks (a logout, a crashed desktop, a remote
// display that drops): from the event loop, or from inside an X call, so the program's end
// never runs. What exit() still runs, this runs first of all the program needs: the command
// server refuses new connections, ends those it has without a reply (a client then learns that
// the program ended before answering) and removes its socket file, and, when the display is
// what went, standard error says what was lost. The options are on disk already (they are written
// as they change); the window state since its last save is lost. One server at a time; the handler
// is registered once, with atexit, at the first guard, after Qt's own.
class ForcedExit
{
public:
    // From now on an exit that was not asked for ends the server's connections (null: none).
    static void guard(LocalServer *server);
    // The program ends through its own end: an exit from now on is its own.
    static void release();

private:
    static void onExit();
};
