// The program as a separate process with every prompt answered by default
// (KVL_PROMPT_DEFAULTS=1), driven through its pipe: it starts, serves requests once started,
// opens the mock-up and ends with exit code 0 on a "shutdown" request.
#include "../app/tst_pipefixture.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

namespace
{

QByteArray request(const QByteArray &batch)
{
    return PipeClient::exchange(PipeClient::programPipe(), batch);
}

} // namespace

class TestProgramProcess : public QObject
{
    Q_OBJECT

private slots:
    void runsAndShutsDownByRequest()
    {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KVL_PROMPT_DEFAULTS", "1");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(KVL_PROGRAM_PATH), QStringList());
        QVERIFY(program.waitForStarted(10000));

        // The pipe exists from the start on; the first request is answered once started.
        QByteArray reply;
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            reply = request("get\tversion\n");
            if (reply != "<no connection>" || timer.elapsed() > 30000)
                break;
            QTest::qWait(50);
        }
        QVERIFY2(reply.contains("Wed Jan 08 12:43:22 2019"), reply.constData());

        QCOMPARE(request("set\tSpiRaw.NOTHING\ti1\n"), QByteArray("err\n")); // not connected
        QCOMPARE(request("run\topen\tmockup\n"), QByteArray("i1"));
        QCOMPARE(request("run\tshutdown\n"), QByteArray("i1"));
        // The reply is read serving events, so the end may already have been seen.
        QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(QFile::exists("options.ini")); // written once, at the end
    }
};

QTEST_MAIN(TestProgramProcess)
#include "tst_programprocess.moc"
