// Programs started as separate processes on the platform of the run: offscreen, or, as
// tst_sidebyside_x11, on an X server with a window manager, whose Qt platform reads arguments of
// its own. "--name NAME" as docs/using.md writes it serves under NAME; two programs side by side
// keep their files apart and show their names; one told by the system to end ends as its Close
// does, as does a person's Close of its main window. On a desktop, a screen reader reads its log.
#include "clirun.h"
#include "mainapp.h"
#include "pipeclient.h"
#include "pipename.h"
#include "quitsignals.h"
#include "simulatedboard.h"
#include "testfiles.h"
#include "x11tools.h"
#include "xsmsession.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <memory>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const int WaitMs = 60000; // wide: the program runs with the sanitizers on a shared machine
const QByteArray EndingNote = "kvl52110: ending once the running command is done";
const QStringList Project{"--project", "TO3/TO4"};

// kvl52110-cli with arguments: its output, or "<status N>" when it failed.
QByteArray cli(const QStringList &arguments)
{
    return CliRun::output(KVL_CLI_PATH, arguments, WaitMs);
}

// The titles of the X server's windows that match pattern (by default, those that show the
// program's title).
QStringList programTitles(const QString &pattern = ".*velmora Lumigrid.*")
{
    const QByteArray tree = X11Tools::output("xwininfo", {"-root", "-tree"});
    const QRegularExpression titled("^\\s*0x[0-9a-f]+ \"(" + pattern + ")\": ",
                                    QRegularExpression::MultilineOption);
    QStringList titles;
    for (const QRegularExpressionMatch &m : titled.globalMatch(QString::fromUtf8(tree)))
        titles.append(m.captured(1));
    titles.sort();
    return titles;
}

// Whether a signal sent to process pid waits to be delivered (its bit in the process's pending
// set).
bool signalPending(qint64 pid, int number)
{
    const QByteArray status = TestFiles::read(QString("/proc/%1/status").arg(pid));
    static const QRegularExpression pendingSet("^ShdPnd:\\s*([0-9a-f]+)$",
                                               QRegularExpression::MultilineOption);
    const quint64 set =
        pendingSet.match(QString::fromLatin1(status)).captured(1).toULongLong(nullptr, 16);
    return set & (quint64(1) << (number - 1));
}

// The simulated board, whose answer to each "get SLOW" waits until the test lets it go (at
// most 300 ms each, well within the link's wait for an answer): a program asking it many of
// them stays busy until then.
class SlowBoard
{
public:
    SlowBoard()
    {
        simulated.board.addHandler("get SLOW", [this](const QByteArray &) {
            std::unique_lock<std::mutex> lock(mutex);
            letGo.wait_for(lock, std::chrono::milliseconds(300), [this]() { return free; });
            return QByteArray("SLOW=1");
        });
    }
    ~SlowBoard() { release(); }
    void release()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            free = true;
        }
        letGo.notify_all();
    }

private:
    std::mutex mutex;
    std::condition_variable letGo;
    bool free = false;

public:
    SimulatedBoard simulated; // last, so its thread ends before the gate goes
};

// xdotool with arguments: its output, or "<failed>".
QByteArray xdotool(const QStringList &arguments)
{
    const QByteArray out = X11Tools::output("xdotool", arguments);
    return out == "<xdotool failed>" ? QByteArray("<failed>") : out.trimmed();
}

// The visible window of the process pid other than the one given, activated (it then takes
// the keys xdotool types); empty when none came up in time.
QByteArray activeWindowOf(qint64 pid, const QByteArray &other = QByteArray())
{
    const QDeadlineTimer deadline(WaitMs);
    while (!deadline.hasExpired()) {
        const QByteArray found =
            xdotool({"search", "--onlyvisible", "--pid", QString::number(pid)});
        for (const QByteArray &window : found.split('\n')) {
            if (!window.isEmpty() && window != "<failed>" && window != other &&
                xdotool({"windowactivate", "--sync", window}) != "<failed>")
                return window;
        }
        QTest::qWait(100);
    }
    return QByteArray();
}

} // namespace

class TestSideBySide : public QObject
{
    Q_OBJECT

    std::vector<std::unique_ptr<QProcess>> m_programs; // ended by cleanup() if still running
    QStringList m_launcher; // a command that the program is started through, when not empty
    QStringList m_project = Project; // the project type given at the start

    // The program with arguments in a folder of this test function's own (made here), on the
    // platform of this run (or the display given), every prompt answered by default unless a
    // person is to answer; standard error goes to a file of the folder's name, or to the
    // descriptor given.
    QProcess *start(const QStringList &arguments, const QString &name = "program",
                    bool answeredByDefault = true, const QString &display = QString(),
                    int standardError = -1)
    {
        const QString folder = QDir::current().absoluteFilePath(folderName());
        QDir().mkpath(folder);
        auto program = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (answeredByDefault)
            env.insert("KVL_PROMPT_DEFAULTS", "1");
        if (!display.isEmpty()) {
            env.insert("DISPLAY", display);
            env.insert("QT_QPA_PLATFORM", "xcb");
        }
        program->setProcessEnvironment(env);
        program->setWorkingDirectory(folder);
        program->setStandardOutputFile(QProcess::nullDevice());
        program->setStandardErrorFile(folder + "." + name + ".err");
        if (standardError >= 0)
            program->setChildProcessModifier([standardError]() { ::dup2(standardError, 2); });
        const QStringList own = QStringList{KVL_PROGRAM_PATH} + m_project + arguments;
        const QStringList command = m_launcher + own;
        program->start(command.first(), command.mid(1));
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

    // The program ends as its Close does: exit status 0, the socket file removed, the window
    // state and the options saved.
    void endedAsClose(QProcess *program)
    {
        QVERIFY(program->waitForFinished(WaitMs));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
        QVERIFY(!QFileInfo::exists(PipeName::socketFile("KVL52110")));
        const QDir folder(folderName());
        QVERIFY(QFileInfo(folder.filePath("KVL52110.state")).size() > 0);
        QVERIFY(TestFiles::read(folder.filePath("options.ini")).contains("comm_timeout=50"));
    }

    // The program connected to board and busy with a request of many "get SLOW" lines (its
    // client, started here, runs on); fails the test when it is not.
    QProcess *busyProgram(SlowBoard &board)
    {
        QProcess *program = start({});
        if (servedName(program, "KVL52110") != "KVL52110")
            return nullptr;
        const QString port = board.simulated.board.devicePath();
        if (cli({"run", "open", "s" + port}) != "i1\n")
            return nullptr;
        auto client = std::make_unique<QProcess>();
        const QByteArray lines = QByteArray("get SLOW\n").repeated(200);
        client->start(KVL_CLI_PATH, {"--timeout", "600", "run", "write", "x" + lines.toHex()});
        m_programs.push_back(std::move(client));
        const bool busy = QTest::qWaitFor(
            [&]() { return board.simulated.board.lines().contains("get SLOW"); }, WaitMs);
        return busy ? program : nullptr;
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
        m_launcher.clear();
        m_project = Project;
    }

    // "--name NAME", as docs/using.md and --help write it, "--name=NAME" and the pipe path
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

    // A FIFO that nobody writes, named as the logo picture in the working folder, is passed
    // over: the program serves, and says so (on standard error where nobody watches).
    void logoFifoPassedOver()
    {
        const QString logo = QDir::current().absoluteFilePath(folderName() + "/Velmora_Logo.png");
        QVERIFY(QDir().mkpath(folderName()));
        QVERIFY(::mkfifo(QFile::encodeName(logo).constData(), 0600) == 0);
        QProcess *program = start({});
        QCOMPARE(servedName(program, "KVL52110"), QString("KVL52110"));
        endsByRequest(program, "KVL52110");
        const QByteArray err = TestFiles::read(folderName() + ".program.err");
        QVERIFY2(!qEnvironmentVariableIsEmpty("KVL_TEST_X11") ||
                     err.contains("Logo not shown: " + QFile::encodeName(logo) +
                                  " is not a regular file"),
                 err.constData());
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

    // The desktop route to a second program (a menu entry passes no name): started again, a
    // person answers Yes in the "Pipe is already used" box and types a name. The program serves
    // that name and acts as under --name: its title carries the name, and it keeps its files in
    // the name's own folder, not in the first program's.
    void nameChosenInTheBox()
    {
        if (!qEnvironmentVariableIsSet("KVL_TEST_X11"))
            QSKIP("a person's answer on a desktop: runs as tst_sidebyside_x11");
        QProcess *first = start({}, "first");
        QCOMPARE(servedName(first, "KVL52110"), QString("KVL52110"));
        QProcess *second = start({}, "second", false);
        const QByteArray box = activeWindowOf(second->processId());
        QVERIFY(!box.isEmpty());
        QVERIFY(xdotool({"key", "--clearmodifiers", "y"}) != "<failed>"); // Yes
        QVERIFY(!activeWindowOf(second->processId(), box).isEmpty());     // the name's question
        QVERIFY(xdotool({"type", "--delay", "50", "third"}) != "<failed>");
        QVERIFY(xdotool({"key", "Return"}) != "<failed>");
        QCOMPARE(servedName(second, "third"), QString("third"));
        QTRY_COMPARE_WITH_TIMEOUT(programTitles().size(), 2, WaitMs);
        QVERIFY2(programTitles().at(0).startsWith("third - velmora Lumigrid << KVL52110 >> "),
                 qPrintable(programTitles().join('\n')));
        // A port that does not open shows its error in the main window's bar: no window opens
        // (one shown for it would be on the X server once the next request is answered).
        const QStringList windows = programTitles("third - .*");
        QCOMPARE(cli({"--name", "third", "run", "open", "s/no/such/port"}), QByteArray("i0\n"));
        QVERIFY(cli({"--name", "third", "get", "version"}).startsWith("s"));
        QCOMPARE(programTitles("third - .*"), windows);
        connects("third");
        endsByRequest(second, "third");
        const QDir folder(folderName());
        // Only the first program's options, written at its start.
        QCOMPARE(folder.entryList(QDir::Files), QStringList{"options.ini"});
        QCOMPARE(QDir(folder.filePath("kvl52110-third")).entryList(QDir::Files),
                 (QStringList{"KVL52110.state", "options.ini"}));
        endsByRequest(first, "KVL52110");
    }

    // SIGTERM, SIGINT and SIGHUP end the program as its Close does: the window state saved
    // while connected, the options saved, the socket file removed, exit status 0. Two signals
    // that come together (a closing terminal's two SIGHUPs, timeout's two SIGTERMs) count as one.
    void signalsEndAsClose_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("together"); // a second signal right behind it, or 0
        QTest::newRow("SIGTERM") << int(SIGTERM) << 0;
        QTest::newRow("SIGINT") << int(SIGINT) << 0;
        QTest::newRow("SIGHUP") << int(SIGHUP) << 0;
        QTest::newRow("SIGHUP twice") << int(SIGHUP) << int(SIGHUP);
        QTest::newRow("SIGTERM twice") << int(SIGTERM) << int(SIGTERM);
        QTest::newRow("SIGTERM and SIGINT") << int(SIGTERM) << int(SIGINT);
    }
    void signalsEndAsClose()
    {
        QFETCH(int, number);
        QFETCH(int, together);
        QProcess *program = start({});
        QCOMPARE(servedName(program, "KVL52110"), QString("KVL52110"));
        connects("KVL52110");
        const QString socket = PipeName::socketFile("KVL52110");
        QVERIFY(QFileInfo::exists(socket));
        QCOMPARE(::kill(pid_t(program->processId()), number), 0);
        if (together) { // once the first has been delivered (two pending ones would merge)
            QVERIFY(
                QTest::qWaitFor([&]() { return !signalPending(program->processId(), number); }));
            QCOMPARE(::kill(pid_t(program->processId()), together), 0);
        }
        endedAsClose(program);
        QCOMPARE(TestFiles::read(folderName() + ".program.err").count(EndingNote), 1);
    }

    // With standard error a pipe whose reader has gone (a closed log viewer, `| head`), the
    // first signal's note goes nowhere, and the program still ends as its Close does.
    void signalWithStandardErrorGone()
    {
        int pipe[2];
        QVERIFY(::pipe2(pipe, O_CLOEXEC) == 0);
        ::close(pipe[0]);
        QProcess *program = start({}, "program", true, QString(), pipe[1]);
        ::close(pipe[1]);
        QCOMPARE(servedName(program, "KVL52110"), QString("KVL52110"));
        connects("KVL52110");
        QCOMPARE(::kill(pid_t(program->processId()), SIGTERM), 0);
        endedAsClose(program);
    }

    // The X server goes away without notice while a script loops: Qt's X11 platform ends the
    // program at once. Each request gets its value, or is said to have none because the program
    // ended (exit status 4), until nobody listens (2); the socket file goes, and the options
    // are on disk (those read, and the defaults new to the file, written at the start);
    // standard error says what was lost.
    void displayGoneDuringScript()
    {
        if (qEnvironmentVariableIsSet("KVL_TEST_X11"))
            QSKIP("runs an X server of its own: runs as tst_sidebyside");
        QProcess xserver;
        xserver.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-noreset"});
        QVERIFY2(xserver.waitForReadyRead(WaitMs), "no X server");
        QVERIFY(QDir().mkpath(folderName()));
        QVERIFY(TestFiles::write(folderName() + "/options.ini", "python_path=/opt/kept\n"));
        QProcess *program =
            start({}, "program", true, ":" + QString::fromLatin1(xserver.readLine().trimmed()));
        QCOMPARE(servedName(program, "KVL52110"), QString("KVL52110"));
        QProcess script; // prints "STATUS [OUTPUT]" for each request
        script.start("sh", {"-c",
                            "while out=$(\"$0\" get version); s=$?; echo \"$s [$out]\"; "
                            "[ $s -ne 2 ]; do :; done",
                            KVL_CLI_PATH});
        QVERIFY(QTest::qWaitFor([&]() { return script.peek(4096).count('\n') >= 3; }, WaitMs));
        xserver.kill();
        QVERIFY(program->waitForFinished(WaitMs) && script.waitForFinished(WaitMs));
        const QList<QByteArray> lines = script.readAllStandardOutput().trimmed().split('\n');
        for (const QByteArray &line : lines)
            QVERIFY2(line == "0 [s" + QByteArray(MainApp::VersionText) + "]" || line == "4 []" ||
                         line == "2 []",
                     line.constData());
        QCOMPARE(lines.last(), QByteArray("2 []"));
        QVERIFY(!QFileInfo::exists(PipeName::socketFile("KVL52110")));
        const QByteArray options = TestFiles::read(folderName() + "/options.ini");
        QVERIFY(options.contains("python_path=/opt/kept\n") && options.contains("comm_timeout="));
        QVERIFY(TestFiles::read(folderName() + ".program.err").contains("kvl52110: ended at once"));
    }

    // On a full disk (a small file system of its own, filled) the end cannot save the window
    // state nor the options: standard error says so, and the exit status is 1.
    void endOnAFullDisk()
    {
        if (::geteuid() != 0 || QStandardPaths::findExecutable("unshare").isEmpty())
            QSKIP("mounts a small file system of its own: needs root and unshare");
        m_launcher = QStringList{"unshare", "-m", "--propagation", "private", "sh", "-c",
                                 "d=$(pwd) && mount -t tmpfs -o size=64k,mode=0700 kvl \"$d\" && "
                                 "cd \"$d\" && exec \"$@\"",
                                 "sh"};
        QProcess *program = start({});
        QCOMPARE(servedName(program, "KVL52110"), QString("KVL52110"));
        connects("KVL52110");
        // The program's own view of its folder, the small file system on it.
        QFile filler(QString("/proc/%1/root%2/filler")
                         .arg(program->processId())
                         .arg(QDir::current().absoluteFilePath(folderName())));
        QVERIFY2(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered),
                 qPrintable(filler.errorString()));
        while (filler.write(QByteArray(1024, 'f')) > 0) {
        }
        QCOMPARE(cli({"run", "shutdown"}), QByteArray("i1\n"));
        QVERIFY(program->waitForFinished(WaitMs));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 1);
        const QByteArray err = TestFiles::read(folderName() + ".program.err");
        QVERIFY2(err.contains("kvl52110: Cannot write ") && err.contains("/KVL52110.state: "),
                 err.constData());
        QVERIFY2(err.contains("/options.ini: "), err.constData());
    }

    // A session manager's checkpoint (xsm's "Checkpoint", clicked as a person clicks it) asks
    // the program to save and go on: it saves its options and window state and serves on. The
    // session's end (xsm's "Shutdown" with a checkpoint) saves them and ends it as its Close does.
    void sessionCheckpointGoesOn()
    {
        if (qEnvironmentVariableIsSet("KVL_TEST_X11"))
            QSKIP("runs an X server and a session manager of its own: runs as tst_sidebyside");
        QProcess xserver;
        xserver.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-noreset"});
        QVERIFY2(xserver.waitForReadyRead(WaitMs), "no X server");
        const QString display = ":" + QString::fromLatin1(xserver.readLine().trimmed());
        XsmSession session;
        if (!session.start(display, QDir::current().absoluteFilePath(folderName() + ".home"),
                           WaitMs))
            QSKIP("needs xsm, iceauth and xdotool (x11-session-utils, x11-xserver-utils)");
        QProcess *program = start({}, "program", true, display);
        QCOMPARE(servedName(program, "KVL52110"), QString("KVL52110"));
        connects("KVL52110");
        const QDir folder(folderName());
        QVERIFY(QFile::remove(folder.filePath("options.ini")));
        QVERIFY(session.checkpoint("bench"));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(folder.filePath("KVL52110.state")).size() > 0 &&
                                     QFileInfo::exists(folder.filePath("options.ini")),
                                 WaitMs);
        QCOMPARE(cli({"run", "open", "smockup"}), QByteArray("i1\n"));
        QCOMPARE(program->state(), QProcess::Running);
        QVERIFY(QFile::remove(folder.filePath("options.ini")) &&
                QFile::remove(folder.filePath("KVL52110.state")));
        QVERIFY(session.shutDownWithCheckpoint("bench"));
        endedAsClose(program);
        xserver.kill();
        xserver.waitForFinished(WaitMs);
    }

    // Told to end while a request runs and others wait behind it, the program answers each of
    // them before it ends as its Close does.
    void waitingRequestsAnsweredAtTheEnd()
    {
        SlowBoard board;
        QProcess *program = busyProgram(board);
        QVERIFY(program);
        PipeClient version, set;
        QVERIFY(version.send("get\tversion\n") && set.send("set\tNoSuch.Item\ti1\n"));
        QCOMPARE(::kill(pid_t(program->processId()), SIGTERM), 0);
        // From the signal on, still busy, it takes no new request.
        QTRY_VERIFY_WITH_TIMEOUT(
            TestFiles::read(folderName() + ".program.err").contains(EndingNote), WaitMs);
        QVERIFY(!PipeClient().connected());
        board.release();
        QVERIFY(version.waitClosed(WaitMs) && set.waitClosed(WaitMs));
        QCOMPARE(version.received, QByteArray("s") + MainApp::VersionText);
        QCOMPARE(set.received, QByteArray("err\n"));
        QVERIFY(program->waitForFinished(WaitMs));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
        QVERIFY(!QFileInfo::exists(PipeName::socketFile("KVL52110")));
        QProcess *longRequest = m_programs.back().get();
        QVERIFY(longRequest->state() == QProcess::NotRunning ||
                longRequest->waitForFinished(WaitMs));
        QCOMPARE(longRequest->readAllStandardOutput(), QByteArray("x534c4f573d310a\n"));
    }

    // Started without a project type (as from a menu), the program asks for it; once a person
    // has answered, its main window has the keyboard, so its keys work at once.
    void keyboardAfterTheProjectQuestion()
    {
        if (!qEnvironmentVariableIsSet("KVL_TEST_X11"))
            QSKIP("a person's answer on a desktop: runs as tst_sidebyside_x11");
        m_project.clear();
        QProcess *program = start({}, "program", false);
        QVERIFY(xdotool({"search", "--sync", "--onlyvisible", "--name", "^Project type$",
                         "windowactivate", "--sync"}) != "<failed>");
        QVERIFY(xdotool({"key", "Return"}) != "<failed>");
        QCOMPARE(servedName(program, "KVL52110"), QString("KVL52110"));
        QTRY_VERIFY_WITH_TIMEOUT(xdotool({"getwindowfocus", "getwindowname"}).contains("Lumigrid"),
                                 WaitMs);
        endsByRequest(program, "KVL52110");
    }

    // A person's Close of the main window ends the program as a signal does: it takes no new
    // request, answers the one it accepted (here one whose line is still coming: it runs after
    // a second of quiet), then ends with its files saved and its socket removed.
    void closeAnswersWhatItAccepted()
    {
        if (!qEnvironmentVariableIsSet("KVL_TEST_X11"))
            QSKIP("a person's Close on a desktop: runs as tst_sidebyside_x11");
        QProcess *program = start({});
        QCOMPARE(servedName(program, "KVL52110"), QString("KVL52110"));
        connects("KVL52110");
        const QByteArray window = activeWindowOf(program->processId()); // its main window
        PipeClient coming;
        QVERIFY(coming.send("get\tversion"));
        QVERIFY(X11Tools::closeAsAPerson(window.toULongLong()));
        QVERIFY(coming.waitClosed(WaitMs));
        QCOMPARE(coming.received, QByteArray("s") + MainApp::VersionText);
        QVERIFY(program->waitForFinished(WaitMs));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
        QVERIFY(!QFileInfo::exists(PipeName::socketFile("KVL52110")));
        QVERIFY(QFileInfo(QDir(folderName()).filePath("KVL52110.state")).size() > 0);
    }

    // A signal later than the ones that came together ends the program at once, whatever its
    // kind, even while a request keeps it from its Close.
    void laterSignalEndsAtOnce()
    {
        SlowBoard board;
        QProcess *program = busyProgram(board);
        QVERIFY(program);
        QCOMPARE(::kill(pid_t(program->processId()), SIGTERM), 0);
        QTest::qWait(QuitSignals::TogetherMs + 100); // no longer together, whatever the load
        QCOMPARE(::kill(pid_t(program->processId()), SIGINT), 0);
        QVERIFY(program->waitForFinished(WaitMs));
        QCOMPARE(program->exitStatus(), QProcess::CrashExit);
    }

    // A signal that comes once the end is done, however late (a closing terminal's second
    // SIGHUP), changes nothing: it no longer reaches the handling the program had before,
    // the system's default, which would end it with status 129. Without an end, the handling
    // before comes back.
    void signalAfterTheEndChangesNothing()
    {
        static std::atomic<int> passedOn{0};
        struct sigaction standIn = {}, before = {}, beforeTerm = {};
        standIn.sa_handler = [](int) { ++passedOn; }; // stands for the default's end
        QCOMPARE(sigaction(SIGHUP, &standIn, &before), 0);
        QCOMPARE(sigaction(SIGTERM, &standIn, &beforeTerm), 0);
        delete new QuitSignals;
        QCOMPARE(::raise(SIGTERM), 0);
        QCOMPARE(passedOn.exchange(0), 1);
        sigaction(SIGTERM, &beforeTerm, nullptr);
        {
            QuitSignals handlers;
            QSignalSpy quit(&handlers, &QuitSignals::signal_quit);
            QCOMPARE(::raise(SIGHUP), 0);
            QVERIFY(quit.wait(WaitMs));
            handlers.endDone();
        }
        QCOMPARE(::raise(SIGHUP), 0);
        QCOMPARE(passedOn.load(), 0);
        sigaction(SIGHUP, &before, nullptr);
    }

    // A screen reader reads the log through the accessibility bus (logreader.py, in a session
    // bus of its own): requests refused with "Log" not ticked, at a fresh start and for an item
    // the board lacks, are listed with why once it is ticked; the list is a list of its rows,
    // each read as shown (plain text), and an error's new row is told of.
    void logReadAsAScreenReaderDoes()
    {
        if (!qEnvironmentVariableIsSet("KVL_TEST_X11"))
            QSKIP("the accessibility bus of a desktop: runs as tst_sidebyside_x11");
        QDir().mkpath(folderName());
        QProcess reader;
        reader.setWorkingDirectory(folderName());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KVL_PROMPT_DEFAULTS", "1");
        reader.setProcessEnvironment(env);
        reader.start("dbus-run-session",
                     QStringList{"--", "/usr/bin/python3",
                                 qEnvironmentVariable("KVL_SOURCE_DIR") + "/tests/app/logreader.py",
                                 KVL_PROGRAM_PATH, KVL_CLI_PATH} +
                         Project);
        QVERIFY(reader.waitForFinished(5 * WaitMs));
        const QString said = QString::fromUtf8(reader.readAllStandardOutput());
        QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError().constData());
        QMap<QString, QStringList> read; // what the reader read, by kind
        for (const QString &line : said.split('\n', Qt::SkipEmptyParts))
            read[line.section('\t', 0, 0)].append(line.section('\t', 1));
        const QStringList why = read.value("why");
        QVERIFY2(why.size() == 2 && why.first().startsWith("C(-1) [") &&
                     why.first().endsWith("] Error GET Board.NOSUCH: no board is connected (the "
                                          "tool windows take requests once one is)") &&
                     why.last() == "Request \"get Board.NOSUCH\": Board has no item NOSUCH",
                 qPrintable(said));
        QVERIFY2(read.value("told").value(0).endsWith(
                     "] Error GET Nope.ERROR: no applet is named \"Nope\""),
                 qPrintable(said));
        QVERIFY2(read.value("rows").value(0).toInt() > 3, qPrintable(said));
        const QString newest = read.value("newest").value(0);
        QVERIFY2(!newest.isEmpty() && !newest.contains("<font"), qPrintable(said));
    }
};

QTEST_MAIN(TestSideBySide)
#include "tst_sidebyside.moc"
