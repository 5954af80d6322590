#include "beeper.h"
#include "tst_recordingtones.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QtTest>

class TestBeeper : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        tones = new RecordingTones;
        ToneOutput::install(tones);
    }

    void cleanup()
    {
        ToneOutput::install(nullptr);
        delete tones;
    }

    void patterns_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<Tones>("expected");
        QTest::newRow("error pattern") << QString("1000:100;1200:200;2000:100")
                                       << Tones{{1000, 100}, {1200, 200}, {2000, 100}};
        QTest::newRow("one tone") << QString("440:5") << Tones{{440, 5}};
        QTest::newRow("only the last part must read")
            << QString("x:10;1200:20") << Tones{{0, 10}, {1200, 20}};
        QTest::newRow("last duration not a number") << QString("1000:100;1200:x") << Tones{};
        QTest::newRow("last frequency not a number") << QString("1000:100;y:20") << Tones{};
        QTest::newRow("part without colon") << QString("1000:100;1200") << Tones{};
        QTest::newRow("part with two colons") << QString("1000:100:5") << Tones{};
        QTest::newRow("trailing semicolon") << QString("1000:100;") << Tones{};
        QTest::newRow("empty pattern") << QString("") << Tones{};
        QTest::newRow("colon alone") << QString(":") << Tones{};
    }

    void patterns()
    {
        QFETCH(QString, pattern);
        QFETCH(Tones, expected);
        Tones parsed;
        QCOMPARE(Beeper::parsePattern(pattern, &parsed), !expected.isEmpty());

        QPointer<Beeper> beeper = new Beeper(pattern);
        // Played or not, the beeper disposes of itself.
        QTRY_VERIFY_WITH_TIMEOUT(beeper.isNull(), 10000);
        QCOMPARE(tones->played(), expected);
    }

    void playsOnOwnLowPriorityThread()
    {
        QPointer<Beeper> beeper = new Beeper(QStringLiteral("1000:1;2000:1"));
        QTRY_VERIFY_WITH_TIMEOUT(beeper.isNull(), 10000);
        const QList<QThread *> threads = tones->playedOn();
        QCOMPARE(threads.size(), 2);
        QVERIFY(threads.first() != QThread::currentThread());
        QCOMPARE(threads.first(), threads.last());
        QCOMPARE(tones->playedAt().first(), QThread::LowPriority);
    }

    void severalAtOnce()
    {
        QList<QPointer<Beeper>> beepers;
        for (int i = 0; i < 5; ++i)
            beepers.append(new Beeper(QStringLiteral("%1:2;%1:3").arg(100 * (i + 1))));
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(beepers.begin(), beepers.end(),
                                             [](const QPointer<Beeper> &b) { return b.isNull(); }),
                                 10000);
        const Tones played = tones->played();
        QCOMPARE(played.size(), 10);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(played.count(qMakePair(100 * (i + 1), 2)), 1);
            QCOMPARE(played.count(qMakePair(100 * (i + 1), 3)), 1);
        }
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
        QCoreApplication::processEvents();
    }

private:
    RecordingTones *tones = nullptr;
};

QTEST_MAIN(TestBeeper)
#include "tst_beeper.moc"
