// The tone output: the installed one or the system beep, whose wait lasts the tone and ends
// early on a thread whose interruption was requested.
#include "toneoutput.h"

#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>

class TestToneOutput : public QObject
{
    Q_OBJECT

private slots:
    void installedOrDefault()
    {
        struct Silent : ToneOutput {
            void play(int, int) override {}
        } silent;
        QVERIFY(dynamic_cast<SystemBeepOutput *>(ToneOutput::instance()));
        ToneOutput::install(&silent);
        QCOMPARE(ToneOutput::instance(), &silent);
        ToneOutput::install(nullptr);
        QVERIFY(dynamic_cast<SystemBeepOutput *>(ToneOutput::instance()));
    }

    // A short tone (and one of no length) ends by itself; a long one ends once its thread is
    // asked to stop and the waits of such threads are ended.
    void systemBeepWaits()
    {
        SystemBeepOutput beep;
        beep.play(440, 5);
        beep.play(440, -1);
        std::atomic<bool> started{false};
        std::unique_ptr<QThread> player(QThread::create([&]() {
            started = true;
            beep.play(440, 600000);
        }));
        player->start();
        QTRY_VERIFY(started);
        player->requestInterruption();
        // Ended again each round: the player may only now begin to wait.
        QTRY_VERIFY_WITH_TIMEOUT((SystemBeepOutput::endInterruptedTones(), player->isFinished()),
                                 15000);
        player->wait();
    }
};

QTEST_MAIN(TestToneOutput)
#include "tst_toneoutput.moc"
