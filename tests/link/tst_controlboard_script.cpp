#include "controlboard.h"
#include "logrecorder.h"
#include "pythonrunner.h"
#include "recordingprompt.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The "script" port and the Python runner behind it.
class TestControlBoardScript : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void scriptAnswersCommands();
    void scriptGetsCarriageReturns();
    void cancelledChoiceDoesNotConnect();
    void unresolvedPathFallsBackWithOneWarning();
    void missingInterpreterGivesEmptyAnswer();
    void overlongScriptIsKilled();

private:
    QString writeScript(const QString &name, const QByteArray &body);
    QTemporaryDir m_dir;
};

void TestControlBoardScript::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
        QSKIP("python3 is not installed");
}

QString TestControlBoardScript::writeScript(const QString &name, const QByteArray &body)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(body);
    return path;
}

void TestControlBoardScript::scriptAnswersCommands()
{
    const QString script =
        writeScript("echo.py", "import sys\nprint('ANS:' + sys.argv[1])\nprint('second')\n");
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
    QVERIFY(link.send("set A=1\nset B=2\n", &got));
    // LFs removed from the text and from the output.
    QCOMPARE(got, QByteArray("ANS:set A=1set B=2second"));
    QVERIFY(log.texts().last().endsWith(QStringLiteral("):ANS:set A=1set B=2second")));
}

void TestControlBoardScript::scriptGetsCarriageReturns()
{
    // Only the LFs are taken out of the command text; a CR (ending a flash block line) stays.
    const QString script = writeScript("repr.py", "import sys\nprint(repr(sys.argv[1]))\n");
    RecordingPrompt prompt;
    prompt.queueFile(script);
    ControlBoard link;
    QVERIFY(link.connectBoard(QStringLiteral("script")));
    QByteArray got;
    QVERIFY(link.send("set flash=00\r\n", &got));
    QCOMPARE(got, QByteArray("'set flash=00\\r'"));
}

void TestControlBoardScript::cancelledChoiceDoesNotConnect()
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

void TestControlBoardScript::unresolvedPathFallsBackWithOneWarning()
{
    const QString script = writeScript("ok.py", "print('ok')\n");
    PythonRunner runner;
    LogRecorder log(&runner);
    runner.setPythonPath(QStringLiteral("/no/such/python"));
    QByteArray out;
    QVERIFY(runner.run(script, "x", &out));
    QCOMPARE(out, QByteArray("ok"));
    QVERIFY(runner.run(script, "x", &out));
    QCOMPARE(out, QByteArray("ok"));
    QCOMPARE(log.entries().size(), 1);
    QVERIFY(log.entries().first().first > 0 && log.entries().first().first <= 100);
    QVERIFY(log.entries().first().second.contains(QStringLiteral("/no/such/python")));
    QCOMPARE(runner.interpreter(), QStringLiteral("python3"));
}

void TestControlBoardScript::missingInterpreterGivesEmptyAnswer()
{
    const QString script = writeScript("never.py", "print('never')\n");
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(m_dir.path()));
    RecordingPrompt prompt;
    prompt.queueFile(script);
    ControlBoard link;
    link.pythonRunner()->setPythonPath(QStringLiteral("/no/such/python"));
    QVERIFY(link.connectBoard(QStringLiteral("script")));
    QByteArray got = "kept";
    const bool ok = link.send("get A", &got);
    qputenv("PATH", oldPath);
    QVERIFY(ok);
    QVERIFY(got.isEmpty());
}

void TestControlBoardScript::overlongScriptIsKilled()
{
    // A shell stands in for the interpreter: it starts at once, so the time-out can stay short
    // on a loaded machine and the script still prints its process id before it is killed.
    const QString script = writeScript("slow.sh", "echo $$\nexec sleep 60\n");
    PythonRunner runner;
    runner.setPythonPath(QStringLiteral("/bin/sh"));
    runner.setTimeout(2000);
    QElapsedTimer timer;
    timer.start();
    QByteArray out;
    QVERIFY(runner.run(script, "x", &out));
    QVERIFY(timer.elapsed() < 30000);
    bool isNumber = false;
    const int pid = out.toInt(&isNumber);
    QVERIFY2(isNumber, out.constData());
    QVERIFY(!QFile::exists(QStringLiteral("/proc/%1").arg(pid)));
}

QTEST_GUILESS_MAIN(TestControlBoardScript)
#include "tst_controlboard_script.moc"
