// The beeper plays a pattern of tones on a low-priority thread of its own and disposes of
// itself; a pattern whose last part does not read plays nothing.
#include "beeper.h"
#include "tablerows.h"
#include "tst_recordingtones.h"

#include <QPointer>
#include <QtTest>

class TestBeeper : public QObject
{
    Q_OBJECT
private slots:
    void init() { ToneOutput::install(&tones); }
    void cleanup()
    {
        ToneOutput::install(nullptr);
        tones.clear();
    }

    void patterns_data()
    {
        addRows<QString, Tones>({"pattern", "expected"},
                                {{"1000:100;1200:200;2000:100", {{1000, 100}, {1200, 200}, {2000, 100}}},
                                 {"440:5", {{440, 5}}}, {"x:10;1200:20", {{0, 10}, {1200, 20}}},
                                 {"1000:100;1200:x", {}}, {"1000:100;y:20", {}}, {"1000:100;1200", {}},
                                 {"1000:100:5", {}}, {"1000:100;", {}}, {"", {}}, {":", {}}});
    }

    void patterns()
    {
        QFETCH(QString, pattern);
        QFETCH(Tones, expected);
        Tones parsed;
        QCOMPARE(Beeper::parsePattern(pattern, &parsed), !expected.isEmpty());
        QPointer<Beeper> beeper = new Beeper(pattern);
        QTRY_VERIFY_WITH_TIMEOUT(beeper.isNull(), 10000); // played or not, it goes
        QCOMPARE(tones.played(), expected);
        if (expected.isEmpty())
            return;
        QVERIFY(tones.playedOn().first() != QThread::currentThread());
        QCOMPARE(tones.playedOn().first(), tones.playedOn().last());
        QCOMPARE(tones.playedAt().first(), QThread::LowPriority);
    }

    void severalAtOnce()
    {
        QList<QPointer<Beeper>> beepers;
        for (int i = 1; i <= 5; ++i)
            beepers.append(new Beeper(QStringLiteral("%1:2;%1:3").arg(100 * i)));
        for (const QPointer<Beeper> &b : std::as_const(beepers))
            QTRY_VERIFY_WITH_TIMEOUT(b.isNull(), 10000);
        const Tones played = tones.played();
        QCOMPARE(played.size(), 10);
        for (int i = 1; i <= 5; ++i)
            QVERIFY(played.contains({100 * i, 2}) && played.contains({100 * i, 3}));
    }

    void systemBeepWaitsOutDuration()
    {
        ToneOutput::install(nullptr);
        QVERIFY(dynamic_cast<SystemBeepOutput *>(ToneOutput::instance()));
        QElapsedTimer t;
        t.start();
        ToneOutput::instance()->play(1000, 30);
        QVERIFY(t.elapsed() >= 29);             // blocks at least for the tone
        ToneOutput::instance()->play(1000, -5); // a negative duration does not wait forever
    }

private:
    RecordingTones tones;
};

QTEST_MAIN(TestBeeper)
#include "tst_beeper.moc"
