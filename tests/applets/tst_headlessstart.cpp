// The program started exactly as the README's headless start says, as a separate process with
// no display variables and no test answers: it asks nothing, says on standard error what it
// took, and answers the command socket (through kvl52110-cli).
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
const QString ReadmeProgram = QStringLiteral("./build/app/kvl52110");

// The README's line that starts the built program headless.
QString readmeCommand()
{
    QFile readme(qEnvironmentVariable("KVL_SOURCE_DIR") + "/README.md");
    if (!readme.open(QIODevice::ReadOnly))
        return QString();
    static const QRegularExpression line("^\\s+(QT_QPA_PLATFORM=offscreen " +
                                             QRegularExpression::escape(ReadmeProgram) + ")\\s*$",
                                         QRegularExpression::MultilineOption);
    return line.match(QString::fromUtf8(readme.readAll())).captured(1);
}

// kvl52110-cli with arguments: its output, or "<status N>" when it failed.
QByteArray cli(const QStringList &arguments)
{
    QProcess client;
    client.start(KVL_CLI_PATH, arguments);
    if (!client.waitForFinished(WaitMs) || client.exitCode() != 0)
        return "<status " + QByteArray::number(client.exitCode()) + ">";
    return client.readAllStandardOutput();
}

} // namespace

class TestHeadlessStart : public QObject
{
    Q_OBJECT

    std::unique_ptr<QProcess> m_program; // killed at the end if still running

    // The README's command through the shell, the program's path in place of the README's,
    // with extra arguments; standard error goes to the file "program.err".
    void start(const QString &extra = QString())
    {
        const QString command = readmeCommand();
        QVERIFY2(!command.isEmpty(), "the README names no headless start of the program");
        m_program = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name :
             {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "KVL_PROMPT_DEFAULTS"})
            env.remove(name);
        env.insert("TMPDIR", QDir::tempPath());
        m_program->setProcessEnvironment(env);
        m_program->setStandardErrorFile(QDir::current().absoluteFilePath("program.err"));
        m_program->setStandardOutputFile(QProcess::nullDevice());
        QVERIFY(QDir().mkpath("run"));
        m_program->setWorkingDirectory(QDir::current().absoluteFilePath("run"));
        QString line = command;
        line.replace(ReadmeProgram, "'" + QString(KVL_PROGRAM_PATH) + "'");
        m_program->start("/bin/sh", {"-c", line + extra});
    }

    // Waits until the program answers; then ends it by a request.
    void servesAndEnds()
    {
        const QDeadlineTimer deadline(3 * WaitMs);
        QByteArray version;
        while (m_program->state() != QProcess::NotRunning && !deadline.hasExpired()) {
            if ((version = cli({"get", "version"})) == "sWed Jan 08 12:43:22 2019\n")
                break;
            QTest::qWait(100);
        }
        QCOMPARE(version, QByteArray("sWed Jan 08 12:43:22 2019\n"));
        QCOMPARE(cli({"run", "shutdown"}), QByteArray("i1\n"));
        QVERIFY(m_program->waitForFinished(WaitMs));
        QCOMPARE(m_program->exitCode(), 0);
    }

private slots:
    // Nobody can answer the project type: the default is taken and standard error says so.
    void asksNothing()
    {
        start();
        servesAndEnds();
        const QByteArray err = TestFiles::read("program.err");
        QVERIFY2(err.contains("kvl52110: Nobody to answer \"Project type\": took \"TO3/TO4\", "
                              "the default\n"),
                 err.constData());
    }

    // A project type given to the same start is taken without a word.
    void projectGiven()
    {
        start(" --project TO1/TO2");
        servesAndEnds();
        const QByteArray err = TestFiles::read("program.err");
        QVERIFY2(!err.contains("Nobody to answer"), err.constData());
    }

    // One that names no project type ends the start with a message.
    void projectUnknown()
    {
        start(" --project TO5");
        QVERIFY(m_program->waitForFinished(WaitMs));
        QCOMPARE(m_program->exitCode(), 1);
        QVERIFY(TestFiles::read("program.err")
                    .contains("kvl52110: unknown project type \"TO5\": use TO3/TO4 or TO1/TO2\n"));
        QVERIFY(!QFile::exists(QDir::tempPath() + "/KVL52110"));
    }
};

QTEST_MAIN(TestHeadlessStart)
#include "tst_headlessstart.moc"
