// Programs started as separate processes on the platform of the run: offscreen, or, as
// tst_sidebyside_x11, on an X server with a window manager, whose Qt platform reads arguments of
// its own. "--name NAME" as the README writes it serves under NAME; two programs side by side
// keep their files apart and show their names; one told by the system to end ends as its Close
// does.
#include "clirun.h"
#include "pipename.h"
#include "testfiles.h"
#include "x11tools.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <memory>
#include <vector>

namespace
{

const int WaitMs = 60000; // wide: the program runs with the sanitizers on a shared machine
const QStringList Project{"--project", "TO3/TO4"};

// kvl52110-cli with arguments: its output, or "<status N>" when it failed.
QByteArray cli(const QStringList &arguments)
{
    return CliRun::output(KVL_CLI_PATH, arguments, WaitMs);
}

// The titles of the X server's windows that show the program's title.
QStringList programTitles()
{
    const QByteArray tree = X11Tools::output("xwininfo", {"-root", "-tree"});
    static const QRegularExpression titled("^\\s*0x[0-9a-f]+ \"(.*velmora Lumigrid.*)\": ",
                                           QRegularExpression::MultilineOption);
    QStringList titles;
    for (const QRegularExpressionMatch &m : titled.globalMatch(QString::fromUtf8(tree)))
        titles.append(m.captured(1));
    titles.sort();
    return titles;
}

} // namespace

class TestSideBySide : public QObject
{
    Q_OBJECT

    std::vector<std::unique_ptr<QProcess>> m_programs; // ended by cleanup() if still running

    // The program with arguments in a folder of this test function's own (made here), on the
    // platform of this run, every prompt answered by default; standard error goes to a file of
    // the folder's name.
    QProcess *start(const QStringList &arguments, const QString &name = "program")
    {
        const QString folder = QDir::current().absoluteFilePath(folderName());
        QDir().mkpath(folder);
        auto program = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KVL_PROMPT_DEFAULTS", "1");
        program->setProcessEnvironment(env);
        program->setWorkingDirectory(folder);
        program->setStandardOutputFile(QProcess::nullDevice());
        program->setStandardErrorFile(folder + "." + name + ".err");
        program->start(KVL_PROGRAM_PATH, Project + arguments);
        m_programs.push_back(std::move(program));
        return m_programs.back().get();
    }

    static QString folderName()
    {
        const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_');
        return QString::fromLatin1(QTest::currentTestFunction()) +
               (tag.isEmpty() ? QString() : "-" + tag);
    }

    // Waits until the program serves; the name it serves under ("--name NAME" given to the
    // client, or the default), or why it does not.
    static QString servedName(QProcess *program, const QString &name)
    {
        const QDeadlineTimer deadline(3 * WaitMs);
        while (program->state() != QProcess::NotRunning && !deadline.hasExpired()) {
            if (cli({"--name", name, "get", "version"}).startsWith("s"))
                return name;
            if (name != "KVL52110" && cli({"get", "version"}).startsWith("s"))
                return "KVL52110";
            QTest::qWait(100);
        }
        return program->state() == QProcess::NotRunning ? "<ended>" : "<not serving>";
    }

    // Connected to the mock-up, as a person would be, so that the end saves the window state.
    static void connects(const QString &name)
    {
        QCOMPARE(cli({"--name", name, "run", "open", "smockup"}), QByteArray("i1\n"));
    }

    static void endsByRequest(QProcess *program, const QString &name)
    {
        QCOMPARE(cli({"--name", name, "run", "shutdown"}), QByteArray("i1\n"));
        QVERIFY(program->waitForFinished(WaitMs));
        QCOMPARE(program->exitCode(), 0);
    }

private slots:
    void cleanup()
    {
        for (const auto &program : m_programs) {
            if (program->state() != QProcess::NotRunning) {
                program->kill();
                program->waitForFinished(WaitMs);
            }
        }
        m_programs.clear();
    }

    // "--name NAME", as the README and --help write it, "--name=NAME" and the pipe path
    // "--name \\.\pipe\NAME" serve under NAME (on X11 too, whose platform would take "--name
    // NAME" for itself).
    void nameServes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("name apart") << QStringList{"--name", "KVLSECOND"};
        QTest::newRow("name joined") << QStringList{"--name=KVLSECOND"};
        QTest::newRow("pipe path") << QStringList{"--name", "\\\\.\\pipe\\KVLSECOND"};
    }
    void nameServes()
    {
        QFETCH(QStringList, arguments);
        QProcess *program = start(arguments);
        QCOMPARE(servedName(program, "KVLSECOND"), QString("KVLSECOND"));
        endsByRequest(program, "KVLSECOND");
    }

    // "--name" without its value ends the start at once and says so; no option before it is
    // taken for its value.
    void nameWithoutValueRefused()
    {
        QProcess *program = start({"--name"});
        QVERIFY(program->waitForFinished(WaitMs));
        QCOMPARE(program->exitCode(), 1);
        const QByteArray err = TestFiles::read(folderName() + ".program.err");
        QVERIFY2(err.contains("Missing value after '--name'."), err.constData());
    }

    // Two programs in one folder, the second under another name: each shows its name in its
    // title (checked on the X server), and each keeps its own options and window state, the
    // second's in a folder of its own.
    void filesKeptApart()
    {
        QProcess *first = start({}, "first");
        QProcess *second = start({"--name", "second"}, "second");
        QCOMPARE(servedName(first, "KVL52110"), QString("KVL52110"));
        QCOMPARE(servedName(second, "second"), QString("second"));
        if (qEnvironmentVariableIsSet("KVL_TEST_X11")) {
            QTRY_COMPARE_WITH_TIMEOUT(programTitles().size(), 2, WaitMs);
            const QStringList titles = programTitles();
            QVERIFY2(titles.at(0).startsWith("second - velmora Lumigrid << KVL52110 >> "),
                     qPrintable(titles.join('\n')));
            QVERIFY2(titles.at(1).startsWith("velmora Lumigrid << KVL52110 >> "),
                     qPrintable(titles.join('\n')));
        }
        connects("KVL52110");
        connects("second");
        endsByRequest(first, "KVL52110");
        endsByRequest(second, "second");

        const QDir folder(folderName());
        QCOMPARE(folder.entryList(QDir::Files), (QStringList{"KVL52110.state", "options.ini"}));
        QCOMPARE(QDir(folder.filePath("kvl52110-second")).entryList(QDir::Files),
                 (QStringList{"KVL52110.state", "options.ini"}));
        QVERIFY(TestFiles::read(folder.filePath("kvl52110-second/options.ini"))
                    .contains("comm_timeout=50"));
    }

    // SIGTERM, SIGINT and SIGHUP end the program as its Close does: the window state saved
    // while connected, the options saved, the socket file removed, exit status 0.
    void signalsEndAsClose_data()
    {
        QTest::addColumn<int>("number");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void signalsEndAsClose()
    {
        QFETCH(int, number);
        QProcess *program = start({});
        QCOMPARE(servedName(program, "KVL52110"), QString("KVL52110"));
        connects("KVL52110");
        const QString socket = PipeName::socketFile("KVL52110");
        QVERIFY(QFileInfo::exists(socket));
        QCOMPARE(::kill(pid_t(program->processId()), number), 0);
        QVERIFY(program->waitForFinished(WaitMs));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
        QVERIFY(!QFileInfo::exists(socket));
        const QDir folder(folderName());
        QVERIFY(QFileInfo(folder.filePath("KVL52110.state")).size() > 0);
        QVERIFY(TestFiles::read(folder.filePath("options.ini")).contains("comm_timeout=50"));
    }
};

QTEST_MAIN(TestSideBySide)
#include "tst_sidebyside.moc"
