#pragma once

// A pause within a long command (between a page's register writes, between the rows of auto
// addressing). On the GUI thread the window system is served meanwhile: windows repaint, and a
// Close of the main window is taken at once (the command socket then refuses new connections,
// and the status bar says that the program ends once the command is done), rather than when the
// command ends. A person's clicks and keys meanwhile wait and take effect, in order, once the
// command is done (HeldInput); timers, queued calls and sockets are served as a progress window
// serves them. Elsewhere it only sleeps.
namespace CommandPause
{

void wait(unsigned ms);

} // namespace CommandPause
