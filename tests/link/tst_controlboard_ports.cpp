#include "controlboard.h"
#include "logrecorder.h"
#include "pythonrunner.h"
#include "recordingprompt.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

// The ports without a board: "mockup" answers locally with the documented generator, reseeded
// per connection; "script" hands each transaction to a Python script.
class TestControlBoardPorts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void mockupConnectsWithNotice()
    {
        RecordingPrompt prompt;
        ControlBoard link;
        link.setLogEnabled(true);
        LogRecorder log(&link);
        QSignalSpy connected(&link, &ControlBoard::signal_connected);
        QVERIFY(link.connectBoard(QStringLiteral("mockup")));
        QCOMPARE(link.mode(), int(ControlBoard::MockupMode));
        QCOMPARE(link.portName(), QStringLiteral("mockup"));
        QCOMPARE(connected.count(), 1);
        QCOMPARE(prompt.messages().size(), 1);
        const Prompt::Message msg = prompt.messages().first();
        QVERIFY(msg.icon == Prompt::Information && msg.title.isEmpty() && msg.buttons == Prompt::Ok);
        QCOMPARE(msg.text,
                 QStringLiteral("Software is in Mock-up mode. \n Communication is simulated!"));
        QVERIFY(log.texts().last().endsWith(QStringLiteral("):Connected to mockup")));
        QVERIFY(link.setBaudrate(2304000)); // a baud switch only stores the rate
        QCOMPARE(link.baudrate(), 2304000);
        QVERIFY(link.isConnected());
        // Assignments answer ok per item ("set" counts as an item in a read); reads draw
        // numbers from the generator, one per item, also for DIO items (which answer 0).
        QList<int> n;
        for (quint32 x = 100; n.size() < 4;) {
            x = x * 214013u + 2531011u;
            n.append(int((x >> 16) & 0x7FFF));
        }
        const QByteArray reads = QStringLiteral("DIO03=0 AIN1=%1 X=%2").arg(n[1] % 1023).arg(n[2]).toLatin1();
        for (int connection = 0; connection < 2; ++connection) {
            for (auto [commands, answer] :
                 {std::pair{QByteArray("set A=1 B=2"), QByteArray("A:ok B:ok ")}, {"set A\n", "A:ok "},
                  {"get reset", "get:ok reset:ok "}, {"get DIO03 AIN1 X\n", reads}}) {
                QByteArray got;
                QVERIFY(link.send(commands, &got));
                QCOMPARE(got, answer);
            }
            int value = -1;
            QVERIFY(link.getValue("Y", &value));
            QCOMPARE(value, n[3]);
            link.disconnectBoard(ControlBoard::ByUser); // a new connection starts again
            QVERIFY(!link.isConnected());
            for (const auto &entry : log.entries()) // no port to reopen, nothing failed
                QVERIFY2(entry.first != ControlBoard::LevelRxErr, qPrintable(entry.second));
            QVERIFY(link.connectBoard(QStringLiteral("mockup")));
        }
    }

    void scriptAnswersCommands()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
            QSKIP("python3 is not installed");
        const QString script =
            writeScript("echo.py", "import sys\nprint(repr(sys.argv[1]))\nprint('second')\n");
        RecordingPrompt prompt;
        ControlBoard link;
        QVERIFY(!link.connectBoard(QStringLiteral("script"))); // the choice cancelled
        prompt.queueFile(m_dir.filePath(QStringLiteral("missing.py")));
        QVERIFY(!link.connectBoard(QStringLiteral("script")));
        QVERIFY(!link.isConnected() && !link.send("get A", nullptr));
        prompt.queueFile(script);
        link.setLogEnabled(true);
        LogRecorder log(&link);
        QVERIFY(link.connectBoard(QStringLiteral("script")));
        QCOMPARE(prompt.fileDialogs(), QStringList(3, QStringLiteral("Script path|Files (*.py)")));
        QCOMPARE(link.mode(), int(ControlBoard::ScriptMode));
        QCOMPARE(link.portName(), QStringLiteral("script"));
        QCOMPARE(link.scriptPath(), script);
        QByteArray got;
        // LFs are taken out of the text and the output; a CR (ending a flash block line) stays.
        QVERIFY(link.send("set A=1\nset flash=00\r\n", &got));
        QCOMPARE(got, QByteArray("'set A=1set flash=00\\r'second"));
        QVERIFY(log.texts().last().endsWith(QStringLiteral("):'set A=1set flash=00\\r'second")));
    }

    void unresolvedPythonFallsBackWithOneWarning()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
            QSKIP("python3 is not installed");
        const QString script = writeScript("ok.py", "print('ok')\n");
        PythonRunner runner;
        LogRecorder log(&runner);
        runner.setPythonPath(QStringLiteral("/no/such/python"));
        for (int i = 0; i < 2; ++i) {
            QByteArray out;
            QVERIFY(runner.run(script, "x", &out));
            QCOMPARE(out, QByteArray("ok"));
        }
        QCOMPARE(log.entries().size(), 1);
        QVERIFY(log.entries().first().first > 0 && log.entries().first().first <= 100);
        QVERIFY(log.texts().first().contains(QStringLiteral("/no/such/python")));
        QCOMPARE(runner.interpreter(), QStringLiteral("python3"));
    }

    // The link's own runner warns in the link's log.
    void runnerWarnsThroughTheLink()
    {
        ControlBoard link;
        LogRecorder log(&link);
        link.pythonRunner()->setPythonPath(QStringLiteral("/no/such/python"));
        QCOMPARE(link.pythonRunner()->interpreter(), QStringLiteral("python3"));
        QCOMPARE(log.entries().size(), 1);
        QVERIFY(log.texts().first().contains(QStringLiteral("/no/such/python")));
    }

    // A script past its time-out is killed (a shell stands in for the interpreter, so it
    // starts at once and prints its process id first).
    void overlongScriptIsKilled()
    {
        PythonRunner runner;
        runner.setPythonPath(QStringLiteral("/bin/sh"));
        runner.setTimeout(2000);
        QElapsedTimer timer;
        timer.start();
        QByteArray out;
        QVERIFY(runner.run(writeScript("slow.sh", "echo $$\nexec sleep 60\n"), "x", &out));
        QVERIFY(timer.elapsed() < 30000); // the sleep of 60 s did not run out
        QVERIFY2(out.toInt() > 0, out.constData());
        QVERIFY(!QFile::exists(QStringLiteral("/proc/%1").arg(out.toInt())));
    }

    // The interpreter starts from the file checked (the path it is started by names the opened
    // descriptor); one missing from PATH starts nothing, and a script that is no regular file
    // or that the user's site folder puts in others' hands runs nothing; each says why.
    void interpreterStartedOnlyAsChecked()
    {
        PythonRunner runner;
        LogRecorder log(&runner);
        const QString interpreter = writeScript("interpreter.sh", "#!/bin/sh\necho \"$0\"\n");
        QVERIFY(QFile::setPermissions(interpreter, QFile::ReadOwner | QFile::ExeOwner));
        runner.setPythonPath(interpreter);
        const QString script = writeScript("any.py", "");
        QByteArray out;
        QVERIFY(runner.run(script, "x", &out));
        QVERIFY2(out.startsWith("/proc/self/fd/"), out.constData());

        const QByteArray searched = qgetenv("PATH");
        qputenv("PATH", m_dir.path().toUtf8());
        runner.setPythonPath(QStringLiteral("python3"));
        out = "stale";
        QVERIFY(runner.run(script, "x", &out));
        qputenv("PATH", searched);
        QCOMPARE(out, QByteArray());
        QCOMPARE(log.texts().last(),
                 QStringLiteral("Python interpreter python3 not started: it is not found in "
                                "PATH."));

        runner.setPythonPath(interpreter);
        QVERIFY(::mkfifo(qPrintable(m_dir.filePath("fifo.py")), 0600) == 0);
        QVERIFY(runner.run(m_dir.filePath("fifo.py"), "x", &out));
        QCOMPARE(out, QByteArray());
        QCOMPARE(log.texts().last(), "Python script " + m_dir.filePath("fifo.py") + " not run: " +
                                         m_dir.filePath("fifo.py") + " is not a regular file.");

        const QString site = m_dir.filePath("base/lib/python3.99/site-packages");
        QVERIFY(QDir().mkpath(site) &&
                QFile::setPermissions(site, QFileDevice::Permissions(0x7777)));
        qputenv("PYTHONUSERBASE", m_dir.filePath("base").toUtf8());
        out = "stale";
        QVERIFY(runner.run(script, "x", &out));
        qunsetenv("PYTHONUSERBASE");
        QCOMPARE(out, QByteArray());
        QCOMPARE(log.texts().last(), "Python script " + script + " not run: " + site +
                                         " is writable by other users (mode 0777), and the "
                                         "interpreter imports from it. Close it to other users.");
        QVERIFY(runner.run(script, "x", &out));
        QVERIFY2(out.startsWith("/proc/self/fd/"), out.constData());
    }

private:
    QString writeScript(const QString &name, const QByteArray &body)
    {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(body) == body.size() ? file.fileName()
                                                                                  : QString();
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestControlBoardPorts)
#include "tst_controlboard_ports.moc"
