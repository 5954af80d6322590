// Where the command socket lives, and the server's start there: a directory of the user's own
// that nobody else can write, a short place for a path too long for a socket, and a start that
// does not serve saying why, without asking anybody when nobody can answer.
#include "localserver.h"
#include "pipename.h"
#include "recordingprompt.h"
#include "socketdir.h"
#include "tst_pipefixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

QString ownDirectory()
{
    return QDir::tempPath() + "/kvl52110-" + QString::number(::getuid());
}

// The mode and owner of a path, not following a link.
QPair<uint, uint> modeAndOwner(const QString &path)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return {0, 0};
    return {uint(info.st_mode & 07777), uint(info.st_uid)};
}

// Sets an environment variable for a scope.
class EnvScope
{
public:
    EnvScope(const char *name, const QByteArray &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvScope()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

} // namespace

class TestSocketDir : public QObject
{
    Q_OBJECT

    RecordingHandler handler;
    // A short temporary directory of the test's own, so that its socket paths fit whatever the
    // path of the build tree.
    QTemporaryDir shortTemp{"/tmp/kvlsd-XXXXXX"};
    std::unique_ptr<EnvScope> tmp;

private slots:
    void initTestCase()
    {
        QVERIFY(shortTemp.isValid());
        tmp = std::make_unique<EnvScope>("TMPDIR", QFile::encodeName(shortTemp.path()));
    }
    void cleanupTestCase() { tmp.reset(); }
    void cleanup()
    {
        QFile::setPermissions(ownDirectory(), QFileDevice::Permissions(0x7700));
        ::chown(QFile::encodeName(ownDirectory()).constData(), ::getuid(), ::getgid());
        QFile::remove(ownDirectory());
        QDir(ownDirectory()).removeRecursively();
        Prompt::setUnattended(false);
    }

    // The session's directory where it is named, otherwise the user's own in the temporary
    // directory; an absolute name is a path; a path too long for a socket becomes a short one
    // of the user's own, the same for each start that means it.
    void places()
    {
        QCOMPARE(PipeName::socketFile("KVL52110"), ownDirectory() + "/KVL52110");
        QCOMPARE(PipeName::socketFile("/run/other/sock"), QString("/run/other/sock"));
        {
            const EnvScope runtime("XDG_RUNTIME_DIR", "/run/user/4711");
            QCOMPARE(PipeName::socketFile("KVL52110"), QString("/run/user/4711/KVL52110"));
        }
        {
            const EnvScope runtime("XDG_RUNTIME_DIR", "relative/dir");
            QCOMPARE(PipeName::socketFile("KVL52110"), ownDirectory() + "/KVL52110");
        }
        const QString shortDir = "/tmp/kvl52110-" + QString::number(::getuid()) + "/";
        const QString longName = QString(SocketDir::MaxPathBytes, 'n');
        const QString fallback = PipeName::socketFile(longName);
        QVERIFY2(fallback.startsWith(shortDir) && fallback.size() == shortDir.size() + 16,
                 qPrintable(fallback));
        QCOMPARE(PipeName::socketFile(longName), fallback);
        QVERIFY(PipeName::socketFile(longName + "2") != fallback);
        const QString fits = QString(SocketDir::MaxPathBytes - ownDirectory().size() - 1, 'f');
        QCOMPARE(PipeName::socketFile(fits), ownDirectory() + "/" + fits);
    }

    // The server makes the user's directory, private, and serves in it.
    void serverMakesItsDirectory()
    {
        LocalServer server(&handler);
        QVERIFY(server.start("KVLDIR"));
        QCOMPARE(modeAndOwner(ownDirectory()), qMakePair(0700u, uint(::getuid())));
        QVERIFY(QFile::exists(ownDirectory() + "/KVLDIR"));
        QCOMPARE(PipeClient::exchange("KVLDIR", "get\tA.B\n"), QByteArray("i7"));
    }

    // A directory in the place of the user's own that another user could write (or that is
    // no directory of its own) is refused: nothing listens, and the reason names it and what
    // to do. Nobody is asked when nobody can answer; a person is shown it.
    void unfitDirectoryRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("why");
        QTest::newRow("open") << "open"
                              << "the socket directory %1 is open to other users (mode 0755): "
                                 "make it private with chmod 700 %1, or remove it";
        QTest::newRow("foreign") << "foreign"
                                 << "the socket directory %1 belongs to another user (uid %2): "
                                    "remove it, or set XDG_RUNTIME_DIR to a directory of your own";
        const QString noDirectory = "%1, the place of the socket directory, is no directory: "
                                    "remove it, or set XDG_RUNTIME_DIR to a directory of your own";
        QTest::newRow("link") << "link" << noDirectory;
        QTest::newRow("file") << "file" << noDirectory;
    }
    void unfitDirectoryRefused()
    {
        QFETCH(QString, kind);
        QFETCH(QString, why);
        const passwd *nobody = ::getpwnam("nobody");
        QVERIFY(nobody);
        const QString dir = ownDirectory();
        const QByteArray path = QFile::encodeName(dir);
        if (kind == "file") {
            QFile file(dir);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (kind == "link") {
            QVERIFY(QDir().mkpath(dir + "-target"));
            QVERIFY(QFile::link(dir + "-target", dir));
        } else {
            QVERIFY(::mkdir(path.constData(), 0700) == 0);
            if (kind == "open")
                QVERIFY(::chmod(path.constData(), 0755) == 0);
            else if (::geteuid() != 0 || ::chown(path.constData(), nobody->pw_uid, 0) != 0)
                QSKIP("needs root to give the directory to another user");
        }
        const QString expected = why.arg(dir).arg(nobody->pw_uid);
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
        QVERIFY(!QFile::exists(dir + "/KVL52110"));
        QFile::remove(dir);
        QDir(dir + "-target").removeRecursively();
    }

    // With a temporary directory too long for a socket path the server still serves, at the
    // short place the clients look for too.
    void longPathFallsBack()
    {
        const QString deep = QDir::tempPath() + "/" + QString(60, 'd') + "/" + QString(60, 'e');
        QVERIFY(QDir().mkpath(deep));
        const EnvScope longTemp("TMPDIR", QFile::encodeName(deep));
        const QString file = PipeName::socketFile("KVL52110");
        QVERIFY2(file.startsWith("/tmp/kvl52110-"), qPrintable(file));
        {
            LocalServer server(&handler);
            QVERIFY2(server.start("KVL52110"), qPrintable(server.failure()));
            QVERIFY(QFile::exists(file));
            QCOMPARE(PipeClient::exchange("KVL52110", "get\tA.B\n"), QByteArray("i7"));
        }
        QVERIFY(!QFile::exists(file));
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
    }
};

QTEST_MAIN(TestSocketDir)
#include "tst_socketdir.moc"
