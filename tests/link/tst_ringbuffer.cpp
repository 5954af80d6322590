#include "ringbuffer.h"
#include "tablerows.h"

#include <QtTest>

#include <atomic>
#include <thread>

class TestRingBuffer : public QObject
{
    Q_OBJECT

private slots:
    void writeStopsAtCapacity()
    {
        RingBuffer rb(5000);
        const QByteArray big(6000, 'x');
        QCOMPARE(rb.write(big.constData(), int(big.size())), 5000);
        QCOMPARE(rb.count(), 5000);
        QCOMPARE(rb.writeIndex(), 0); // ended exactly at the end
        QCOMPARE(rb.write("y", 1), 0);
        QCOMPARE(rb.write(nullptr, 0), 0);
        QCOMPARE(rb.readAll(), QByteArray(5000, 'x'));
        QVERIFY(rb.isEmpty());
    }

    void readTakesOldestFirstAcrossWrap()
    {
        RingBuffer rb(8);
        rb.write(QByteArray("012345"));
        char out[5] = {'-', '-', '-', '-', '#'};
        QCOMPARE(rb.read(out, 4), 4); // never more than asked
        QCOMPARE(QByteArray(out, 5), QByteArray("0123#"));
        QCOMPARE(rb.read(out, 0), 0);
        rb.write(QByteArray("6789AB")); // wraps
        QCOMPARE(rb.count(), 8);
        QCOMPARE(rb.writeIndex(), 4);
        QCOMPARE(rb.write("Z", 1), 0);
        QCOMPARE(rb.read(3), QByteArray("456"));
        QCOMPARE(rb.read(100), QByteArray("789AB"));
        QCOMPARE(rb.read(out, 4), 0);
    }

    // Lines end at CR or LF; bytes without a terminator stay for later.
    void readLineSplitsAtTerminators_data()
    {
        addRows<QByteArray, QList<QByteArray>, QByteArray>({"input", "lines", "rest"},
                                                           {{"OK\rA=1\r", {"OK\r", "A=1\r"}, ""},
                                                            {"OK\nA=1\n", {"OK\n", "A=1\n"}, ""},
                                                            {"OK\r\n", {"OK\r", "\n"}, ""},
                                                            {"\n\n", {"\n", "\n"}, ""},
                                                            {"A\nBCD", {"A\n"}, "BCD"},
                                                            {"1234567", {}, "1234567"}});
    }

    void readLineSplitsAtTerminators()
    {
        QFETCH(QByteArray, input);
        QFETCH(QList<QByteArray>, lines);
        QFETCH(QByteArray, rest);
        RingBuffer rb(7); // small, so the lines wrap around the end
        rb.write(QByteArray(5, 'p'));
        rb.read(5);
        rb.write(input);
        for (const QByteArray &expected : lines) {
            bool found = false;
            QCOMPARE(rb.readLine(&found), expected);
            QVERIFY(found);
        }
        bool found = true;
        QVERIFY(rb.readLine(&found).isEmpty());
        QVERIFY(!found);
        QCOMPARE(rb.readAll(), rest);
    }

    void clearDiscardsOnlyWhatIsWritten()
    {
        RingBuffer rb(10);
        rb.write(QByteArray("old"));
        rb.clear();
        QVERIFY(rb.isEmpty());
        // The read index follows the writer instead of both going back to 0.
        QCOMPARE(rb.readIndex(), 3);
        QCOMPARE(rb.writeIndex(), 3);
        rb.write(QByteArray("new"));
        QCOMPARE(rb.readAll(), QByteArray("new"));

        // A writer thread keeps appending while the reader clears: every byte after the clear
        // arrives, none is lost or doubled.
        RingBuffer shared(64);
        std::atomic<bool> cleared{false};
        std::atomic<bool> go{false};
        std::thread writer([&]() {
            shared.write(QByteArray(20, 'x'));
            go = true;
            while (!cleared)
                std::this_thread::yield();
            for (int i = 0; i < 1000; ++i) {
                const char c = char('a' + i % 26);
                while (shared.write(&c, 1) == 0)
                    shared.waitForRoom(1, 1000);
            }
        });
        while (!go)
            std::this_thread::yield();
        shared.clear();
        cleared = true;
        QByteArray got;
        while (got.size() < 1000) {
            shared.waitForData(1, 1000);
            got += shared.readAll();
        }
        writer.join();
        QByteArray expected;
        for (int i = 0; i < 1000; ++i)
            expected.append(char('a' + i % 26));
        QCOMPARE(got, expected);
    }

    void waitsForDataAndRoom()
    {
        RingBuffer rb(16);
        std::thread writer([&]() {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            rb.write(QByteArray("ping\n"));
        });
        QVERIFY(rb.waitForData(5, 10000));
        writer.join();
        QCOMPARE(rb.readLine(), QByteArray("ping\n"));

        RingBuffer full(4);
        full.write(QByteArray("full"));
        QVERIFY(!full.waitForRoom(1, 20));
        full.read(2);
        QVERIFY(full.waitForRoom(2, 0));
        QVERIFY(!full.waitForRoom(3, 0));
    }
};

QTEST_GUILESS_MAIN(TestRingBuffer)
#include "tst_ringbuffer.moc"
