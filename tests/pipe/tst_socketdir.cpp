// Where the command socket lives, and the server's start there: a directory of the user's own
// that no other user can write or make first, a place of any path length, names that are one
// file name, and a start that does not serve saying why, without asking anybody when nobody can
// answer. The Python client of docs/scripts.md finds the socket wherever the program serves.
#include "asnobody.h"
#include "inchild.h"
#include "localclient.h"
#include "localserver.h"
#include "pipename.h"
#include "recordingprompt.h"
#include "socketdir.h"
#include "testfiles.h"
#include "tst_pipefixture.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <optional>

#include <fcntl.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// The mode and owner of a path, not following a link.
QPair<uint, uint> modeAndOwner(const QString &path)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return {0, 0};
    return {uint(info.st_mode & 07777), uint(info.st_uid)};
}

bool isSocket(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISSOCK(info.st_mode);
}

ino_t inode(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

uint nobodyUid()
{
    const passwd *nobody = ::getpwnam("nobody");
    return nobody ? nobody->pw_uid : 0;
}

gid_t nobodysGroup()
{
    const passwd *nobody = ::getpwnam("nobody");
    return nobody ? nobody->pw_gid : 0;
}

// Makes path a place that no socket may go to: another user's directory, one that others
// may write, a link to a directory of the user's own, a file, or nothing (or, "own", one that
// is fit). False when that needs
// root and the test does not run as root.
bool makeUnfit(const QString &path, const QString &kind)
{
    const QByteArray bytes = QFile::encodeName(path);
    if (kind == "file")
        return QFile(path).open(QIODevice::WriteOnly);
    if (kind == "link")
        return QDir().mkpath(path + "-target") && QFile::link(path + "-target", path);
    if (kind == "missing")
        return true;
    if (!QDir().mkpath(path) || ::chmod(bytes.constData(), 0700) != 0)
        return false;
    if (kind == "own")
        return true;
    if (kind == "group writable") // of a group with others in it, as root can make it
        return ::chmod(bytes.constData(), 0770) == 0 &&
               (::geteuid() != 0 || ::chown(bytes.constData(), 0, nobodysGroup()) == 0);
    if (kind == "open")
        return ::chmod(bytes.constData(), 0777) == 0;
    if (kind == "private group") // root's group is root's alone
        return ::geteuid() == 0 && ::chmod(bytes.constData(), 0770) == 0;
    if (kind == "shared")
        return ::chmod(bytes.constData(), 01777) == 0;
    return ::geteuid() == 0 && ::chown(bytes.constData(), nobodyUid(), 0) == 0;
}

// A directory of path's length at least, of the user's own.
QString longDirectory(const QString &base, int length)
{
    QString path = base;
    while (path.size() < length)
        path += "/" + QString(40, 'd');
    const bool made =
        QDir().mkpath(path) && QFile::setPermissions(path, QFileDevice::Permissions(0x7700));
    return made ? path : QString();
}

// The test's thread, and the programs it starts, under another host name while this lives (in
// a namespace of their own); inactive where that needs root.
class HostNameScope
{
public:
    explicit HostNameScope(const QByteArray &name)
        : m_home(::open("/proc/thread-self/ns/uts", O_RDONLY | O_CLOEXEC))
    {
        m_active = m_home >= 0 && ::unshare(CLONE_NEWUTS) == 0 &&
                   ::sethostname(name.constData(), size_t(name.size())) == 0;
    }
    ~HostNameScope()
    {
        if (m_active)
            ::setns(m_home, CLONE_NEWUTS);
        if (m_home >= 0)
            ::close(m_home);
    }
    HostNameScope(const HostNameScope &) = delete;
    HostNameScope &operator=(const HostNameScope &) = delete;
    bool active() const { return m_active; }

private:
    int m_home;
    bool m_active = false;
};

} // namespace

class TestSocketDir : public QObject
{
    Q_OBJECT

    RecordingHandler handler;
    std::unique_ptr<QTemporaryDir> temp;
    std::unique_ptr<EnvScope> runtime, state;

    QString runtimeDir() const { return temp->path() + "/run"; }
    QString stateHome() const { return temp->path() + "/state"; }
    QString fallback() const
    {
        return stateHome() + "/kvl52110/sockets/" + QSysInfo::machineHostName();
    }

private slots:
    // A session directory and a state home of the test's own for each test.
    void init()
    {
        handler.takeCalls();
        temp = std::make_unique<QTemporaryDir>();
        QVERIFY(temp->isValid() && QDir().mkdir(runtimeDir()));
        QVERIFY(QFile::setPermissions(runtimeDir(), QFileDevice::Permissions(0x7700)));
        runtime = std::make_unique<EnvScope>("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir()));
        state = std::make_unique<EnvScope>("XDG_STATE_HOME", QFile::encodeName(stateHome()));
    }
    void cleanup()
    {
        runtime.reset();
        state.reset();
        temp.reset();
        Prompt::setUnattended(false);
    }

    // The session's directory where it is named and fit, otherwise the folder in the state home
    // of the account the program runs as (whatever HOME says).
    void places()
    {
        QCOMPARE(PipeName::socketFile("KVL52110"), runtimeDir() + "/KVL52110");
        {
            const EnvScope none("XDG_RUNTIME_DIR", QByteArray());
            QCOMPARE(PipeName::socketFile("KVL52110"), fallback() + "/KVL52110");
        }
        const EnvScope relative("XDG_RUNTIME_DIR", "relative/dir");
        QCOMPARE(PipeName::socketFile("KVL52110"), fallback() + "/KVL52110");
        const EnvScope relativeState("XDG_STATE_HOME", "relative/state");
        const EnvScope home("HOME", QFile::encodeName(temp->path()));
        const passwd *account = ::getpwuid(::geteuid());
        QVERIFY(account);
        QCOMPARE(PipeName::socketFile("KVL52110"), QFile::decodeName(account->pw_dir) +
                                                       "/.local/state/kvl52110/sockets/" +
                                                       QSysInfo::machineHostName() + "/KVL52110");
    }

    // Without a session directory the server makes its folder and those above it, private,
    // and serves in it.
    void serverMakesItsDirectory()
    {
        const EnvScope none("XDG_RUNTIME_DIR", QByteArray());
        LocalServer server(&handler);
        QVERIFY2(server.start("KVLDIR"), qPrintable(server.failure()));
        for (const QString &dir : {stateHome(), stateHome() + "/kvl52110", fallback()})
            QCOMPARE(modeAndOwner(dir), qMakePair(0700u, uint(::geteuid())));
        QVERIFY(isSocket(fallback() + "/KVLDIR"));
        QCOMPARE(PipeClient::exchange("KVLDIR", "get\tA.B\n"), QByteArray("i7"));
    }

    // A session directory that another user could use against the program (theirs, open to
    // writing by others, a link, no directory at all) is passed over: the program serves in the
    // fallback, where its clients look too, and puts nothing in it.
    void unfitSessionDirectoryPassedOver_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind :
             {"another user's", "group writable", "shared", "link", "file", "missing"})
            QTest::newRow(kind) << kind;
    }
    void unfitSessionDirectoryPassedOver()
    {
        QFETCH(QString, kind);
        const QString unfit = temp->path() + "/unfit";
        if (!makeUnfit(unfit, kind))
            QSKIP("needs root to give the directory to another user");
        const EnvScope place("XDG_RUNTIME_DIR", QFile::encodeName(unfit));
        QCOMPARE(PipeName::socketFile("KVL52110"), fallback() + "/KVL52110");
        LocalServer server(&handler);
        QVERIFY2(server.start("KVL52110"), qPrintable(server.failure()));
        QVERIFY(isSocket(fallback() + "/KVL52110"));
        QVERIFY(!QFileInfo::exists(unfit + "/KVL52110"));
        QCOMPARE(PipeClient::exchange("KVL52110", "get\tA.B\n"), QByteArray("i7"));
    }

    // A folder or link on the way that another user can change (theirs, open to others' writing,
    // a link into theirs) lets them move the socket away or lay the way elsewhere: a session
    // directory beyond one is passed over, and so is a state home beyond one (as the program's
    // files pass it over, "sudo -E"): the fallback is the account's own; nothing is made there.
    void foreignWay_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>(
            "session"); // the session directory lies beyond it, or the state home
        for (bool session : {true, false}) {
            for (const char *kind : {"another user's", "group writable", "link"})
                QTest::newRow(qPrintable(QString(kind) + (session ? " session" : " state")))
                    << kind << session;
        }
    }
    void foreignWay()
    {
        QFETCH(QString, kind);
        QFETCH(bool, session);
        const QString theirs = temp->path() + "/theirs";
        if (::geteuid() != 0 || !makeUnfit(theirs, kind == "link" ? "another user's" : kind))
            QSKIP("needs root to give the directory to another user or group");
        const QString way = kind == "link" ? temp->path() + "/way" : theirs;
        QVERIFY(way == theirs || QFile::link(theirs, way));
        const QString inner = way + "/inner";
        const EnvScope place("XDG_RUNTIME_DIR", session ? QFile::encodeName(inner) : QByteArray());
        const EnvScope home("XDG_STATE_HOME", QFile::encodeName(session ? stateHome() : inner));
        const QString reason = kind == "group writable"
                                   ? QString("is writable by other users (mode 0770)")
                                   : QString("belongs to another user (uid %1)").arg(nobodyUid());
        if (session) {
            LocalServer server(&handler);
            QVERIFY(makeUnfit(theirs + "/inner", "own"));
            QVERIFY2(server.start("KVL52110"), qPrintable(server.failure()));
            QVERIFY(isSocket(fallback() + "/KVL52110"));
            QVERIFY(QDir(inner).isEmpty());
            QCOMPARE(PipeClient::exchange("KVL52110", "get\tA.B\n"), QByteArray("i7"));
            QCOMPARE(server.passedOver(),
                     QStringList{"XDG_RUNTIME_DIR " + inner + " lies beyond " + theirs +
                                 ", which " + reason + ", so it is passed over"});
            return;
        }
        const SocketDir dir; // looks only: the account's home is the real one
        QCOMPARE(dir.path(), QFile::decodeName(::getpwuid(::geteuid())->pw_dir) +
                                 "/.local/state/kvl52110/sockets/" + QSysInfo::machineHostName());
        QCOMPARE(dir.passedOver(), QStringList{"XDG_STATE_HOME " + inner +
                                               " is passed over: " + theirs + " " + reason});
        QVERIFY(QDir(theirs).isEmpty());
    }

    // In a user namespace that shows root's files as the overflow uid (as "unshare -r" of
    // another user does), no folder counts as the user's: the refusal says why, and offers no
    // advice that cannot help.
    void unmappedRootRefused()
    {
        const QByteArray said = AsNobody::run([]() -> QByteArray {
            const auto put = [](const char *file, const QByteArray &text) { // one write
                const int fd = ::open(file, O_WRONLY | O_CLOEXEC);
                return fd >= 0 && ::write(fd, text.constData(), size_t(text.size())) == text.size();
            };
            if (::prctl(PR_SET_DUMPABLE, 1) != 0 || ::unshare(CLONE_NEWUSER) != 0 ||
                !put("/proc/self/setgroups", "deny") ||
                !put("/proc/self/uid_map", "0 " + QByteArray::number(::getuid()) + " 1") ||
                !put("/proc/self/gid_map", "0 " + QByteArray::number(::getgid()) + " 1"))
                return "child failed: no user namespace";
            return SocketDir(SocketDir::Use::Make).failure().toUtf8();
        });
        if (said.startsWith("child failed"))
            QSKIP("needs a user namespace");
        const QString overflow = TestFiles::read("/proc/sys/kernel/overflowuid").trimmed();
        const QString beyondRoot =
            " lies beyond /, which belongs to another user (uid " + overflow + ")";
        QCOMPARE(QString::fromUtf8(said),
                 "XDG_RUNTIME_DIR " + runtimeDir() + beyondRoot + ", and the socket directory " +
                     QFile::decodeName(::getpwuid(0)->pw_dir) + "/.local/state/kvl52110/sockets/" +
                     QSysInfo::machineHostName() + beyondRoot + ": uid " + overflow +
                     " is how this user namespace shows the owners it does not map (see "
                     "/proc/self/uid_map), root among them, so no folder here counts as yours: "
                     "start the program outside the namespace");
    }

    // Without /proc no socket can be reached through the directory: the server and its clients
    // say so, instead of taking the name for one in use.
    void withoutProc()
    {
        const auto withoutProc = []() {
            return ::unshare(CLONE_NEWNS) == 0 &&
                   ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                   ::mount("none", "/proc", "tmpfs", 0, nullptr) == 0;
        };
        // In the session directory, and in the fallback.
        const QByteArray said = InChild::run(withoutProc, [this]() {
            Prompt::setUnattended(true);
            QByteArray texts;
            for (const QByteArray &session : {QFile::encodeName(runtimeDir()), QByteArray()}) {
                const EnvScope place("XDG_RUNTIME_DIR", session);
                LocalServer server(&handler);
                const bool started = server.start("KVL52110");
                texts += (started ? QString("started") : server.failure()).toUtf8() + "|" +
                         SocketDir().failure().toUtf8() + "|";
            }
            return texts;
        });
        if (said == "child failed: exit 2")
            QSKIP("needs a mount namespace of its own");
        const QStringList texts = QString::fromUtf8(said).split("|", Qt::SkipEmptyParts);
        QCOMPARE(texts.size(), 4);
        for (int i = 0; i < texts.size(); ++i) {
            const QString &text = texts.at(i);
            QVERIFY2(text.startsWith("the socket directory " + (i < 2 ? runtimeDir() : fallback()) +
                                     " cannot be reached through /proc/self/fd/"),
                     qPrintable(text));
            QVERIFY2(text.endsWith("so /proc must be mounted (mount -t proc proc /proc)"),
                     qPrintable(text));
        }
    }

    // When the fallback is no place for the sockets either, nothing listens, and the reason
    // names the directory, what is wrong with it and what to do (with why the session directory
    // was passed over). Nobody is asked when nobody can answer; a person is shown it.
    void unfitFallbackRefused_data()
    {
        QTest::addColumn<QString>("sessionKind");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("why");
        const QString alternative =
            "set XDG_RUNTIME_DIR to a folder of your own on a way that no other user can change "
            "(such as a new one in /tmp: export XDG_RUNTIME_DIR=$(mktemp -d -p /tmp), for the "
            "program and its clients)";
        QTest::newRow("another user's")
            << ""
            << "another user's"
            << "the socket directory %1 belongs to another user (uid %2): remove it, or " +
                   alternative;
        QTest::newRow("group writable")
            << ""
            << "group writable"
            << "the socket directory %1 is writable by other users (mode 0770): make it "
               "private with chmod 700 %1, or " +
                   alternative;
        QTest::newRow("link") << ""
                              << "link"
                              << "the socket directory %1 is a link or a file, no directory: "
                                 "remove it, or " +
                                     alternative;
        QTest::newRow("cannot be made")
            << ""
            << "blocked"
            << "the socket directory %1 cannot be made (Not a directory): " + alternative;
        QTest::newRow("session shared")
            << "shared"
            << "blocked"
            << "XDG_RUNTIME_DIR %3 is writable by other users (mode 1777), and the socket "
               "directory %1 cannot be made (Not a directory): " +
                   alternative;
    }
    void unfitFallbackRefused()
    {
        QFETCH(QString, sessionKind);
        QFETCH(QString, kind);
        QFETCH(QString, why);
        const QString session = temp->path() + "/session";
        QVERIFY(makeUnfit(session, sessionKind.isEmpty() ? "missing" : sessionKind));
        const EnvScope place("XDG_RUNTIME_DIR",
                             sessionKind.isEmpty() ? QByteArray() : QFile::encodeName(session));
        if (kind == "blocked")
            QVERIFY(QFile(stateHome()).open(QIODevice::WriteOnly));
        else if (!QDir().mkpath(stateHome() + "/kvl52110") || !makeUnfit(fallback(), kind))
            QSKIP("needs root to give the directory to another user");
        const QString expected = QString(why)
                                     .replace("%1", fallback())
                                     .replace("%2", QString::number(nobodyUid()))
                                     .replace("%3", session);
        for (bool unattended : {true, false}) {
            RecordingPrompt prompt;
            Prompt::setUnattended(unattended);
            LocalServer server(&handler);
            QVERIFY(!server.start("KVL52110"));
            QCOMPARE(server.failure(), expected);
            QCOMPARE(prompt.messages().size(), unattended ? 0 : 1);
            if (!unattended)
                QCOMPARE(prompt.messages().first().text,
                         "Unable to start interprocess server: \n" + expected + ".");
            Prompt::setUnattended(false);
        }
        QVERIFY(!QFileInfo::exists(fallback() + "/KVL52110"));
        QVERIFY(!QFileInfo::exists(session + "/KVL52110"));
    }

    // A session directory whose path is longer than a socket address holds is served in, at
    // its own path: the server, the clients and a plain listener of the tests' all reach it.
    void longPathServed()
    {
        const QString deep = longDirectory(runtimeDir(), 200);
        QVERIFY(!deep.isEmpty());
        const EnvScope place("XDG_RUNTIME_DIR", QFile::encodeName(deep));
        LocalServer server(&handler);
        QVERIFY2(server.start("KVL52110"), qPrintable(server.failure()));
        QCOMPARE(PipeName::socketFile("KVL52110"), deep + "/KVL52110");
        QVERIFY(isSocket(deep + "/KVL52110"));
        QCOMPARE(PipeClient::exchange("KVL52110", "get\tA.B\n"), QByteArray("i7"));
        RawClient raw("KVL52110");
        QVERIFY(raw.connected && raw.send("get\tA.B\n") && raw.readUntilClose());
        QCOMPARE(raw.received, QByteArray("i7"));
        const SocketDir dir(SocketDir::Use::Make);
        QLocalServer plain;
        QVERIFY2(plain.listen(dir.address("KVLPLAIN")), qPrintable(plain.errorString()));
        QVERIFY(isSocket(deep + "/KVLPLAIN"));
        QVERIFY(RawClient("KVLPLAIN").connected);
    }

    // A socket name is one file name: anything else is refused before anything is made, and no
    // client connects through it.
    void namesAreOneFileName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "KVL52110" << true;
        QTest::newRow("dots inside") << "..a.b" << true;
        QTest::newRow("pipe path") << "\\\\.\\pipe\\x" << true;
        QTest::newRow("longest") << QString(SocketDir::MaxNameBytes, 'n') << true;
        QTest::newRow("too long") << QString(SocketDir::MaxNameBytes + 1, 'n') << false;
        QTest::newRow("too long in bytes")
            << QString(SocketDir::MaxNameBytes / 2 + 1, QChar(0xe9)) << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("parent") << ".." << false;
        QTest::newRow("up and out") << "../x" << false;
        QTest::newRow("down") << "a/b" << false;
        QTest::newRow("absolute") << "/tmp/x" << false;
        QTest::newRow("zero") << QString("a") + QChar(0) + "b" << false;
    }
    void namesAreOneFileName()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QString why;
        QCOMPARE(SocketDir::checkName(name, &why), valid);
        if (valid)
            return;
        QCOMPARE(why, QString("\"%1\" is no socket name: a socket name is one file name of 1 to "
                              "80 bytes, without \"/\", other than \".\" and \"..\"")
                          .arg(name));
        const EnvScope inner("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir() + "/inner"));
        QVERIFY(QDir().mkdir(runtimeDir() + "/inner"));
        RecordingPrompt prompt;
        Prompt::setUnattended(true);
        LocalServer server(&handler);
        QVERIFY(!server.start(name));
        QCOMPARE(server.failure(), why);
        QCOMPARE(QDir(runtimeDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"inner"});
        QVERIFY(QDir(runtimeDir() + "/inner").isEmpty());
        QVERIFY(!QFileInfo::exists(stateHome()));
    }

    // A client does not follow a name out of the socket directory, even to a socket that
    // listens there.
    void clientStaysInTheDirectory()
    {
        const SocketDir dir; // open while the server below listens through it
        QLocalServer outside;
        QVERIFY(outside.listen(dir.address("x")));
        QVERIFY(QDir().mkdir(runtimeDir() + "/inner"));
        const EnvScope inner("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir() + "/inner"));
        LocalClient client("\\\\.\\pipe\\../x", 1000);
        QVERIFY(!client.ensureConnected());
    }

    // A second server for a socket that is served already: nobody is asked while nobody can
    // answer, the first goes on serving and the reason names the socket and --name.
    void servedAlready()
    {
        LocalServer first(&handler);
        QVERIFY(first.start("KVL52110"));
        RecordingPrompt prompt;
        Prompt::setUnattended(true);
        LocalServer second(&handler);
        QVERIFY(!second.start("KVL52110"));
        QCOMPARE(prompt.messages().size(), 0);
        QCOMPARE(second.failure(),
                 "another program already serves the command socket " +
                     PipeName::socketFile("KVL52110") +
                     ": quit it, or start this one with --name OTHER to serve beside it");
        QCOMPARE(PipeClient::exchange("KVL52110", "get\tA.B\n"), QByteArray("i7"));
        // A server whose backlog is full takes no connection now, but it listens: its socket
        // is no stale one, and stays.
        LocalServer third(&handler);
        std::vector<std::unique_ptr<RawClient>> waiting;
        while (waiting.size() < 10000 && (waiting.empty() || waiting.back()->connected))
            waiting.push_back(std::make_unique<RawClient>("KVL52110"));
        QCOMPARE(waiting.back()->connectError, EAGAIN);
        const ino_t before = inode(PipeName::socketFile("KVL52110"));
        QVERIFY(!third.start("KVL52110"));
        QCOMPARE(third.failure(), second.failure());
        QCOMPARE(inode(PipeName::socketFile("KVL52110")), before);
    }

    // The scripts page's Python client, run as written, reaches the program wherever it serves: in
    // the session directory, in the fallback when that is unset or passed over (for what it is,
    // or for a folder on its way that others can write; not for one only the user's private
    // group can), at a path longer than a socket address holds, and under a host name that is
    // no file name (in the program's "localhost").
    void documentedPythonClient_data()
    {
        QTest::addColumn<QString>("session");
        QTest::addColumn<QByteArray>("host"); // null: the machine's own
        QTest::newRow("session directory") << "fit" << QByteArray();
        QTest::newRow("unset") << "" << QByteArray();
        QTest::newRow("passed over") << "shared" << QByteArray();
        QTest::newRow("beyond an open folder") << "open" << QByteArray();
        QTest::newRow("beyond a folder of a private group") << "private group" << QByteArray();
        QTest::newRow("long path") << "long" << QByteArray();
        for (const char *host : {"a/b", "..", ""})
            QTest::newRow(qPrintable(QString("host \"%1\"").arg(host))) << "" << QByteArray(host);
    }
    void documentedPythonClient()
    {
        QFETCH(QString, session);
        QFETCH(QByteArray, host);
        if (QStandardPaths::findExecutable("python3").isEmpty())
            QSKIP("no python3");
        std::optional<HostNameScope> hostName;
        if (!host.isNull() && !hostName.emplace(host).active())
            QSKIP("needs root for a host name of its own");
        QString place = runtimeDir();
        if (session == "long")
            place = longDirectory(runtimeDir(), 200);
        else if (session == "shared")
            QVERIFY(makeUnfit(place = temp->path() + "/shared", session));
        else if (session == "open" || session == "private group")
            QVERIFY(makeUnfit(place = temp->path() + "/way/run", "own"));
        if ((session == "open" || session == "private group") &&
            !makeUnfit(temp->path() + "/way", session))
            QSKIP("needs root for a folder of its private group");
        const EnvScope env("XDG_RUNTIME_DIR",
                           session.isEmpty() ? QByteArray() : QFile::encodeName(place));
        LocalServer server(&handler);
        QVERIFY2(server.start("KVL52110"), qPrintable(server.failure()));
        if (!host.isNull())
            QVERIFY(isSocket(stateHome() + "/kvl52110/sockets/localhost/KVL52110"));
        if (session == "open" || session == "private group")
            QVERIFY(isSocket((session == "open" ? fallback() : place) + "/KVL52110"));
        const QPair<QByteArray, QByteArray> said = runDocumentedPython("get\\tA.B");
        QCOMPARE(said.second, QByteArray());
        QCOMPARE(said.first, QByteArray("i7\n"));
        QCOMPARE(handler.takeCalls(), (QStringList{"set Configuration.SACONF int:7",
                                                   "get Configuration.SACONF", "get A.B"}));
    }

    // A program of another user's at the socket's place gets nothing from the scripts page's
    // Python client: it refuses the program, as kvl52110-cli does.
    void documentedPythonClientRefusesAnotherUser()
    {
        if (::geteuid() != 0 || QStandardPaths::findExecutable("python3").isEmpty())
            QSKIP("needs root to act as another user, and python3");
        // A short place of nobody's, whatever the build tree's path.
        const QTemporaryDir theirs("/tmp/kvlpy-XXXXXX");
        QVERIFY(theirs.isValid() &&
                ::chown(QFile::encodeName(theirs.path()).constData(), nobodyUid(), 0) == 0);
        QLocalServer squatter;
        QByteArray heard;
        connect(&squatter, &QLocalServer::newConnection, &squatter, [&squatter, &heard]() {
            QLocalSocket *connection = squatter.nextPendingConnection();
            connect(connection, &QLocalSocket::readyRead, connection,
                    [connection, &heard]() { heard += connection->readAll(); });
        });
        {
            AsNobody::Effective asNobody; // the socket's credentials are those of its listen()
            QVERIFY(squatter.listen(theirs.path() + "/s"));
        }
        QCOMPARE(::rename(QFile::encodeName(theirs.path() + "/s").constData(),
                          QFile::encodeName(runtimeDir() + "/KVL52110").constData()),
                 0);
        const QPair<QByteArray, QByteArray> said = runDocumentedPython("get\\tA.B");
        QCOMPARE(said.first, QByteArray());
        QVERIFY2(said.second.contains("PermissionError: the program at KVL52110 runs as another "
                                      "user (uid " +
                                      QByteArray::number(nobodyUid()) + ")"),
                 said.second.constData());
        QCOMPARE(heard, QByteArray());
    }

    // The scripts page's Python client takes a connection closed without a reply for a failure: a
    // "set" always answers, and an empty reply to a "get" is no value only from a program that
    // runs on, not from one that aborted while it served (its socket still taking connections).
    // Where no program listens (it has ended), it says so.
    void documentedPythonClientSeesNoReply_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("program"); // 0: none, 1: it listens, 2: it aborts meanwhile
        QTest::addColumn<QString>("printed");
        QTest::newRow("set") << "set\tA.B\ti1" << 1
                             << "no reply to 'set\\tA.B\\ti1': the program ended before answering";
        QTest::newRow("get") << "get\tA.B" << 2
                             << "no reply to 'get\\tA.B': the program ended before answering";
        QTest::newRow("no value") << "get\tA.B" << 1 << "''";
        QTest::newRow("ended") << "get\tA.B" << 0 << "no program is listening on %1/KVL52110";
    }
    void documentedPythonClientSeesNoReply()
    {
        QFETCH(QString, line);
        QFETCH(int, program);
        QFETCH(QString, printed);
        const QString python = QStandardPaths::findExecutable("python3");
        if (python.isEmpty())
            QSKIP("no python3");
        std::optional<UnansweringProgram> standIn;
        std::optional<AbortingProgram> aborting;
        if (program == 1) {
            standIn.emplace("KVL52110");
            QVERIFY(standIn->listening);
        } else if (program == 2) {
            aborting.emplace("KVL52110");
            QVERIFY(aborting->listening);
        }
        printed.replace("%1", QFileInfo(runtimeDir()).canonicalFilePath());
        QString script = documentedPython(); // its definitions, without the example's requests
        script.remove(QRegularExpression("^request\\(.*$", QRegularExpression::MultilineOption));
        QProcess client;
        client.start(python, {"-c",
                              script + "\nimport sys\ntry:\n    print(repr(request(sys."
                                       "argv[1])))\nexcept ConnectionError as e:\n    "
                                       "print(e)\n",
                              line});
        QTRY_VERIFY_WITH_TIMEOUT(client.state() == QProcess::NotRunning, 60000);
        QCOMPARE(client.readAllStandardError(), QByteArray());
        QCOMPARE(client.readAllStandardOutput(), printed.toLatin1() + "\n");
    }

private:
    // The scripts page's Python example run on one request (a Python string literal's text):
    // what it printed (its reply) and its errors, serving this process's events meanwhile.
    static QPair<QByteArray, QByteArray> runDocumentedPython(const QString &request)
    {
        const QString python = QStandardPaths::findExecutable("python3");
        const QString script = documentedPython();
        if (python.isEmpty() || !script.contains("def request("))
            return {QByteArray(), "no python3, or docs/scripts.md shows no Python client"};
        QProcess client;
        client.start(python, {"-c", script + "\nprint(request(\"" + request + "\"))\n"});
        if (!QTest::qWaitFor([&client]() { return client.state() == QProcess::NotRunning; }, 60000))
            return {QByteArray(), "the Python client did not end"};
        return {client.readAllStandardOutput(), client.readAllStandardError()};
    }

    // The Python example of docs/scripts.md: the indented block that follows the paragraph
    // beginning "In Python".
    static QString documentedPython()
    {
        QFile file(qEnvironmentVariable("KVL_SOURCE_DIR") + "/docs/scripts.md");
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        const QString page = QString::fromUtf8(file.readAll());
        static const QRegularExpression block(
            "\\nIn Python[^\\n]*(?:\\n[^\\n ][^\\n]*)*\\n\\n((?:    [^\\n]*\\n|\\n)+)");
        QString code = block.match(page).captured(1);
        code.replace(QRegularExpression("^    ", QRegularExpression::MultilineOption), QString());
        return code;
    }
};

QTEST_MAIN(TestSocketDir)
#include "tst_socketdir.moc"
