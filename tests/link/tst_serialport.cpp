#include "asnobody.h"
#include "fakeboard.h"
#include "portgroup.h"
#include "ringbuffer.h"
#include "serialport.h"

#include <QtTest>

#include <atomic>
#include <thread>

#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

// The termios layer on a pseudo-terminal served by the board simulator, and the ring buffer
// between the port and the link thread.
class TestSerialPort : public QObject
{
    Q_OBJECT

private slots:
    void devicePathMapping()
    {
        for (auto [name, path] : {std::pair{"COM1", "/dev/ttyS0"},
                                  {"com12", "/dev/ttyS11"},
                                  {"/dev/pts/7", "/dev/pts/7"},
                                  {"ttyUSB0", "/dev/ttyUSB0"},
                                  {"COM0", "/dev/COM0"}}) // no COM port
            QCOMPARE(SerialPort::devicePath(name), QString(path));
    }

    void closedPortFails()
    {
        SerialPort port;
        QVERIFY(!port.close() && !port.isOpen()); // nothing to close
        QVERIFY(!port.open_port(QString(), 115200));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^open_port: Unable to open "));
        QVERIFY(!port.open_port(QStringLiteral("/dev/no-such-tty"), 115200));
        QByteArray out = "x";
        QCOMPARE(port.write("abc"), 0);
        QCOMPARE(port.read(out, 10), -1);
        QVERIFY(out.isEmpty());
        QVERIFY(!port.setRts(true));
        // A device that opens but cannot be configured as a terminal, or a refused rate: one
        // warning each, still closed.
        FakeBoard board;
        for (auto [device, rate] :
             {std::pair{QString("/dev/null"), 115200}, {board.devicePath(), 0}}) {
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression("^open_port: Unable to open " + device + ": "));
            QVERIFY(!port.open_port(device, rate));
            QVERIFY(!port.isOpen() && port.handle() == -1);
        }
    }

    // Both line speeds follow every open: a reopening at a standard rate after one without a B
    // constant (Turbo, 2304000) must not leave the input speed behind. The simulator reports a
    // rate only when its input and output speeds agree. A second open keeps the port.
    void reopeningsSetBothSpeeds()
    {
        FakeBoard board;
        SerialPort port;
        for (int rate : {115200, 2304000, 115200, 250000, 9600, 2304000, 1}) {
            QVERIFY(port.open_port(board.devicePath(), rate));
            QCOMPARE(board.baudRate(), rate);
            const int fd = port.handle();
            QVERIFY(port.open_port(QString(), 921600));
            QCOMPARE(port.handle(), fd);
            QVERIFY(port.setRts(true) && port.setRts(false)); // no error on a pseudo-terminal
            QVERIFY(port.close());
        }
        QVERIFY(!port.isOpen());
    }

    // Raw both ways, even on a terminal another program left in canonical mode with echo.
    void writeAndReadAtMostScratch()
    {
        FakeBoard board;
        const int cooked = ::open(QFile::encodeName(board.devicePath()), O_RDWR | O_NOCTTY);
        termios tio;
        QVERIFY(cooked >= 0 && tcgetattr(cooked, &tio) == 0);
        tio.c_lflag |= ICANON | ECHO;
        tio.c_iflag |= ICRNL;
        QVERIFY(tcsetattr(cooked, TCSANOW, &tio) == 0 && ::close(cooked) == 0);
        SerialPort port(board.devicePath());
        QVERIFY(port.open_port(QString(), 115200));
        QCOMPARE(port.write("set A=1\n"), 8);
        QVERIFY(board.waitForLines(1, 10000));
        QCOMPARE(board.lines(), QList<QByteArray>{"set A=1"});
        QByteArray answer;
        const int n = port.read(answer, 100, 10000);
        QCOMPARE(n, int(answer.size()));
        QVERIFY(answer.startsWith("A:ok"));
        const QByteArray sent = QByteArray(3000, 'q') + '\r' + QByteArray(2999, 'q');
        board.writeRaw(sent);
        QByteArray all;
        while (all.size() < sent.size()) {
            QByteArray out;
            const int chunk = port.read(out, 100000, 10000);
            QVERIFY(chunk > 0 && chunk <= SerialPort::ScratchSize && chunk == out.size());
            all += out;
        }
        QCOMPARE(all, sent);
        QCOMPARE(port.bytesAvailable(), 0);
        // A read of no bytes takes none, a read of one byte one; reading all takes what is
        // waiting; a read without a wait finds nothing on a quiet line.
        board.writeRaw("z!?");
        QTRY_COMPARE_WITH_TIMEOUT(port.bytesAvailable(), 3, 30000);
        QCOMPARE(port.read(all, 0), 0);
        QCOMPARE(port.read(all, 1), 1);
        QCOMPARE(all, QByteArray("z"));
        QCOMPARE(port.readAll(all), 2);
        QCOMPARE(all, QByteArray("!?"));
        QCOMPARE(port.readAll(all), 0);
        QCOMPARE(port.read(all, 10), 0);
        QCOMPARE(port.read(all, 10, 20), 0); // a wait that sees nothing takes nothing
        QVERIFY(all.isEmpty());
    }

    // A second open fails as busy, for root too, and leaves the first one's settings alone. The
    // terminal is exclusive while open (for programs that take no lock), and neither
    // exclusive nor locked once closed or once its port object is gone.
    void exclusiveUntilClosed()
    {
        FakeBoard board;
        SerialPort port(board.devicePath());
        SerialPort second(board.devicePath());
        const int other = ::open(QFile::encodeName(board.devicePath()), O_RDWR | O_NOCTTY);
        const auto exclusive = [other]() {
            int on = -1;
            return ioctl(other, TIOCGEXCL, &on) == 0 ? on : -1;
        };
        QVERIFY(other >= 0);
        QVERIFY(port.open_port(QString(), 115200));
        QCOMPARE(exclusive(), 1);
        QTest::ignoreMessage(QtWarningMsg,
                             qPrintable("open_port: Unable to open " + board.devicePath() +
                                        ": Device or resource busy"));
        QVERIFY(!second.open_port(QString(), 9600));
        QCOMPARE(second.lastError(), EBUSY);
        QVERIFY(!second.isOpen() && second.handle() == -1);
        QCOMPARE(board.baudRate(), 115200);
        QVERIFY(port.close());
        QCOMPARE(exclusive(), 0);
        QVERIFY(second.open_port(QString(), 9600));
        QCOMPARE(second.lastError(), 0);
        QCOMPARE(board.baudRate(), 9600);
        QVERIFY(second.close());
        {
            SerialPort dropped(board.devicePath());
            QVERIFY(dropped.open_port(QString(), 115200));
        }
        QCOMPARE(exclusive(), 0);
        QVERIFY(port.open_port(QString(), 115200));
        ::close(other);
    }

    // The simulated port behaves as a real one: a program's exclusive open lasts while it lives,
    // whoever else opens and closes the device, and ends with the program, killed without
    // closing it, as the kernel ends it at a real port's last close.
    void exclusiveOpenEndsWithItsProgram()
    {
        FakeBoard board;
        const QByteArray path = QFile::encodeName(board.devicePath());
        const auto exclusive = [&path]() { // a look by root, whom the flag does not keep out
            const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY);
            int on = -1;
            ioctl(fd, TIOCGEXCL, &on);
            ::close(fd);
            return on;
        };
        const int living = ::open(path.constData(), O_RDWR | O_NOCTTY);
        QVERIFY(living >= 0 && ioctl(living, TIOCEXCL) == 0);
        QCOMPARE(exclusive(), 1);
        QVERIFY(board.waitUntilHeard(30000)); // the board has taken that look's open and close
        QCOMPARE(exclusive(), 1);
        ioctl(living, TIOCNXCL);
        ::close(living);
        const QByteArray killed = InChild::run(
            []() { return true; },
            [&path]() {
                const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY);
                return QByteArray::number(fd >= 0 && ioctl(fd, TIOCEXCL) == 0); // and never closed
            });
        QCOMPARE(killed, QByteArray("1"));
        QTRY_COMPARE(exclusive(), 0);
    }

    // A program started with its standard input closed gets descriptor 0 for its port: a
    // port like any other, whose close frees the device for the next open.
    void portOnDescriptorZero()
    {
        FakeBoard board;
        struct InputClosed {
            const int saved = ::dup(0);
            InputClosed() { ::close(0); }
            ~InputClosed() { ::dup2(saved, 0), ::close(saved); }
        };
        SerialPort holder(board.devicePath());
        QVERIFY(holder.open_port(QString(), 9600));
        SerialPort port(board.devicePath());
        {
            const InputClosed closed;
            QVERIFY(closed.saved > 0);
            // Busy: the descriptor it got is closed again.
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^open_port: Unable to open "));
            QVERIFY(!port.open_port(QString(), 115200));
            QCOMPARE(::fcntl(0, F_GETFD), -1);
            QVERIFY(holder.close());
            QVERIFY(port.open_port(QString(), 115200));
            QCOMPARE(port.handle(), 0);
            QVERIFY(port.setRts(true));
            board.writeRaw("!");
            QTRY_COMPARE_WITH_TIMEOUT(port.bytesAvailable(), 1, 30000);
            QByteArray in;
            QCOMPARE(port.read(in, 10, 10000), 1); // waits on descriptor 0 too
            QCOMPARE(port.write("set A=1\n"), 8);
            QVERIFY(port.flush());
            QVERIFY(port.close());
            QCOMPARE(::fcntl(0, F_GETFD), -1);
            // The link's wake-up counter may get descriptor 0 instead: it still wakes a wait.
            const int wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
            QCOMPARE(wake, 0);
            QVERIFY(holder.open_port(QString(), 9600)); // the device is free again
            const quint64 one = 1;
            QVERIFY(::write(wake, &one, sizeof one) == qint64(sizeof one));
            QVERIFY(holder.waitForInput(10000, wake) & SerialPort::Woken);
            QVERIFY(holder.close());
            ::close(wake);
        }
        QCOMPARE(board.baudRate(), 9600);
    }

    // A device that takes no more bytes (nobody reads its other side) does not hold a write
    // for ever: the write gives up with the bytes that went out.
    void stalledWriteGivesUp()
    {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
        SerialPort port(QString::fromLatin1(ptsname(master)));
        QVERIFY(port.open_port(QString(), 115200));
        const QByteArray big(1 << 20, 'x');
        const int done = port.write(big);
        QVERIFY(port.close());
        ::close(master);
        QVERIFY2(done > 0 && done < big.size(), qPrintable(QString::number(done)));
    }

    // A device whose other side reads more slowly than the program writes takes a large
    // write whole: each time the device is full, the write waits for room.
    void writeWaitsForRoom()
    {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
        SerialPort port(QString::fromLatin1(ptsname(master)));
        QVERIFY(port.open_port(QString(), 115200));
        const QByteArray big(1 << 20, 'x'); // far more than the terminal holds
        std::atomic<int> written{-1};
        qint64 got = 0;
        std::thread reader([&]() {
            char chunk[4096];
            while (written.load() < 0 || got < written.load()) {
                pollfd p{master, POLLIN, 0};
                if (::poll(&p, 1, 100) > 0) {
                    const ssize_t n = ::read(master, chunk, sizeof chunk);
                    if (n > 0)
                        got += n;
                }
            }
        });
        written = port.write(big);
        reader.join();
        QVERIFY(port.close());
        ::close(master);
        QCOMPARE(written.load(), int(big.size()));
        QCOMPARE(got, big.size());
    }

    // Each failed open names the device and the system's reason, and says what to do.
    void failedOpensSayWhy_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "/dev/no-such-tty" << ENOENT
                                 << "No such file or directory (no such device)";
        QTest::newRow("bare name")
            << "ttyNOSUCH7" << ENOENT << "No such file or directory (no such device)";
        QTest::newRow("no terminal")
            << "/dev/null" << ENOTTY << "Inappropriate ioctl for device (not a serial device)";
        QTest::newRow("locked elsewhere")
            << "" << EBUSY << "Device or resource busy (in use by another program)";
    }
    void failedOpensSayWhy()
    {
        QFETCH(QString, device);
        QFETCH(int, error);
        QFETCH(QString, reason);
        FakeBoard board;
        int holder = -1; // another program that locks the port the same way
        if (device.isEmpty()) {
            device = board.devicePath();
            holder = ::open(QFile::encodeName(device), O_RDWR | O_NOCTTY);
            QVERIFY(holder >= 0 && flock(holder, LOCK_EX | LOCK_NB) == 0);
        }
        const QString path = SerialPort::devicePath(device);
        const int rate = board.baudRate();
        QVERIFY(rate != 115200);
        SerialPort port;
        QTest::ignoreMessage(
            QtWarningMsg,
            qPrintable(
                QStringLiteral("open_port: Unable to open %1: %2").arg(path, strerror(error))));
        QVERIFY(!port.open_port(device, 115200));
        QCOMPARE(port.lastError(), error);
        QCOMPARE(SerialPort::failureText(device, port.lastError()),
                 QStringLiteral("Cannot open %1: %2").arg(path, reason));
        if (holder >= 0) {
            QCOMPARE(board.baudRate(), rate); // never configured
            ::close(holder);
            QVERIFY(port.open_port(device, 115200));
        }
    }

    // No advice where it would only repeat the reason, nor for errors the user can do nothing
    // about.
    void reasonsWithoutAdvice()
    {
        QCOMPARE(SerialPort::reasonText(ENODEV), QStringLiteral("No such device"));
        QCOMPARE(SerialPort::reasonText(EIO), QStringLiteral("Input/output error"));
    }

    // A user outside the terminal's group is told to join it; a member, or a user of a
    // terminal whose group may not read and write it (a console's), is not.
    void permissionDeniedTellsTheGroup()
    {
        if (geteuid() != 0)
            QSKIP("giving the terminal to another group needs root");
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
        const QString slave = QString::fromLatin1(ptsname(master));
        const QByteArray path = QFile::encodeName(slave);
        const group *dialout = getgrnam("dialout");
        QVERIFY(dialout && ::chown(path, 0, dialout->gr_gid) == 0 && ::chmod(path, 0660) == 0);
        const QByteArray got = AsNobody::run([&slave]() {
            SerialPort port;
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
            const bool opened = port.open_port(slave, 115200);
            return QByteArray::number(opened) + ' ' +
                   SerialPort::failureText(slave, port.lastError()).toUtf8();
        });
        const QString join = "add your user to the group dialout (sudo usermod -aG dialout "
                             "$USER), then log in again";
        QCOMPARE(got, "0 Cannot open " + path + ": Permission denied (" + join.toUtf8() + ")");
        QCOMPARE(PortGroup::joinAdvice(slave), join);
        const gid_t member = dialout->gr_gid;
        QCOMPARE(
            AsNobody::run([&slave]() { return PortGroup::joinAdvice(slave).toUtf8(); }, {member}),
            QByteArray());
        QVERIFY(::chown(path, 0, dialout->gr_gid) == 0 && ::chmod(path, 0620) == 0);
        QCOMPARE(PortGroup::joinAdvice(slave), QString());
        ::close(master);
    }

    // Writes stop at the capacity; lines end at CR or LF (CR LF gives two) across the wrap;
    // bytes without a terminator stay for later.
    void linesAcrossTheWrap()
    {
        for (auto [input, lines, rest] :
             {std::tuple{QByteArray("OK\rA=1\r"), QList<QByteArray>{"OK\r", "A=1\r"}, QByteArray()},
              {"OK\nA=1\n", {"OK\n", "A=1\n"}, ""},
              {"OK\r\n", {"OK\r", "\n"}, ""},
              {"A\nBCD", {"A\n"}, "BCD"},
              {"1234567", {}, "1234567"},
              {"12345678", {}, "1234567"}}) {
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
            char none[1];
            QVERIFY(rb.read(none, 0) + rb.read(none, -1) + rb.read(nullptr, 1) == 0);
            QVERIFY(rb.read(0).isEmpty() && rb.read(-1).isEmpty());
            QVERIFY(rb.write(none, 0) + rb.write(none, -1) + rb.write(nullptr, 1) == 0);
            QCOMPARE(rb.readAll(), rest);
            QCOMPARE(rb.read(none, 1), 0);
        }
        RingBuffer part(4); // a write into a partly filled buffer stops at its room
        part.write(QByteArray("ab"));
        QCOMPARE(part.write("cdef", 4), 2);
        QCOMPARE(part.readAll(), QByteArray("abcd"));
    }

    // A reader that found no whole line waits for one: a line that came between its look and
    // its wait is there at once (the link's transaction waited out its whole time-out for such
    // an answer), a part of a line is none, and a line completed across the wrap during the
    // wait ends it.
    void waitForLineSeesWhatCameBeforeTheWait()
    {
        RingBuffer rb(8);
        bool found = true;
        QVERIFY(rb.readLine(&found).isEmpty() && !found);
        rb.write(QByteArray("ok\n"));
        QVERIFY(rb.waitForLine(30000));
        QCOMPARE(rb.readLine(&found), QByteArray("ok\n"));
        rb.write(QByteArray("\n")); // an empty line is a line too
        QVERIFY(rb.waitForLine(0));
        QCOMPARE(rb.readLine(&found), QByteArray("\n"));
        rb.write(QByteArray("A=12"));
        QVERIFY(!rb.waitForLine(0));
        QVERIFY(rb.readLine(&found).isEmpty() && !found);
        std::thread writer([&rb]() { rb.write(QByteArray("34\r")); });
        QVERIFY(rb.waitForLine(30000));
        writer.join();
        QCOMPARE(rb.readLine(&found), QByteArray("A=1234\r"));
        QVERIFY(found && rb.isEmpty() && !rb.waitForLine(0));
    }

    // A writer and a reader that block on each other through a buffer of one byte: each
    // side's progress wakes the other, so that neither waits for ever.
    void sidesWakeEachOther()
    {
        RingBuffer fresh(1); // the first wait on a buffer is woken too
        std::thread late([&fresh]() {
            QThread::msleep(100); // the wait has most likely begun
            fresh.write("x", 1);
        });
        fresh.waitForData(1, -1);
        late.join();
        RingBuffer rb(1);
        QByteArray sent;
        for (int i = 0; i < 500; ++i)
            sent.append(char('a' + i % 26));
        std::thread writer([&]() {
            for (const char c : std::as_const(sent)) {
                rb.waitForRoom(1, -1);
                rb.write(&c, 1);
            }
        });
        QByteArray got;
        while (got.size() < sent.size()) {
            rb.waitForData(1, -1);
            got += rb.read(1);
        }
        writer.join();
        QCOMPARE(got, sent);
        // A clear that makes room wakes a writer waiting for it, too.
        rb.write("!", 1);
        std::atomic<bool> woken{false};
        std::thread waiting([&]() { woken = rb.waitForRoom(1, -1); });
        QThread::msleep(100); // the wait has most likely begun
        rb.clear();
        const bool seen = QTest::qWaitFor([&]() { return woken.load(); }, 30000);
        rb.write("!", 1); // lets a writer that missed the clear go, so that it ends
        rb.read(1);
        waiting.join();
        QVERIFY(seen);
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

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
