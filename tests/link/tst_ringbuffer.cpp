#include "ringbuffer.h"

#include <QtTest>

#include <atomic>
#include <thread>

class TestRingBuffer : public QObject
{
    Q_OBJECT

private slots:
    // Writes stop at the capacity; lines end at CR or LF (CR LF gives two) across the wrap;
    // bytes without a terminator stay for later.
    void linesAcrossTheWrap()
    {
        for (auto [input, lines, rest] :
             {std::tuple{QByteArray("OK\rA=1\r"), QList<QByteArray>{"OK\r", "A=1\r"}, QByteArray()},
              {"OK\nA=1\n", {"OK\n", "A=1\n"}, ""}, {"OK\r\n", {"OK\r", "\n"}, ""},
              {"A\nBCD", {"A\n"}, "BCD"}, {"1234567", {}, "1234567"}, {"12345678", {}, "1234567"}}) {
            RingBuffer rb(7);
            rb.write(QByteArray(5, 'p'));
            QCOMPARE(rb.read(9), QByteArray(5, 'p'));
            QCOMPARE(rb.write(input.constData(), int(input.size())), qMin(7, int(input.size())));
            bool found = false;
            for (const QByteArray &expected : lines) {
                QCOMPARE(rb.readLine(&found), expected);
                QVERIFY(found);
            }
            QVERIFY(rb.readLine(&found).isEmpty() && !found);
            QCOMPARE(rb.readAll(), rest);
        }
    }

    // A writer thread keeps appending while the reader clears: every byte after the clear
    // arrives, none is lost or doubled.
    void clearDiscardsOnlyWhatIsWritten()
    {
        RingBuffer shared(64);
        std::atomic<bool> cleared{false};
        std::atomic<bool> go{false};
        QByteArray expected;
        for (int i = 0; i < 1000; ++i)
            expected.append(char('a' + i % 26));
        std::thread writer([&]() {
            shared.write(QByteArray(20, 'x'));
            go = true;
            while (!cleared)
                std::this_thread::yield();
            for (char c : expected) {
                while (shared.write(&c, 1) == 0)
                    shared.waitForRoom(1, 1000);
            }
        });
        while (!go)
            std::this_thread::yield();
        shared.clear();
        cleared = true;
        QByteArray got;
        while (got.size() < 1000 && shared.waitForData(1, 10000))
            got += shared.readAll();
        writer.join();
        QCOMPARE(got, expected);
        QVERIFY(!shared.waitForData(1, 20));
        QVERIFY(shared.waitForRoom(64, 0) && !shared.waitForRoom(65, 0));
    }
};

QTEST_GUILESS_MAIN(TestRingBuffer)
#include "tst_ringbuffer.moc"
