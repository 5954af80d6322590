#include "controlboard.h"
#include "logrecorder.h"
#include "pythonrunner.h"
#include "recordingprompt.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The "script" port and the Python runner behind it.
class TestControlBoardScript : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
            QSKIP("python3 is not installed");
    }

    void scriptAnswersCommands()
    {
        const QString script =
            writeScript("echo.py", "import sys\nprint(repr(sys.argv[1]))\nprint('second')\n");
        RecordingPrompt prompt;
        prompt.queueFile(script);
        ControlBoard link;
        link.setLogEnabled(true);
        LogRecorder log(&link);
        QVERIFY(link.connectBoard(QStringLiteral("script")));
        QCOMPARE(prompt.fileDialogs(), QStringList{QStringLiteral("Script path|Files (*.py)")});
        QCOMPARE(link.portName(), QStringLiteral("script"));
        QCOMPARE(link.scriptPath(), script);
        QByteArray got;
        // LFs are taken out of the text and the output; a CR (ending a flash block line) stays.
        QVERIFY(link.send("set A=1\nset flash=00\r\n", &got));
        QCOMPARE(got, QByteArray("'set A=1set flash=00\\r'second"));
        QVERIFY(log.texts().last().endsWith(QStringLiteral("):'set A=1set flash=00\\r'second")));
    }

    void cancelledChoiceDoesNotConnect()
    {
        RecordingPrompt prompt;
        ControlBoard link;
        QVERIFY(!link.connectBoard(QStringLiteral("script")));
        QVERIFY(!link.isConnected());
        prompt.queueFile(m_dir.filePath(QStringLiteral("missing.py")));
        QVERIFY(!link.connectBoard(QStringLiteral("script")));
        QVERIFY(!link.isConnected());
        QVERIFY(!link.send("get A", nullptr));
    }

    void unresolvedPathFallsBackWithOneWarning()
    {
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
        QVERIFY(log.entries().first().second.contains(QStringLiteral("/no/such/python")));
        QCOMPARE(runner.interpreter(), QStringLiteral("python3"));
    }

    void missingInterpreterGivesEmptyAnswer()
    {
        const QString script = writeScript("never.py", "print('never')\n");
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(m_dir.path()));
        RecordingPrompt prompt;
        prompt.queueFile(script);
        ControlBoard link;
        link.pythonRunner()->setPythonPath(QStringLiteral("/no/such/python"));
        const bool connected = link.connectBoard(QStringLiteral("script"));
        QByteArray got = "kept";
        const bool ok = link.send("get A", &got);
        qputenv("PATH", oldPath);
        QVERIFY(connected);
        QVERIFY(ok);
        QVERIFY(got.isEmpty());
    }

    void overlongScriptIsKilled()
    {
        // A shell stands in for the interpreter: it starts at once, so the time-out can stay
        // short on a loaded machine and the script still prints its process id before it is
        // killed.
        const QString script = writeScript("slow.sh", "echo $$\nexec sleep 60\n");
        PythonRunner runner;
        runner.setPythonPath(QStringLiteral("/bin/sh"));
        runner.setTimeout(2000);
        QElapsedTimer timer;
        timer.start();
        QByteArray out;
        QVERIFY(runner.run(script, "x", &out));
        QVERIFY(timer.elapsed() < 30000); // the sleep of 60 s did not run out
        bool isNumber = false;
        const int pid = out.toInt(&isNumber);
        QVERIFY2(isNumber, out.constData());
        QVERIFY(!QFile::exists(QStringLiteral("/proc/%1").arg(pid)));
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

QTEST_GUILESS_MAIN(TestControlBoardScript)
#include "tst_controlboard_script.moc"
