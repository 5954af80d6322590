#include "fakeboard.h"
#include "serialport.h"
#include "tablerows.h"

#include <QFileInfo>
#include <QtTest>

#include <sys/eventfd.h>
#include <unistd.h>

// The termios layer on a pseudo-terminal served by the board simulator.
class TestSerialPort : public QObject
{
    Q_OBJECT

private slots:
    void devicePathMapping_data()
    {
        addRows<QString, QString>({"name", "path"}, {{"COM1", "/dev/ttyS0"},
                                                     {"com12", "/dev/ttyS11"},
                                                     {"/dev/pts/7", "/dev/pts/7"},
                                                     {"ttyUSB0", "/dev/ttyUSB0"},
                                                     {"COM0", "/dev/COM0"}}); // no COM port
    }

    void devicePathMapping()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QCOMPARE(SerialPort::devicePath(name), path);
    }

    void closedPortFails()
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
        QVERIFY(!port.setRts(true));
        // A device that opens but cannot be configured as a terminal: one warning, still closed.
        QTest::ignoreMessage(QtWarningMsg, "open_port: Unable to open ");
        QVERIFY(!port.open_port(QStringLiteral("/dev/null"), 115200));
        QVERIFY(!port.isOpen());
        QCOMPARE(port.handle(), -1);
    }

    void openTwiceKeepsPort()
    {
        FakeBoard board;
        SerialPort port;
        // A rate other than the default (Turbo and back: the link thread's baud switch).
        QVERIFY(port.open_port(board.devicePath(), 921600));
        const int fd = port.handle();
        QVERIFY(port.open_port(QString(), 9600));
        QCOMPARE(port.handle(), fd);
        QCOMPARE(board.baudRate(), 921600);
        port.setPortName(QStringLiteral("/dev/other"));
        QCOMPARE(port.portName(), board.devicePath());
        // RTS on a pseudo-terminal is no error.
        QVERIFY(port.setRts(true));
        QVERIFY(port.setRts(false));
        QVERIFY(port.close());
        QVERIFY(!port.isOpen());
    }

    void writeAndReadAtMostScratch()
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
        const QByteArray sent(6000, 'q');
        board.writeRaw(sent);
        QByteArray all;
        while (all.size() < sent.size()) {
            QByteArray out;
            const int chunk = port.read(out, 100000, 10000);
            QVERIFY(chunk > 0);
            QVERIFY(chunk <= SerialPort::ScratchSize);
            QCOMPARE(out.size(), chunk);
            all += out;
        }
        QCOMPARE(all, sent);
        QCOMPARE(port.bytesAvailable(), 0);
    }

    void exclusiveUntilClosed()
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

    void waitForInputWakes()
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

    void portListHoldsDevicesOnly()
    {
        QStringList ports{QStringLiteral("stale")};
        QCOMPARE(SerialPort::availablePorts(ports), int(ports.size()));
        for (const QString &port : ports) {
            QVERIFY2(port.startsWith(QLatin1String("/dev/tty")), qPrintable(port));
            QVERIFY(QFileInfo::exists(port));
        }
    }
};

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
