#pragma once

// The X server's own view of windows, read with the tools of x11-utils (xprop, xwininfo), for
// tests on an X server with a window manager: Qt reports a state or size it asked the window
// manager for before the window manager has carried it out; and a person's Close of a window
// (header only; a test that closes links xcb).

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <cstdlib>

#include <xcb/xcb.h>

namespace X11Tools
{

// A tool's standard output, or "<tool failed>".
inline QByteArray output(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(tool), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return "<" + tool.toLatin1() + " failed>";
    return process.readAllStandardOutput();
}

// A property of the window with the X id, as xprop prints it ("NAME(TYPE) = ...").
inline QByteArray property(quintptr window, const char *name)
{
    return output(QStringLiteral("xprop"),
                  {QStringLiteral("-id"), QString::number(window), QString::fromLatin1(name)});
}

// Asks the window manager of $DISPLAY to close the window with the X id, as a click on its close
// button does: the manager sends the program WM_DELETE_WINDOW. False when nothing was sent.
inline bool closeAsAPerson(quintptr window)
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const char name[] = "_NET_CLOSE_WINDOW";
    xcb_intern_atom_reply_t *atom =
        xcb_connection_has_error(connection)
            ? nullptr
            : xcb_intern_atom_reply(connection,
                                    xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
    bool sent = false;
    if (atom) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = xcb_window_t(window);
        message.type = atom->atom;
        message.data.data32[0] = XCB_CURRENT_TIME;
        message.data.data32[1] = 2; // from a person's tool, as a pager is
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_send_event(connection, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&message));
        // A round trip before the disconnection: the server may drop what it has not run yet.
        xcb_get_input_focus_reply_t *synced = xcb_get_input_focus_reply(
            connection, xcb_get_input_focus(connection), nullptr);
        sent = synced != nullptr;
        std::free(synced);
    }
    std::free(atom);
    xcb_disconnect(connection);
    return sent;
}

} // namespace X11Tools
