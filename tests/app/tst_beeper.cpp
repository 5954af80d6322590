// The beeper plays a pattern of tones on a low-priority thread of its own and disposes of
// itself; a pattern whose last part does not read plays nothing.
#include "beeper.h"
#include "tst_recordingtones.h"

#include <QPointer>
#include <QtTest>

class TestBeeper : public QObject
{
    Q_OBJECT
private slots:
    void patternsPlayOnTheirOwnThreads()
    {
        RecordingTones tones;
        ToneOutput::install(&tones);
        const QList<QPair<QString, Tones>> cases = {
            {"1000:100;1200:200;2000:100", {{1000, 100}, {1200, 200}, {2000, 100}}},
            {"x:10;1200:20", {{0, 10}, {1200, 20}}}, // only the last part must read
            {"1000:100;1200:x", {}}, {"1000:100;y:20", {}}, {"1000:100;1200", {}},
            {"1000:100:5", {}}, {"1000:100;", {}}, {"", {}}, {":", {}}};
        for (const auto &[pattern, expected] : cases) {
            Tones parsed;
            QCOMPARE(Beeper::parsePattern(pattern, &parsed), !expected.isEmpty());
            QPointer<Beeper> beeper = new Beeper(pattern);
            QTRY_VERIFY_WITH_TIMEOUT(beeper.isNull(), 10000); // played or not, it goes
            QCOMPARE(tones.played(), expected);
            tones.tones.clear();
        }
        QVERIFY(!tones.threads.contains(QThread::currentThread()));
        QCOMPARE(tones.lowPriority, QList<bool>(5, true));

        QList<QPointer<Beeper>> beepers; // several at once
        for (int i = 1; i <= 5; ++i)
            beepers.append(new Beeper(QStringLiteral("%1:2;%1:3").arg(100 * i)));
        for (const QPointer<Beeper> &b : std::as_const(beepers))
            QTRY_VERIFY_WITH_TIMEOUT(b.isNull(), 10000);
        QCOMPARE(tones.count(), 10);
        for (int i = 1; i <= 5; ++i)
            QVERIFY(tones.tones.contains({100 * i, 2}) && tones.tones.contains({100 * i, 3}));

        // The system output waits out a tone; a negative duration does not wait forever.
        ToneOutput::install(nullptr);
        QVERIFY(dynamic_cast<SystemBeepOutput *>(ToneOutput::instance()));
        QElapsedTimer t;
        t.start();
        ToneOutput::instance()->play(1000, 30);
        ToneOutput::instance()->play(1000, -5);
        QVERIFY(t.elapsed() >= 29);
    }
};

QTEST_MAIN(TestBeeper)
#include "tst_beeper.moc"
