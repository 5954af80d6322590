#include "fakeboard.h"
#include "serialport.h"

#include <QFileInfo>
#include <QtTest>

#include <sys/eventfd.h>
#include <unistd.h>

// The termios layer on a pseudo-terminal served by the board simulator.
class TestSerialPort : public QObject
{
    Q_OBJECT

private slots:
    void devicePathMapping_data();
    void devicePathMapping();
    void closedPortFails();
    void openTwiceKeepsPort();
    void writeReachesBoard();
    void readTakesAtMostScratch();
    void rtsOnPtyIsNotAnError();
    void ratesIncludingTurbo_data();
    void ratesIncludingTurbo();
    void exclusiveUntilClosed();
    void waitForInputWakes();
    void portListHoldsDevicesOnly();
};

void TestSerialPort::devicePathMapping_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("COM1") << "COM1"
                          << "/dev/ttyS0";
    QTest::newRow("com12") << "com12"
                           << "/dev/ttyS11";
    QTest::newRow("pty path") << "/dev/pts/7"
                              << "/dev/pts/7";
    QTest::newRow("bare name") << "ttyUSB0"
                               << "/dev/ttyUSB0";
    QTest::newRow("COM0 is no COM port") << "COM0"
                                         << "/dev/COM0";
}

void TestSerialPort::devicePathMapping()
{
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(SerialPort::devicePath(name), path);
}

void TestSerialPort::closedPortFails()
{
    SerialPort port;
    QVERIFY(!port.open_port(QString(), 115200));
    QVERIFY(!port.open_port(QStringLiteral("/dev/no-such-tty"), 115200));
    QVERIFY(!port.isOpen());
    QByteArray out = "x";
    QCOMPARE(port.write("abc"), 0);
    QCOMPARE(port.read(out, 10), -1);
    QVERIFY(out.isEmpty());
    QCOMPARE(port.bytesAvailable(), 0);
    // A device that opens but cannot be configured as a terminal: one warning, still closed.
    QTest::ignoreMessage(QtWarningMsg, "open_port: Unable to open ");
    QVERIFY(!port.open_port(QStringLiteral("/dev/null"), 115200));
    QVERIFY(!port.isOpen());
    QCOMPARE(port.handle(), -1);
}

void TestSerialPort::openTwiceKeepsPort()
{
    FakeBoard board;
    SerialPort port;
    QVERIFY(port.open_port(board.devicePath(), 115200));
    const int fd = port.handle();
    QVERIFY(port.open_port(QString(), 9600));
    QCOMPARE(port.handle(), fd);
    QCOMPARE(board.baudRate(), 115200);
    port.setPortName(QStringLiteral("/dev/other"));
    QCOMPARE(port.portName(), board.devicePath());
    QVERIFY(port.close());
    QVERIFY(!port.isOpen());
}

void TestSerialPort::writeReachesBoard()
{
    FakeBoard board;
    SerialPort port(board.devicePath());
    QVERIFY(port.open_port(QString(), 115200));
    QCOMPARE(port.write("set A=1\n"), 8);
    QVERIFY(board.waitForLines(1, 10000));
    QCOMPARE(board.lines(), QList<QByteArray>{"set A=1"});
    QByteArray answer;
    const int n = port.read(answer, 100, 10000);
    QCOMPARE(n, int(answer.size()));
    QVERIFY(answer.startsWith("A:ok"));
}

void TestSerialPort::readTakesAtMostScratch()
{
    FakeBoard board;
    SerialPort port(board.devicePath());
    QVERIFY(port.open_port(QString(), 115200));
    const QByteArray sent(3000, 'q');
    board.writeRaw(sent + sent);
    QByteArray all;
    while (all.size() < 6000) {
        QByteArray out;
        const int n = port.read(out, 100000, 10000);
        QVERIFY(n > 0);
        QVERIFY(n <= SerialPort::ScratchSize);
        QCOMPARE(out.size(), n);
        all += out;
    }
    QCOMPARE(all, sent + sent);
    QCOMPARE(port.bytesAvailable(), 0);
}

void TestSerialPort::rtsOnPtyIsNotAnError()
{
    FakeBoard board;
    SerialPort port(board.devicePath());
    QVERIFY(!port.setRts(true));
    QVERIFY(port.open_port(QString(), 115200));
    QVERIFY(port.setRts(true));
    QVERIFY(port.setRts(false));
}

void TestSerialPort::ratesIncludingTurbo_data()
{
    QTest::addColumn<int>("rate");
    QTest::newRow("115200") << 115200;
    QTest::newRow("921600") << 921600;
    QTest::newRow("Turbo 2304000") << 2304000;
}

void TestSerialPort::ratesIncludingTurbo()
{
    QFETCH(int, rate);
    FakeBoard board;
    SerialPort port;
    QVERIFY(port.open_port(board.devicePath(), rate));
    QCOMPARE(board.baudRate(), rate);
}

void TestSerialPort::exclusiveUntilClosed()
{
    FakeBoard board;
    SerialPort first(board.devicePath());
    SerialPort second(board.devicePath());
    QVERIFY(first.open_port(QString(), 115200));
    if (geteuid() != 0)
        QVERIFY(!second.open_port(QString(), 115200));
    QVERIFY(first.close());
    QVERIFY(second.open_port(QString(), 115200));
}

void TestSerialPort::waitForInputWakes()
{
    FakeBoard board;
    SerialPort port(board.devicePath());
    QVERIFY(port.open_port(QString(), 115200));
    const int wake = eventfd(0, EFD_NONBLOCK);
    QCOMPARE(port.waitForInput(0, wake), int(SerialPort::TimedOut));
    const quint64 one = 1;
    QCOMPARE(::write(wake, &one, sizeof one), ssize_t(sizeof one));
    QCOMPARE(port.waitForInput(10000, wake), int(SerialPort::Woken));
    ::close(wake);
    board.writeRaw("z");
    QVERIFY(port.waitForInput(10000) & SerialPort::InputWaiting);
    QCOMPARE(port.bytesAvailable(), 1);
}

void TestSerialPort::portListHoldsDevicesOnly()
{
    QStringList ports{QStringLiteral("stale")};
    const int n = SerialPort::availablePorts(ports);
    QCOMPARE(n, int(ports.size()));
    for (const QString &port : ports) {
        QVERIFY2(port.startsWith(QLatin1String("/dev/tty")), qPrintable(port));
        QVERIFY(QFileInfo::exists(port));
    }
}

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
