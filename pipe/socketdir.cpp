#include "socketdir.h"

#include "pathtrust.h"
#include "userfolders.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Why a directory cannot hold the sockets, and what the user does about it.
struct Problem {
    QString what;
    QString fix;
    bool hopeless = false; // the fix says why nothing helps
};

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A directory that nobody else can take: the user's own, a real directory, not writable by
// group or others. Empty when it is fit.
Problem ownershipProblem(const QString &label, const QString &path, const struct stat &info)
{
    if (info.st_uid != ::geteuid())
        return {QStringLiteral("%1 %2 belongs to another user (uid %3)")
                    .arg(label, path)
                    .arg(info.st_uid),
                QStringLiteral("remove it")};
    if ((info.st_mode & 022) != 0)
        return {QStringLiteral("%1 %2 is writable by other users (mode %3)")
                    .arg(label, path)
                    .arg(info.st_mode & 07777, 4, 8, QLatin1Char('0')),
                QStringLiteral("make it private with chmod 700 %1").arg(path)};
    return {};
}

Problem openProblem(const QString &label, const QString &path, int error)
{
    if (error == ELOOP || error == ENOTDIR)
        return {QStringLiteral("%1 %2 is a link or a file, no directory").arg(label, path),
                QStringLiteral("remove it")};
    return {QStringLiteral("%1 %2 cannot be opened (%3)").arg(label, path, systemError(error)),
            QString()};
}

// What is wrong, and what to do: the fix of the fallback, or the session directory set to another
// place; where nothing can help (hopeless), why.
QString failureText(const Problem &runtime, const Problem &fallback)
{
    QString text = fallback.what + QStringLiteral(": ");
    if (!runtime.what.isEmpty())
        text.prepend(runtime.what + QStringLiteral(", and "));
    if (fallback.hopeless)
        return text + fallback.fix;
    if (!fallback.fix.isEmpty())
        text += fallback.fix + QStringLiteral(", or ");
    return text + UserFolders::ownFolder(QStringLiteral("XDG_RUNTIME_DIR"));
}

const QString runtimeLabel = QStringLiteral("XDG_RUNTIME_DIR");
const QString fallbackLabel = QStringLiteral("the socket directory");

// The way to a directory: no folder or link on it that another user can change (to move the
// directory and its sockets away, or to lead the way elsewhere). The fix: the folder found closed
// by whoever can; where the user namespace hides its owner, nothing helps.
Problem wayProblem(const QString &label, const QString &path)
{
    const PathTrust::Finding finding = PathTrust::checkWay(path);
    if (finding.isClear())
        return {};
    const QString what = QStringLiteral("%1 %2 lies beyond %3, which %4")
                             .arg(label, path, finding.step, finding.reason);
    const QString unmapped = UserFolders::unmappedOwner(finding);
    if (!unmapped.isEmpty())
        return {what, unmapped, true};
    return {what, UserFolders::closing(finding)};
}

// Sockets are bound and connected through /proc/self/fd/N: the directory must be reachable
// there. Empty when it is.
QString procProblem(int descriptor, const QString &path)
{
    const QString through = QStringLiteral("/proc/self/fd/%1").arg(descriptor);
    struct stat direct, viaProc;
    if (::stat(QFile::encodeName(through).constData(), &viaProc) != 0)
        return QStringLiteral("the socket directory %1 cannot be reached through %2 (%3): the "
                              "program and its clients reach it there only, so /proc must be "
                              "mounted (mount -t proc proc /proc)")
            .arg(path, through, systemError(errno));
    if (::fstat(descriptor, &direct) != 0 || direct.st_dev != viaProc.st_dev ||
        direct.st_ino != viaProc.st_ino)
        return QStringLiteral("the socket directory %1 cannot be reached through %2: the /proc "
                              "mounted here is not this process's; mount its own (mount -t "
                              "proc proc /proc)")
            .arg(path, through);
    return QString();
}

// Opens a directory without following a link at its end, and checks what was opened, so the
// directory checked is the one used. -1 with *problem set when it is not fit; -1 with an empty
// problem when it does not exist.
int openChecked(const QString &label, const QString &path, Problem *problem)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(),
                                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) {
        *problem = errno == ENOENT ? Problem() : openProblem(label, path, errno);
        return -1;
    }
    struct stat info;
    if (::fstat(descriptor, &info) != 0)
        *problem = openProblem(label, path, errno);
    else
        *problem = ownershipProblem(label, path, info);
    if (problem->what.isEmpty())
        return descriptor;
    ::close(descriptor);
    return -1;
}

// Makes the directory and each missing folder above it, private to the user.
Problem makeDirectory(const QString &path)
{
    QString made;
    for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        made += QLatin1Char('/') + part;
        if (::mkdir(QFile::encodeName(made).constData(), 0700) != 0 && errno != EEXIST)
            return {QStringLiteral("%1 %2 cannot be made (%3)")
                        .arg(fallbackLabel, path, systemError(errno)),
                    QString()};
    }
    return {};
}

} // namespace

SocketDir::SocketDir(Use use)
{
    Problem runtime;
    const QString runtimePath = runtimeDirectory();
    if (!runtimePath.isEmpty()) {
        m_path = runtimePath;
        runtime = wayProblem(runtimeLabel, runtimePath);
        if (runtime.what.isEmpty())
            m_descriptor = openChecked(runtimeLabel, runtimePath, &runtime);
        if (isOpen()) {
            checkReachable();
            return;
        }
        if (runtime.what.isEmpty())
            runtime.what = QStringLiteral("%1 %2 does not exist").arg(runtimeLabel, runtimePath);
    }
    QString stateNote;
    m_path = fallbackDirectory(&stateNote);
    // Nothing is made on a way that another user could have laid.
    Problem fallback = wayProblem(fallbackLabel, m_path);
    if (fallback.what.isEmpty() && use == Use::Make) {
        fallback = makeDirectory(m_path);
        if (fallback.what.isEmpty())
            fallback = wayProblem(fallbackLabel, m_path);
    }
    if (fallback.what.isEmpty())
        m_descriptor = openChecked(fallbackLabel, m_path, &fallback);
    if (!fallback.what.isEmpty()) {
        m_failure = failureText(runtime, fallback);
        return;
    }
    checkReachable();
    if (!runtime.what.isEmpty())
        m_passedOver << runtime.what + QStringLiteral(", so it is passed over");
    if (!stateNote.isEmpty())
        m_passedOver << stateNote;
}

// An open directory that sockets cannot reach is as good as none, and the reason is /proc.
void SocketDir::checkReachable()
{
    if (!isOpen())
        return;
    m_failure = procProblem(m_descriptor, m_path);
    if (m_failure.isEmpty())
        return;
    ::close(m_descriptor);
    m_descriptor = -1;
}

SocketDir::~SocketDir()
{
    if (isOpen())
        ::close(m_descriptor);
}

bool SocketDir::isOpen() const
{
    return m_descriptor >= 0;
}

const QString &SocketDir::path() const
{
    return m_path;
}

const QString &SocketDir::failure() const
{
    return m_failure;
}

const QStringList &SocketDir::passedOver() const
{
    return m_passedOver;
}

QString SocketDir::file(const QString &name) const
{
    return m_path + QLatin1Char('/') + name;
}

QString SocketDir::address(const QString &name) const
{
    return isOpen() ? addressThrough(m_descriptor, name) : QString();
}

QString SocketDir::addressThrough(int descriptor, const QString &name)
{
    return QStringLiteral("/proc/self/fd/%1/%2").arg(descriptor).arg(name);
}

QString SocketDir::directory()
{
    return SocketDir().path();
}

QString SocketDir::runtimeDirectory()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return QDir::isAbsolutePath(runtime) ? QDir::cleanPath(runtime) : QString();
}

// In the state home, as the program's files are: an XDG_STATE_HOME that is no absolute path, or
// that another user can change (one inherited through "sudo -E"), is passed over for the
// account's own.
QString SocketDir::fallbackDirectory(QString *passedOver)
{
    QString state = UserFolders::base(QStringLiteral("XDG_STATE_HOME"),
                                      qEnvironmentVariable("XDG_STATE_HOME"), passedOver);
    if (state.isEmpty())
        state = PathTrust::accountHome() + QStringLiteral("/.local/state");
    // A folder per machine: a home shared by several machines (over NFS) holds each one's
    // sockets apart, so that no program takes another machine's live socket for a stale one.
    QString host = QSysInfo::machineHostName();
    QString notAName;
    if (!checkName(host, &notAName))
        host = QStringLiteral("localhost");
    return QDir::cleanPath(state + QStringLiteral("/kvl52110/sockets/") + host);
}

bool SocketDir::checkName(const QString &name, QString *why)
{
    const QByteArray bytes = QFile::encodeName(name);
    const bool oneComponent = !name.isEmpty() && name != QLatin1String(".") &&
                              name != QLatin1String("..") && !bytes.contains('/') &&
                              !bytes.contains('\0') && bytes.size() <= MaxNameBytes;
    if (!oneComponent)
        *why = QStringLiteral("\"%1\" is no socket name: a socket name is one file name of 1 to "
                              "%2 bytes, without \"/\", other than \".\" and \"..\"")
                   .arg(name)
                   .arg(MaxNameBytes);
    return oneComponent;
}
