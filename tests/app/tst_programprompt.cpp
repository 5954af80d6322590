// The real program asks its questions with its own dialogs: started without the test answer
// switch, it waits at the "Project type" question and so serves no request yet (requests that
// arrive during the start are held). A program that answered by default would start and reply.
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QtTest>

class TestProgramPrompt : public QObject
{
    Q_OBJECT

private slots:
    void startWaitsForTheProjectTypeDialog()
    {
        const QString program = QStringLiteral(KVL_PROGRAM_PATH);
        QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("KVL_PROMPT_DEFAULTS"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TMPDIR"), QDir::tempPath());
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(program, QStringList());
        QVERIFY(process.waitForStarted(30000));

        // The server listens before the question is asked.
        QLocalSocket socket;
        QElapsedTimer waited;
        waited.start();
        while (socket.state() != QLocalSocket::ConnectedState && waited.elapsed() < 60000) {
            socket.connectToServer(QDir::tempPath() + QStringLiteral("/KVL52110"));
            if (!socket.waitForConnected(200))
                QTest::qWait(100);
        }
        QCOMPARE(socket.state(), QLocalSocket::ConnectedState);
        socket.write("get\tversion\n");
        QVERIFY(socket.waitForBytesWritten(5000));
        QVERIFY(!socket.waitForReadyRead(5000));
        QVERIFY(socket.readAll().isEmpty());
        QCOMPARE(process.state(), QProcess::Running);
        process.kill();
        QVERIFY(process.waitForFinished(30000));
    }
};

QTEST_GUILESS_MAIN(TestProgramPrompt)
#include "tst_programprompt.moc"
