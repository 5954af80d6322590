#include "asnobody.h"
#include "devicetree.h"
#include "linkfixture.h"
#include "portprobe.h"
#include "serialport.h"

#include <QDir>
#include <QScopeGuard>
#include <QtTest>

#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/stat.h>

using Skips = QList<PortProbe::Skip>;
Q_DECLARE_METATYPE(Skips)

namespace
{

const QString Busy = QStringLiteral("Device or resource busy (in use by another program)");
const QString Missing = QStringLiteral("No such file or directory (no such device)");
const QString Denied = QStringLiteral("Permission denied (add your user to the group dialout "
                                      "(sudo usermod -aG dialout $USER), then log in again)");

// Gives a terminal to the group dialout, which may read and write it; nobody is not in it.
bool giveToDialout(const QString &path)
{
    const group *dialout = getgrnam("dialout");
    const QByteArray native = QFile::encodeName(path);
    return dialout && ::chown(native, 0, dialout->gr_gid) == 0 && ::chmod(native, 0660) == 0;
}

// Holds the advisory lock on a port, as another program would.
struct ForeignLock {
    explicit ForeignLock(const QString &path)
        : fd(::open(QFile::encodeName(path), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        locked = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0;
    }
    ~ForeignLock() { ::close(fd); }
    int fd;
    bool locked = false;
};

// The log lines of the probe (those naming skipped ports or a missing one).
QList<QPair<int, QString>> probeLines(const LogRecorder &log)
{
    QList<QPair<int, QString>> out;
    for (const auto &entry : log.entries()) {
        if (entry.second.contains(QStringLiteral("Ports skipped: ")) ||
            entry.second.contains(QStringLiteral("No serial port found")))
            out.append(entry);
    }
    return out;
}

// The descriptors of this process open on path.
int openedHere(const QString &path)
{
    int count = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : fds.entryList(QDir::Files | QDir::System))
        count += QFile::symLinkTarget(fds.filePath(fd)) == path;
    return count;
}

} // namespace

// The port list: which serial devices are listed and probed, what is skipped and the one log
// line that says why; the port lock against the probe and a connection meeting the probe.
class TestPortProbe : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qRegisterMetaType<Skips>();
        QTest::failOnWarning(QRegularExpression("^(?!open_port: Unable to open )"));
    }

    // Listed: the serial names with a device behind them that open. Probed: those a board
    // answers on. One line tells the rest.
    void listsProbesAndSaysWhatItSkipped()
    {
        QTest::failOnWarning(QRegularExpression("open_port")); // the line says it all
        LinkFixture f(quickTiming());
        FakeBoard silent, held;
        silent.setSilent(true);
        ForeignLock lock(held.devicePath());
        QVERIFY(lock.locked);
        DeviceTree tree;
        const QString answering = tree.add("ttyUSB0", true, f.board.devicePath());
        const QString busy = tree.add("ttyACM1", true, held.devicePath());
        const QString quiet = tree.add("ttyUSB2", true, silent.devicePath());
        const QString gone = tree.add("ttyACM3", true, QString());
        const QString noUart = tree.add("ttyS0", true, "/dev/null");
        tree.add("ttyUSB9", false, f.board.devicePath()); // no device behind it
        tree.add("tty5", true, f.board.devicePath());     // not a serial port
        f.link.setPortPaths(tree.paths);
        QCOMPARE(f.link.portPaths().devDir, tree.paths.devDir);
        QStringList listed;
        f.link.availablePorts(listed);
        QCOMPARE(listed, (QStringList{busy, answering, quiet, "mockup", "script"}));
        f.link.setLogEnabled(true);
        QCOMPARE(f.link.findPorts(), (QStringList{answering, "mockup", "script"}));
        const auto lines = probeLines(f.log);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.first().first, int(ControlBoard::LevelInf));
        QVERIFY2(lines.first().second.endsWith(
                     QStringLiteral("Ports skipped: %1: no UART; %2: %3; %4: %5; %6: no board "
                                    "answered")
                         .arg(noUart, gone, Missing, busy, Busy, quiet)),
                 qPrintable(lines.first().second));
        // The held port was let alone: nothing written to it, no descriptor kept.
        QCOMPARE(held.controlCount(FakeBoard::ENQ), 0);
        QCOMPARE(openedHere(held.devicePath()), 2); // the lock's and the simulator's only
    }

    // With no serial port found, the line says why; an error only where the user must act (a
    // port refused), so that it shows without the log ticked.
    void noPortFoundSaysWhy()
    {
        QTest::failOnWarning(QRegularExpression("open_port"));
        LinkFixture f(quickTiming());
        ForeignLock lock(f.board.devicePath());
        QVERIFY(lock.locked);
        DeviceTree tree;
        f.link.setPortPaths(tree.paths);
        QCOMPARE(f.link.findPorts(), (QStringList{"mockup", "script"}));
        const QString busy = tree.add("ttyACM1", true, f.board.devicePath());
        QVERIFY(::chmod(QFile::encodeName(f.board.devicePath()), 0666) == 0);
        QCOMPARE(f.link.findPorts(), (QStringList{"mockup", "script"}));
        QCOMPARE(probeLines(f.log).size(), 0); // not an error: the log is off
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
        const QString refused = tree.add("ttyACM0", true, QString::fromLatin1(ptsname(master)));
        QVERIFY(giveToDialout(QString::fromLatin1(ptsname(master))));
        QStringList found;
        {
            AsNobody::Effective nobody;
            found = f.link.findPorts();
        }
        ::close(master);
        QCOMPARE(found, (QStringList{"mockup", "script"}));
        QCOMPARE(probeLines(f.log),
                 (QList<QPair<int, QString>>{{ControlBoard::LevelRxErr,
                                              QStringLiteral("No serial port found: %1: %2; %3: %4")
                                                  .arg(refused, Denied, busy, Busy)}}));
        f.link.setLogEnabled(true);
        QDir(tree.paths.sysRoot).removeRecursively();
        QCOMPARE(f.link.findPorts(), (QStringList{"mockup", "script"}));
        QVERIFY(probeLines(f.log).last().second.endsWith(
            QStringLiteral("No serial port found: no serial device present")));
        QCOMPARE(probeLines(f.log).last().first, int(ControlBoard::LevelInf));
    }

    // A user outside the group dialout learns it from the probe; a port that its group may not
    // use either (as a console's terminal often is) gives no such hint.
    void probeAsUnprivilegedUser()
    {
        FakeBoard board;
        DeviceTree tree;
        int masters[2];
        for (int &master : masters)
            QVERIFY((master = posix_openpt(O_RDWR | O_NOCTTY)) >= 0 && grantpt(master) == 0 &&
                    unlockpt(master) == 0);
        const QString slave = QString::fromLatin1(ptsname(masters[0]));
        QVERIFY(giveToDialout(slave));
        const QString denied = tree.add("ttyACM0", true, slave);
        const QString deniedS = tree.add("ttyS1", true, slave); // refused, whatever stands behind
        const QString console = tree.add("ttyUSB0", true, QString::fromLatin1(ptsname(masters[1])));
        const QString open = tree.add("ttyACM1", true, board.devicePath());
        QVERIFY(::chmod(QFile::encodeName(board.devicePath()), 0666) == 0);
        const QByteArray got = AsNobody::run([&tree]() {
            PortProbe probe;
            probe.setPaths(tree.paths);
            Skips skipped;
            const QStringList listed = probe.list(skipped);
            return (listed.join(',') + '|' + PortProbe::report(skipped, 0) + '|' +
                    QString::number(PortProbe::needsUser(skipped)))
                .toUtf8();
        });
        for (int master : masters)
            ::close(master);
        QCOMPARE(QString::fromUtf8(got),
                 QStringLiteral("%1|No serial port found: %2, %3: %4; %5: Permission denied|1")
                     .arg(open, deniedS, denied, Denied, console));
    }

    // A ttyS device that refuses to open the way a port without a UART does (here a socket,
    // which opens with ENXIO) is listed as having no UART; another port keeps its reason.
    void unopenableUartIsNoUart()
    {
        // Bound by its name in the working directory, so any path of the directory fits.
        const char *const name = "unopenable-uart";
        const QString socketPath = QDir::current().absoluteFilePath(QLatin1String(name));
        QFile::remove(socketPath);
        const auto removed = qScopeGuard([&socketPath]() { QFile::remove(socketPath); });
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, name, sizeof address.sun_path);
        QVERIFY(fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        DeviceTree tree;
        const QString uart = tree.add("ttyS1", true, socketPath);
        const QString usb = tree.add("ttyUSB1", true, socketPath);
        PortProbe probe;
        probe.setPaths(tree.paths);
        Skips skipped;
        const QStringList listed = probe.list(skipped);
        ::close(fd);
        QVERIFY(listed.isEmpty());
        QCOMPARE(skipped.size(), 2);
        QCOMPARE(skipped.at(0).port, uart);
        QCOMPARE(skipped.at(0).reason, int(PortProbe::NoUart));
        QCOMPARE(skipped.at(1).port, usb);
        QCOMPARE(skipped.at(1).reason, ENXIO);
    }

    void report_data()
    {
        QTest::addColumn<Skips>("skipped");
        QTest::addColumn<int>("found");
        QTest::addColumn<QString>("text");
        const Skips five{{"/dev/ttyS0", PortProbe::NoUart}, {"/dev/ttyS1", PortProbe::NoUart},
                         {"/dev/ttyACM0", EACCES},          {"/dev/ttyS2", PortProbe::NoUart},
                         {"/dev/ttyS3", PortProbe::NoUart}, {"/dev/ttyS4", PortProbe::NoUart}};
        QTest::newRow("grouped, long group cut")
            << five << 1
            << "Ports skipped: /dev/ttyS0, /dev/ttyS1 ... /dev/ttyS4 (5 ports): no UART; "
               "/dev/ttyACM0: " +
                   Denied;
        QTest::newRow("four in full")
            << five.mid(0, 5) << 0
            << "No serial port found: /dev/ttyS0, /dev/ttyS1, /dev/ttyS2, /dev/ttyS3: no UART; "
               "/dev/ttyACM0: " +
                   Denied;
        QTest::newRow("no answer") << Skips{{"/dev/ttyUSB0", PortProbe::NoAnswer}} << 2
                                   << "Ports skipped: /dev/ttyUSB0: no board answered";
        QTest::newRow("nothing skipped") << Skips{} << 1 << QString();
        QTest::newRow("nothing at all")
            << Skips{} << 0 << "No serial port found: no serial device present";
    }
    void report()
    {
        QFETCH(Skips, skipped);
        QFETCH(int, found);
        QFETCH(QString, text);
        QCOMPARE(PortProbe::report(skipped, found), text);
    }

    void needsUser()
    {
        QVERIFY(!PortProbe::needsUser({{"a", PortProbe::NoAnswer},
                                       {"b", PortProbe::NoUart},
                                       {"c", ENOENT},
                                       {"d", ENOTTY},
                                       {"e", EBUSY}}));
        for (int error : {EACCES, EPERM})
            QVERIFY(PortProbe::needsUser({{"a", PortProbe::NoAnswer}, {"b", error}}));
    }

    // A port the link has claimed is listed without being opened, also under another name.
    void claimedPortIsNotOpened()
    {
        FakeBoard board;
        DeviceTree tree;
        const QString alias = tree.add("ttyUSB0", true, board.devicePath());
        PortProbe probe;
        int asked = 0;
        const PortProbe::Answered answered = [&asked](SerialPort &, const std::atomic<bool> *) {
            return ++asked > 0;
        };
        Skips skipped;
        probe.claim(board.devicePath());
        QVERIFY(probe.answers(alias, 115200, answered, skipped));
        QCOMPARE(asked, 0);
        probe.release();
        QVERIFY(probe.answers(alias, 115200, answered, skipped));
        QCOMPARE(asked, 1);
        asked = -1; // no answer
        QVERIFY(!probe.answers(alias, 115200, answered, skipped));
        QCOMPARE(skipped.size(), 1);
        QCOMPARE(skipped.first().port, alias);
        QCOMPARE(skipped.first().reason, int(PortProbe::NoAnswer));
        probe.stop();
        QVERIFY(probe.isStopped());
    }

    // Letting go of a port the link claims ends the probe of that port only: the next port is
    // asked as usual.
    void lettingGoEndsWithItsPort()
    {
        FakeBoard first, second;
        PortProbe probe;
        std::atomic<bool> holding{false};
        bool secondListed = false;
        Skips skipped;
        std::thread worker([&]() {
            const auto waitsForLetGo = [&holding](SerialPort &, const std::atomic<bool> *letGo) {
                holding = true;
                while (!letGo->load())
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                return false;
            };
            const auto answersUnlessLetGo = [](SerialPort &, const std::atomic<bool> *letGo) {
                return !letGo->load();
            };
            probe.answers(first.devicePath(), 115200, waitsForLetGo, skipped);
            secondListed = probe.answers(second.devicePath(), 115200, answersUnlessLetGo, skipped);
        });
        QElapsedTimer waited;
        waited.start();
        while (!holding && waited.elapsed() < 10000)
            QThread::msleep(1);
        probe.claim(first.devicePath());
        worker.join();
        QVERIFY(holding);
        QVERIFY(secondListed);
        QVERIFY(skipped.isEmpty()); // the claimed port counts as found
    }

    // A connection the user asked for that cannot open its port says why in the log window,
    // whether logging is on or not: a missing device, a port another program holds, a file
    // that is no terminal, a terminal the user may not open.
    void failedConnectSaysWhy_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "ttyUSB77" << Missing;
        QTest::newRow("held") << "" << Busy;
        QTest::newRow("no terminal") << "/dev/null"
                                     << "Inappropriate ioctl for device (not a serial device)";
        QTest::newRow("refused") << "refused" << Denied;
    }
    void failedConnectSaysWhy()
    {
        QFETCH(QString, port);
        QFETCH(QString, reason);
        LinkFixture f(quickTiming());
        ControlBoard other(quickTiming()); // a second instance on the same board
        QVERIFY(other.connectBoard(f.board.devicePath()));
        QVERIFY(::chmod(QFile::encodeName(f.board.devicePath()), 0666) == 0);
        if (port.isEmpty())
            port = f.board.devicePath();
        else if (port == "refused")
            QVERIFY(giveToDialout(port = f.board.devicePath()));
        bool connected;
        {
            AsNobody::Effective nobody;
            connected = f.link.connectBoard(port);
        }
        QVERIFY(!connected && !f.link.isConnected());
        const QString path = SerialPort::devicePath(port);
        QCOMPARE(f.log.entries(), (QList<QPair<int, QString>>{
                                      {ControlBoard::LevelRxErr,
                                       QStringLiteral("Cannot open %1: %2").arg(path, reason)}}));
        QVERIFY(other.isConnected());
    }

    // After a disconnection, or a connection the board did not answer, the port is the
    // probe's again: it is asked, and a board that does not answer there is not listed.
    void disconnectionHandsThePortBack()
    {
        LinkFixture f(quickTiming());
        QVERIFY(f.connectLink());
        f.link.disconnectBoard(ControlBoard::ByUser);
        f.board.setSilent(true);
        QStringList found;
        f.link.probePorts({f.board.devicePath()}, found);
        QCOMPARE(found, QStringList());
        QVERIFY(!f.link.connectBoard(f.board.devicePath()));
        f.link.probePorts({f.board.devicePath()}, found);
        QCOMPARE(found, QStringList());
    }

    // Stopping lets go of the port being asked at once, and no other port is opened.
    void stopLetsGo()
    {
        FakeBoard board;
        PortProbe probe;
        std::atomic<bool> asking{false};
        bool letGo = false;
        Skips skipped;
        std::thread worker([&]() {
            probe.answers(
                board.devicePath(), 115200,
                [&](SerialPort &, const std::atomic<bool> *go) {
                    asking = true;
                    QElapsedTimer waited; // a stop that never comes ends the wait
                    waited.start();
                    while (!go->load() && waited.elapsed() < 5000)
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    letGo = go->load();
                    return false;
                },
                skipped);
        });
        QElapsedTimer waited;
        waited.start();
        while (!asking && waited.elapsed() < 10000)
            QThread::msleep(1);
        probe.stop();
        worker.join();
        QVERIFY(asking && letGo);
        QVERIFY(probe.isStopped());
    }

    // A connection right after the start meets the probe on its port: the probe lets go at
    // once and lists the port without opening it again, and the connection succeeds. Made as
    // an unprivileged user, whom the exclusive flag of the probe's open would turn away.
    void connectWhileTheProbeHoldsThePort()
    {
        LinkTiming slow = quickTiming();
        slow.pingReadMs = 2000; // the probe would hold the port for several seconds
        LinkFixture f(slow);
        const QString path = f.board.devicePath();
        QVERIFY(::chmod(QFile::encodeName(path), 0666) == 0);
        const int before = openedHere(path);
        f.board.setEnqReply(QByteArray());
        QStringList found{"x"};
        std::thread probe([&f, &found, path]() { f.link.probePorts({path}, found); });
        const bool probing = f.board.waitForControl(FakeBoard::ENQ, 1, 10000);
        f.board.setEnqReply(QByteArray(1, FakeBoard::ACK));
        bool connected = false;
        if (probing) {
            AsNobody::Effective nobody;
            connected = f.link.connectBoard(path);
        }
        if (!connected)
            f.link.stopProbe();
        probe.join();
        QVERIFY(probing);
        QVERIFY(connected);
        QCOMPARE(openedHere(path), before + 1); // the link's
        QCOMPARE(found, (QStringList{"x", path}));
        QCOMPARE(probeLines(f.log).size(), 0);
        QByteArray answer;
        QVERIFY(f.link.send("set A=1", &answer));
        QCOMPARE(answer, QByteArray("A:ok\n"));
    }

private:
    static LinkTiming quickTiming()
    {
        LinkTiming t;
        t.pingAttempts = 2;
        t.pingReads = 3;
        t.pingReadMs = 20;
        t.idleMs = 20;
        t.pauseStepMs = 5;
        return t;
    }
};

QTEST_GUILESS_MAIN(TestPortProbe)
#include "tst_portprobe.moc"
