// Both line speeds follow every open of the port: a reopen at a standard rate after a rate
// without a B constant (Turbo, 2304000) must not leave the input speed behind.
#include "fakeboard.h"
#include "linkfixture.h"
#include "serialport.h"

#include <QtTest>

Q_DECLARE_METATYPE(QList<int>)

class TestSerialSpeeds : public QObject
{
    Q_OBJECT

private slots:
    void reopeningsSetBothSpeeds_data()
    {
        QTest::addColumn<QList<int>>("rates");
        QTest::newRow("normal, turbo, normal") << QList<int>{115200, 2304000, 115200};
        QTest::newRow("turbo, slow, turbo") << QList<int>{2304000, 9600, 2304000};
        QTest::newRow("odd rate, then standard") << QList<int>{250000, 921600, 250000, 115200};
    }

    // The simulator reports a rate only when its input and output speeds agree.
    void reopeningsSetBothSpeeds()
    {
        QFETCH(QList<int>, rates);
        FakeBoard board;
        QVERIFY(board.isValid());
        SerialPort port;
        for (int rate : rates) {
            QVERIFY(port.open_port(board.devicePath(), rate));
            QCOMPARE(board.baudRate(), rate);
            QVERIFY(port.close());
        }
    }

    void refusedRateLeavesPortClosed()
    {
        FakeBoard board;
        SerialPort port;
        QTest::ignoreMessage(QtWarningMsg, "open_port: Unable to open ");
        QVERIFY(!port.open_port(board.devicePath(), 0));
        QVERIFY(!port.isOpen());
        QVERIFY(port.open_port(board.devicePath(), 115200));
        QCOMPARE(board.baudRate(), 115200);
    }

    // The link's own reopenings: Turbo while connected, then a user disconnect (back to
    // 115200) and a new connection at the normal speed.
    void linkReopeningsSetBothSpeeds()
    {
        LinkFixture f;
        QVERIFY(f.connectLink());
        QCOMPARE(f.board.baudRate(), 115200);
        QVERIFY(f.link.setBaudrate(2304000));
        QTRY_COMPARE(f.board.baudRate(), 2304000);
        f.link.disconnectBoard(ControlBoard::ByUser);
        QCOMPARE(f.board.baudRate(), 115200);
        QVERIFY(f.link.setBaudrate(115200));
        QVERIFY(f.connectLink());
        QCOMPARE(f.board.baudRate(), 115200);
    }
};

QTEST_MAIN(TestSerialSpeeds)
#include "tst_serialspeeds.moc"
