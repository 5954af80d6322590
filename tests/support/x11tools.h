#pragma once

// The X server's own view of windows, read with the tools of x11-utils (xprop, xwininfo), for
// tests on an X server with a window manager: Qt reports a state or size it asked the window
// manager for before the window manager has carried it out; and a person's Close of a window
// (header only; a test that closes links xcb).

#include <QByteArray>
#include <QMargins>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
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

// The place and size of the window with the X id on the screen, its frame left out (xwininfo);
// an invalid rectangle when the tool fails.
inline QRect geometry(quintptr window)
{
    static const QRegularExpression field(
        QStringLiteral("(Absolute upper-left [XY]|Width|Height): +(-?\\d+)"));
    const QString info = QString::fromLatin1(
        output(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)}));
    QList<int> values;
    for (auto match = field.globalMatch(info); match.hasNext();)
        values << match.next().captured(2).toInt();
    return values.size() == 4 ? QRect(values.at(0), values.at(1), values.at(2), values.at(3))
                              : QRect();
}

// The frame a window manager put around the window with the X id (_NET_FRAME_EXTENTS), or
// none.
inline QMargins frameExtents(quintptr window)
{
    const QByteArray text =
        output(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window),
                                         QStringLiteral("_NET_FRAME_EXTENTS")});
    const QList<QByteArray> sides = text.mid(text.indexOf('=') + 1).split(',');
    if (!text.contains('=') || sides.size() != 4)
        return QMargins();
    return QMargins(sides.at(0).trimmed().toInt(), sides.at(2).trimmed().toInt(),
                    sides.at(1).trimmed().toInt(), sides.at(3).trimmed().toInt());
}

// A property of the window with the X id, as xprop prints it ("NAME(TYPE) = ...").
inline QByteArray property(quintptr window, const char *name)
{
    return output(QStringLiteral("xprop"),
                  {QStringLiteral("-id"), QString::number(window), QString::fromLatin1(name)});
}

// A point on the screen as xdotool's mousemove takes it ("x y" as two arguments).
inline QStringList point(const QPoint &at)
{
    return {QString::number(at.x()), QString::number(at.y())};
}

// Asks the window manager to close the window with the X id, as a click on its close button
// does (it sends the program WM_DELETE_WINDOW); false when nothing was sent.
inline bool closeAsAPerson(quintptr window)
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 17, "_NET_CLOSE_WINDOW"), nullptr);
    xcb_client_message_event_t message{XCB_CLIENT_MESSAGE, 32, 0, xcb_window_t(window)};
    message.type = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
    message.data.data32[1] = 2; // from a person's tool, as a pager is
    xcb_send_event(c, 0, xcb_setup_roots_iterator(xcb_get_setup(c)).data->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    // A round trip first: the server may drop what a client sent just before it left.
    xcb_get_input_focus_reply_t *synced =
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    const bool sent = atom && synced;
    std::free(atom);
    std::free(synced);
    xcb_disconnect(c);
    return sent;
}

} // namespace X11Tools
