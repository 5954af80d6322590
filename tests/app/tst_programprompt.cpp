// The real program, run as a separate process: started without the test answer switch it asks
// its questions with its own dialogs, so it waits at the "Project type" question and serves no
// request yet (requests that arrive during the start are held); answering by default, it starts
// with the tool applets of its table.
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QtTest>

#include <memory>

static std::unique_ptr<QProcess> startProgram(bool answerDefaults)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("KVL_PROMPT_DEFAULTS");
    if (answerDefaults)
        env.insert("KVL_PROMPT_DEFAULTS", "1");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TMPDIR", QDir::tempPath());
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(KVL_PROGRAM_PATH, QStringList());
    return process;
}

// Connects to the program's socket, waiting for it to listen.
static bool connectTo(QLocalSocket &socket)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 60000) {
        socket.connectToServer(QDir::tempPath() + "/KVL52110");
        if (socket.waitForConnected(200))
            return true;
        QTest::qWait(100);
    }
    return false;
}

// One request on a connection of its own: the reply, read until the server closes.
static QByteArray request(const QByteArray &batch)
{
    QLocalSocket socket;
    if (!connectTo(socket))
        return "<no connection>";
    socket.write(batch);
    QByteArray reply;
    while (socket.state() == QLocalSocket::ConnectedState && socket.waitForReadyRead(30000))
        reply += socket.readAll();
    return reply + socket.readAll();
}

class TestProgramPrompt : public QObject
{
    Q_OBJECT

private slots:
    void startWaitsForTheProjectTypeDialog()
    {
        auto process = startProgram(false);
        QVERIFY(process->waitForStarted(30000));
        QLocalSocket socket;
        QVERIFY(connectTo(socket)); // the server listens before the question is asked
        socket.write("get\tversion\n");
        QVERIFY(socket.waitForBytesWritten(5000));
        QVERIFY(!socket.waitForReadyRead(5000));
        QCOMPARE(process->state(), QProcess::Running);
        process->kill();
        QVERIFY(process->waitForFinished(30000));
    }

    // A tool applet answers its unknown command with false where an unknown applet fails.
    void defaultAnswersStartWithTheToolApplets()
    {
        auto process = startProgram(true);
        QVERIFY(process->waitForStarted(30000));
        QCOMPARE(request("run\topen\tsmockup\n"), QByteArray("i1"));
        QCOMPARE(request("run\tNoApplet.cmd\n"), QByteArray("err\n"));
        QCOMPARE(request("run\tSpiRaw.cmd\n"), QByteArray("i0"));
        QCOMPARE(request("run\tshutdown\n"), QByteArray("i1"));
        QVERIFY(process->waitForFinished(60000));
        QCOMPARE(process->exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestProgramPrompt)
#include "tst_programprompt.moc"
