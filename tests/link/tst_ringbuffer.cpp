#include "ringbuffer.h"

#include <QtTest>

#include <atomic>
#include <thread>

class TestRingBuffer : public QObject
{
    Q_OBJECT

private slots:
    void writeStopsAtCapacity();
    void writeIndexAcrossWrap_data();
    void writeIndexAcrossWrap();
    void readTakesOldestFirstAcrossWrap();
    void readNeverCopiesMoreThanAsked();
    void readLineSplitsAtTerminators_data();
    void readLineSplitsAtTerminators();
    void readLineWithoutTerminatorKeepsBytes();
    void clearDiscardsOnlyWhatIsWritten();
    void waitForDataWakesOnWrite();
    void waitForRoomTimesOut();
    void twoThreadStressArrivesCompleteInOrder();
};

void TestRingBuffer::writeStopsAtCapacity()
{
    RingBuffer rb(5000);
    const QByteArray big(6000, 'x');
    QCOMPARE(rb.write(big.constData(), int(big.size())), 5000);
    QCOMPARE(rb.count(), 5000);
    QCOMPARE(rb.write("y", 1), 0);
    QCOMPARE(rb.write(nullptr, 0), 0);
    QCOMPARE(rb.readAll(), QByteArray(5000, 'x'));
    QVERIFY(rb.isEmpty());
}

void TestRingBuffer::writeIndexAcrossWrap_data()
{
    QTest::addColumn<int>("firstWrite");
    QTest::addColumn<int>("secondWrite");
    QTest::addColumn<int>("expectedIndex");
    // capacity 10: 7 written and read, then 5 more: 3 at the end, 2 at the start
    QTest::newRow("crosses end") << 7 << 5 << 2;
    QTest::newRow("ends exactly at end") << 7 << 3 << 0;
    QTest::newRow("stays inside") << 2 << 3 << 5;
}

void TestRingBuffer::writeIndexAcrossWrap()
{
    QFETCH(int, firstWrite);
    QFETCH(int, secondWrite);
    QFETCH(int, expectedIndex);
    RingBuffer rb(10);
    rb.write(QByteArray(firstWrite, 'a'));
    QCOMPARE(rb.read(firstWrite).size(), firstWrite);
    QCOMPARE(rb.write(QByteArray(secondWrite, 'b').constData(), secondWrite), secondWrite);
    QCOMPARE(rb.writeIndex(), expectedIndex);
    QCOMPARE(rb.readAll(), QByteArray(secondWrite, 'b'));
}

void TestRingBuffer::readTakesOldestFirstAcrossWrap()
{
    RingBuffer rb(8);
    rb.write(QByteArray("012345"));
    QCOMPARE(rb.read(4), QByteArray("0123"));
    rb.write(QByteArray("6789AB")); // wraps
    QCOMPARE(rb.count(), 8);
    QCOMPARE(rb.write("Z", 1), 0);
    QCOMPARE(rb.read(3), QByteArray("456"));
    QCOMPARE(rb.readAll(), QByteArray("789AB"));
}

void TestRingBuffer::readNeverCopiesMoreThanAsked()
{
    RingBuffer rb(16);
    rb.write(QByteArray("abcdefghij"));
    char out[5] = {'-', '-', '-', '-', '#'};
    QCOMPARE(rb.read(out, 4), 4);
    QCOMPARE(QByteArray(out, 5), QByteArray("abcd#"));
    QCOMPARE(rb.read(out, 0), 0);
    QCOMPARE(rb.read(100), QByteArray("efghij"));
    QCOMPARE(rb.read(out, 4), 0);
}

void TestRingBuffer::readLineSplitsAtTerminators_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::newRow("CR") << QByteArray("OK\rA=1\r") << QList<QByteArray>{"OK\r", "A=1\r"};
    QTest::newRow("LF") << QByteArray("OK\nA=1\n") << QList<QByteArray>{"OK\n", "A=1\n"};
    QTest::newRow("CR LF") << QByteArray("OK\r\n") << QList<QByteArray>{"OK\r", "\n"};
    QTest::newRow("empty lines") << QByteArray("\n\n") << QList<QByteArray>{"\n", "\n"};
}

void TestRingBuffer::readLineSplitsAtTerminators()
{
    QFETCH(QByteArray, input);
    QFETCH(QList<QByteArray>, lines);
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
}

void TestRingBuffer::readLineWithoutTerminatorKeepsBytes()
{
    RingBuffer rb(32);
    rb.write(QByteArray("1234567"));
    bool found = true;
    QVERIFY(rb.readLine(&found).isEmpty());
    QVERIFY(!found);
    QCOMPARE(rb.count(), 7);
    rb.write(QByteArray("\n"));
    QCOMPARE(rb.readLine(&found), QByteArray("1234567\n"));
    QVERIFY(found);
}

void TestRingBuffer::clearDiscardsOnlyWhatIsWritten()
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
    QCOMPARE(got.size(), 1000);
    for (int i = 0; i < 1000; ++i)
        QCOMPARE(got.at(i), char('a' + i % 26));
}

void TestRingBuffer::waitForDataWakesOnWrite()
{
    RingBuffer rb(16);
    std::thread writer([&]() {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        rb.write(QByteArray("ping\n"));
    });
    QVERIFY(rb.waitForData(5, 10000));
    writer.join();
    QCOMPARE(rb.readLine(), QByteArray("ping\n"));
}

void TestRingBuffer::waitForRoomTimesOut()
{
    RingBuffer rb(4);
    rb.write(QByteArray("full"));
    QVERIFY(!rb.waitForRoom(1, 20));
    rb.read(2);
    QVERIFY(rb.waitForRoom(2, 0));
    QVERIFY(!rb.waitForRoom(3, 0));
}

void TestRingBuffer::twoThreadStressArrivesCompleteInOrder()
{
    RingBuffer rb(5000);
    const int total = 8 * 1024 * 1024;
    auto byteAt = [](int i) { return char((i * 7 + i / 251) & 0xFF); };
    std::thread writer([&]() {
        char chunk[777];
        int sent = 0;
        while (sent < total) {
            const int n = qMin(int(sizeof chunk), total - sent);
            for (int i = 0; i < n; ++i)
                chunk[i] = byteAt(sent + i);
            int done = 0;
            while (done < n) {
                const int w = rb.write(chunk + done, n - done);
                if (w == 0)
                    rb.waitForRoom(1, 1000);
                done += w;
            }
            sent += n;
        }
    });
    int received = 0;
    bool inOrder = true;
    char out[1000];
    while (received < total) {
        const int n = rb.read(out, int(sizeof out));
        if (n == 0) {
            QVERIFY(rb.waitForData(1, 10000));
            continue;
        }
        for (int i = 0; i < n && inOrder; ++i)
            inOrder = out[i] == byteAt(received + i);
        received += n;
    }
    writer.join();
    QVERIFY(inOrder);
    QCOMPARE(received, total);
    QVERIFY(rb.isEmpty());
}

QTEST_GUILESS_MAIN(TestRingBuffer)
#include "tst_ringbuffer.moc"
