// The program started exactly as the headless start of docs/using.md says, as a separate process
// with no display variables and no test answers: it asks nothing, says on standard error what it
// took, and answers the command socket (through kvl52110-cli).
#include "clirun.h"
#include "pipename.h"
#include "testfiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

namespace
{

const int WaitMs = 60000; // wide: the program runs with the sanitizers on a shared machine
const QString DocumentedProgram = QStringLiteral("./build/app/kvl52110");

// The line of docs/using.md that starts the built program headless.
QString documentedCommand()
{
    QFile page(qEnvironmentVariable("KVL_SOURCE_DIR") + "/docs/using.md");
    if (!page.open(QIODevice::ReadOnly))
        return QString();
    static const QRegularExpression line("^\\s+(QT_QPA_PLATFORM=offscreen " +
                                             QRegularExpression::escape(DocumentedProgram) +
                                             ")\\s*$",
                                         QRegularExpression::MultilineOption);
    return line.match(QString::fromUtf8(page.readAll())).captured(1);
}

// kvl52110-cli with arguments: its output, or "<status N>" when it failed.
QByteArray cli(const QStringList &arguments)
{
    return CliRun::output(KVL_CLI_PATH, arguments, WaitMs);
}

} // namespace

class TestHeadlessStart : public QObject
{
    Q_OBJECT

    std::unique_ptr<QProcess> m_program; // killed at the end if still running

    // The page's command through the shell, the program's path in place of the page's,
    // with extra arguments; standard error goes to the file errFile.
    void start(const QString &extra = QString(), const QString &errFile = "program.err")
    {
        m_program = launch(extra, errFile);
        QVERIFY2(m_program, "docs/using.md names no headless start of the program");
    }
    static std::unique_ptr<QProcess> launch(const QString &extra, const QString &errFile)
    {
        const QString command = documentedCommand();
        if (command.isEmpty())
            return nullptr;
        auto program = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name :
             {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "KVL_PROMPT_DEFAULTS"})
            env.remove(name);
        env.insert("TMPDIR", QDir::tempPath());
        program->setProcessEnvironment(env);
        program->setStandardErrorFile(QDir::current().absoluteFilePath(errFile));
        program->setStandardOutputFile(QProcess::nullDevice());
        QDir().mkpath("run");
        program->setWorkingDirectory(QDir::current().absoluteFilePath("run"));
        QString line = command;
        line.replace(DocumentedProgram, "'" + QString(KVL_PROGRAM_PATH) + "'");
        program->start("/bin/sh", {"-c", line + extra});
        return program;
    }

    // Waits until the program (under the socket name, when given) answers.
    static void serves(QProcess *program, const QStringList &name = {})
    {
        const QDeadlineTimer deadline(3 * WaitMs);
        QByteArray version;
        while (program->state() != QProcess::NotRunning && !deadline.hasExpired()) {
            if ((version = cli(name + QStringList{"get", "version"})) ==
                "sWed Jan 08 12:43:22 2019\n")
                break;
            QTest::qWait(100);
        }
        QCOMPARE(version, QByteArray("sWed Jan 08 12:43:22 2019\n"));
    }
    // Ends the program by a request.
    static void ends(QProcess *program, const QStringList &name = {})
    {
        QCOMPARE(cli(name + QStringList{"run", "shutdown"}), QByteArray("i1\n"));
        QVERIFY(program->waitForFinished(WaitMs));
        QCOMPARE(program->exitCode(), 0);
    }
    void servesAndEnds()
    {
        serves(m_program.get());
        if (!QTest::currentTestFailed())
            ends(m_program.get());
    }

private slots:
    // Nobody can answer the project type: the default is taken and standard error says so.
    // The private folder a killed run left in the temporary folder is gone.
    void asksNothing()
    {
        const QString left = QDir::temp().filePath("kvl52110-Killed");
        QVERIFY(QDir().mkdir(left) && QFile::setPermissions(left, QFile::ReadOwner |
                                                                      QFile::WriteOwner |
                                                                      QFile::ExeOwner));
        start();
        servesAndEnds();
        QVERIFY(!QFileInfo::exists(left));
        const QByteArray err = TestFiles::read("program.err");
        QVERIFY2(err.contains("kvl52110: Nobody to answer \"Project type\": took \"TO3/TO4\", "
                              "the default\n"),
                 err.constData());
    }

    // Standard error keeps the program's own lines and none of Qt's platform noise: an error
    // box (a request for a name while no board is connected) is raised without a line of it.
    // A name that names nothing is warned about there.
    void standardErrorStaysReadable()
    {
        start();
        serves(m_program.get());
        QCOMPARE(cli({"get", "NoSuch.Item"}), QByteArray("<status 1>"));
        QCOMPARE(cli({"set", "foo", "i1"}), QByteArray());
        QCOMPARE(cli({"run", "NoSuchCommand"}), QByteArray("\n"));
        // Control characters are escaped, a long name cut.
        const QByteArray longName(5000, 'n');
        QCOMPARE(cli({"set", "foo\x1b[2J", "i1"}), QByteArray());
        QCOMPARE(cli({"set", longName, "i1"}), QByteArray());
        QCOMPARE(cli({"run", "open", "s/dev/\x1b[31mred"}), QByteArray("i0\n"));
        ends(m_program.get());
        const QByteArray err = TestFiles::read("program.err");
        QVERIFY2(!err.contains("This plugin does not support"), err.constData());
        QVERIFY2(err.contains("kvl52110: Request \"set foo\": no item of that name"),
                 err.constData());
        QVERIFY2(err.contains("kvl52110: Request \"run NoSuchCommand\": no command of that name"),
                 err.constData());
        QVERIFY2(err.contains("kvl52110: Request \"set foo\\x1b[2J\": no item of that name"),
                 err.constData());
        QVERIFY2(err.contains("kvl52110: Request \"set " + longName.left(116) +
                              "... (5004 characters)\": no item of that name"),
                 err.constData());
        QVERIFY2(err.contains("open_port: Unable to open /dev/\\x1b[31mred: "), err.constData());
        QVERIFY(!err.contains('\x1b'));
    }

    // A second start under the same socket name does not serve: it ends at once with status 1
    // and says why and what to do; under another name (--name) it serves beside the first.
    void secondStart()
    {
        start();
        serves(m_program.get());
        const auto second = launch(QString(), "second.err");
        QVERIFY(second->waitForFinished(WaitMs));
        QCOMPARE(second->exitCode(), 1);
        const QByteArray err = TestFiles::read("second.err");
        QVERIFY2(err.split('\n').contains(
                     "kvl52110: not started: another program already serves the command socket " +
                     QFile::encodeName(PipeName::socketFile("KVL52110")) +
                     ": quit it, or start this one with --name OTHER to serve beside it."),
                 err.constData());
        const auto beside = launch(" --name KVLBESIDE", "beside.err");
        serves(beside.get(), {"--name", "KVLBESIDE"});
        ends(beside.get(), {"--name", "KVLBESIDE"});
        ends(m_program.get());
    }

    // A project type given to the same start is taken without a word.
    void projectGiven()
    {
        start(" --project TO1/TO2");
        servesAndEnds();
        const QByteArray err = TestFiles::read("program.err");
        QVERIFY2(!err.contains("Nobody to answer"), err.constData());
    }

    // One that names no project type ends the start with a message, which shows a terminal's
    // control characters as escapes.
    void projectUnknown()
    {
        start(" --project 'TO5\x1b[2J'");
        QVERIFY(m_program->waitForFinished(WaitMs));
        QCOMPARE(m_program->exitCode(), 1);
        QCOMPARE(TestFiles::read("program.err"),
                 "kvl52110: unknown project type \"TO5\\x1b[2J\": use TO3/TO4 or TO1/TO2\n");
        QVERIFY(!QFile::exists(PipeName::socketFile("KVL52110")));
    }
};

QTEST_MAIN(TestHeadlessStart)
#include "tst_headlessstart.moc"
