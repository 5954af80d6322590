#pragma once

#include <QString>
#include <QStringList>

// The directory of the command sockets, open, so that no other local user can put a socket in
// the program's place or take it away: $XDG_RUNTIME_DIR when that is a directory of the user's
// own that no other user can write, otherwise $XDG_STATE_HOME/kvl52110/sockets/HOST (unless
// another user can change XDG_STATE_HOME; by default ~/.local/state/kvl52110/sockets/HOST in the
// home of the user's account, HOST being the machine's host name), a place that no other user
// can make first. No folder or link on the way
// to either may be one that another user can change (PathTrust), and nothing is made on such a
// way. The directory is checked once it is open (a real directory, the user's, not writable by
// group or others), and sockets are bound and connected through its descriptor
// (/proc/self/fd/N/NAME): the directory checked is the one used, and a path of any length fits
// a socket address; without /proc there is no directory.
class SocketDir
{
public:
    // A server makes the fallback directory (mode 0700) when it is missing; a client only looks.
    enum class Use { Look, Make };

    explicit SocketDir(Use use = Use::Look);
    ~SocketDir();
    SocketDir(const SocketDir &) = delete;
    SocketDir &operator=(const SocketDir &) = delete;

    bool isOpen() const;
    // The directory's path; where it was looked for when it could not be opened.
    const QString &path() const;
    // Why it could not be opened: one sentence naming the directory and what to do; empty when
    // it is open, or when it is merely missing.
    const QString &failure() const;
    // The places passed over on the way to it, each one sentence naming it and why: an
    // XDG_RUNTIME_DIR that is unfit, an XDG_STATE_HOME that another user can change.
    const QStringList &passedOver() const;
    // The socket of a name as a person finds it: path() + "/" + name.
    QString file(const QString &name) const;
    // The path to listen or connect on for a name: through the open directory's descriptor.
    // Valid while this object lives.
    QString address(const QString &name) const;
    // The same through another descriptor of the directory.
    static QString addressThrough(int descriptor, const QString &name);
    // The open directory's descriptor (-1 when it is not open), valid while this object lives.
    int descriptor() const { return m_descriptor; }

    // The directory the sockets live in (opened and closed again to tell).
    static QString directory();

    // The longest socket name: its address through a descriptor still fits a socket address.
    static constexpr int MaxNameBytes = 80;
    // A socket name is one path component: not empty, no "/", not "." or "..", no zero
    // character, at most MaxNameBytes bytes. False with *why (one sentence) otherwise.
    static bool checkName(const QString &name, QString *why);

private:
    void checkReachable();
    static QString runtimeDirectory();
    static QString fallbackDirectory(QString *passedOver);

    int m_descriptor = -1;
    QString m_path;
    QString m_failure;
    QStringList m_passedOver;
};
