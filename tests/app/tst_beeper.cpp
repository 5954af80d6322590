#include "beeper.h"
#include "toneoutput.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QPointer>
#include <QtTest>

namespace
{

// Records every tone with the thread and priority it was played on.
class RecordingTones : public ToneOutput
{
public:
    void play(int frequencyHz, int durationMs) override
    {
        QMutexLocker lock(&mutex);
        tones.append(qMakePair(frequencyHz, durationMs));
        threads.append(QThread::currentThread());
        priorities.append(QThread::currentThread()->priority());
    }
    QList<QPair<int, int>> recorded()
    {
        QMutexLocker lock(&mutex);
        return tones;
    }
    QMutex mutex;
    QList<QPair<int, int>> tones;
    QList<QThread *> threads;
    QList<QThread::Priority> priorities;
};

using Tones = QList<QPair<int, int>>;

} // namespace

class TestBeeper : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void patterns_data();
    void patterns();
    void playsOnOwnLowPriorityThread();
    void severalAtOnce();
    void systemBeepWaitsOutDuration();

private:
    RecordingTones *tones = nullptr;
};

void TestBeeper::init()
{
    tones = new RecordingTones;
    ToneOutput::install(tones);
}

void TestBeeper::cleanup()
{
    ToneOutput::install(nullptr);
    delete tones;
}

void TestBeeper::patterns_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<Tones>("expected");
    QTest::newRow("error pattern")
        << "1000:100;1200:200;2000:100" << Tones{{1000, 100}, {1200, 200}, {2000, 100}};
    QTest::newRow("one tone") << "440:5" << Tones{{440, 5}};
    QTest::newRow("only the last part must read") << "x:10;1200:20" << Tones{{0, 10}, {1200, 20}};
    QTest::newRow("last duration not a number") << "1000:100;1200:x" << Tones{};
    QTest::newRow("last frequency not a number") << "1000:100;y:20" << Tones{};
    QTest::newRow("part without colon") << "1000:100;1200" << Tones{};
    QTest::newRow("part with two colons") << "1000:100:5" << Tones{};
    QTest::newRow("trailing semicolon") << "1000:100;" << Tones{};
    QTest::newRow("empty pattern") << "" << Tones{};
    QTest::newRow("colon alone") << ":" << Tones{};
}

void TestBeeper::patterns()
{
    QFETCH(QString, pattern);
    QFETCH(Tones, expected);
    Tones parsed;
    QCOMPARE(Beeper::parsePattern(pattern, &parsed), !expected.isEmpty());

    QPointer<Beeper> beeper = new Beeper(pattern);
    // Played or not, the beeper disposes of itself.
    QTRY_VERIFY_WITH_TIMEOUT(beeper.isNull(), 10000);
    QCOMPARE(tones->recorded(), expected);
}

void TestBeeper::playsOnOwnLowPriorityThread()
{
    QPointer<Beeper> beeper = new Beeper(QStringLiteral("1000:1;2000:1"));
    QTRY_VERIFY_WITH_TIMEOUT(beeper.isNull(), 10000);
    QCOMPARE(tones->threads.size(), 2);
    QVERIFY(tones->threads.first() != QThread::currentThread());
    QCOMPARE(tones->threads.first(), tones->threads.last());
    QCOMPARE(tones->priorities.first(), QThread::LowPriority);
}

void TestBeeper::severalAtOnce()
{
    QList<QPointer<Beeper>> beepers;
    for (int i = 0; i < 5; ++i)
        beepers.append(new Beeper(QStringLiteral("%1:2;%1:3").arg(100 * (i + 1))));
    QTRY_VERIFY_WITH_TIMEOUT(std::all_of(beepers.begin(), beepers.end(),
                                         [](const QPointer<Beeper> &b) { return b.isNull(); }),
                             10000);
    const Tones played = tones->recorded();
    QCOMPARE(played.size(), 10);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(played.count(qMakePair(100 * (i + 1), 2)), 1);
        QCOMPARE(played.count(qMakePair(100 * (i + 1), 3)), 1);
    }
}

void TestBeeper::systemBeepWaitsOutDuration()
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

QTEST_MAIN(TestBeeper)
#include "tst_beeper.moc"
