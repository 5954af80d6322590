#include "linkfixture.h"
#include "serialport.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace
{

const QString AutoReconnecting = QStringLiteral("Auto reconnecting...");
const QString DisconnectErrors = QStringLiteral("Disconnect due to errors");

// Intervals shortened for the tests.
LinkTiming fastTiming(int reconnectAttempts = 3, int reconnectPauseMs = 100)
{
    LinkTiming t;
    t.silenceMs = 250;
    t.reconnectAttempts = reconnectAttempts;
    t.reconnectPauseMs = reconnectPauseMs;
    t.idleMs = 50;
    t.streamPassMs = 20;
    return t;
}

// The index of the last log text that holds part; -1 if none.
int lastIndexOf(const QStringList &texts, const QString &part)
{
    for (int i = int(texts.size()) - 1; i >= 0; --i) {
        if (texts[i].contains(part))
            return i;
    }
    return -1;
}

} // namespace

// The link thread against the simulator: keep-alive, reconnection, baud switch, reset,
// stream capture, port probing and shutdown. Intervals are shortened; margins stay wide.
class TestLinkThread : public QObject
{
    Q_OBJECT

public slots:
    void slot_capturedData(const QByteArray &data) { m_captured += data; }

private slots:
    void init() { m_captured.clear(); }

    // An idle line is kept alive with ENQ; sent bytes are no sign of life; a board that falls
    // silent is reconnected three times and then disconnected.
    void keepAliveThenDisconnection()
    {
        LinkFixture f(fastTiming());
        QElapsedTimer alive;
        alive.start();
        QVERIFY(f.connectLink());
        QVERIFY(f.board.waitForControl(FakeBoard::ENQ, 3, 20000));
        const int pings = f.board.controlCount(FakeBoard::ENQ); // one a silent interval at most
        QVERIFY2(pings <= alive.elapsed() / 250 + 1, qPrintable(QString::number(pings)));
        QVERIFY(f.board.lines().isEmpty());
        QVERIFY(f.link.send("set A=1", nullptr)); // served as usual in between
        f.board.addHandler(QByteArray("set Q"), [](const QByteArray &) { return QByteArray(); });
        f.board.clearRecords();
        QElapsedTimer sending;
        sending.start();
        while (f.board.controlCount(FakeBoard::ENQ) == 0 && sending.elapsed() < 20000) {
            f.link.send("set Q=1", nullptr, 0);
            QTest::qWait(20);
        }
        QVERIFY(f.board.controlCount(FakeBoard::ENQ) > 0);
        QSignalSpy disconnected(&f.link, &ControlBoard::signal_disconnected);
        f.board.clearRecords();
        f.board.setSilent(true);
        QTRY_COMPARE_WITH_TIMEOUT(disconnected.count(), 2, 30000);
        QVERIFY(!f.link.isConnected());
        const QStringList texts = f.log.texts();
        const int reconnect = lastIndexOf(texts, QStringLiteral("):Reconnect"));
        const int auto_ = lastIndexOf(texts, "):" + AutoReconnecting);
        const int errors = lastIndexOf(texts, "):" + DisconnectErrors);
        QVERIFY(reconnect >= 0 && reconnect < auto_ && auto_ < errors);
        QCOMPARE(f.log.entries()[errors].first, -1000);
        // Each attempt pings without an answer: no identification, no box.
        QVERIFY(!f.board.lines().contains("*IDN?"));
        QVERIFY(f.prompt.messages().isEmpty());
    }

    // Bytes the board sends are a sign of life: a line that keeps hearing the board is not
    // pinged.
    void heardBytesAreASignOfLife()
    {
        LinkTiming timing = fastTiming();
        timing.silenceMs = 1500; // far more than a loaded machine leaves between two writes
        LinkFixture f(timing);
        QVERIFY(f.connectLink());
        QElapsedTimer talking;
        talking.start();
        while (talking.elapsed() < 4000) {
            f.board.writeRaw("x");
            QTest::qWait(50);
        }
        QCOMPARE(f.board.controlCount(FakeBoard::ENQ), 0);
    }

    // A quiet link rests between its passes: connected after the wake-up of a transaction,
    // while a transaction waits for a slow answer, parked during a board reset, during a stream
    // that has nothing more to send, and without a board after the wake-up of a disconnection.
    // Its thread does not spin.
    void idleLinkRests()
    {
        LinkFixture f(fastTiming());
        const auto cpuMs = []() {
            rusage r{};
            getrusage(RUSAGE_SELF, &r);
            return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1000 +
                   (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1000;
        };
        const auto rests = [&cpuMs]() {
            const auto before = cpuMs();
            QTest::qWait(1000);
            return cpuMs() - before < 500;
        };
        QVERIFY(f.connectLink());
        QVERIFY(f.link.send("set A=1", nullptr));
        QVERIFY2(rests(), "connected");
        f.board.setAnswerDelay(1000);
        f.link.setTimeout(30000);
        const auto beforeAnswer = cpuMs();
        QVERIFY(f.link.send("set A=2", nullptr));
        QVERIFY2(cpuMs() - beforeAnswer < 600, "waiting for an answer");
        f.board.setAnswerDelay(0);
        f.board.setRebootMs(2000);
        const auto beforeReset = cpuMs();
        f.link.resetBoard(); // the link stays parked while the board reboots
        QVERIFY2(cpuMs() - beforeReset < 600, "parked");
        f.board.setStream("get stream", QByteArray("0123456789"), 10, 1, false);
        f.link.startStream(QStringLiteral("get stream"), this);
        QTRY_COMPARE_WITH_TIMEOUT(m_captured, QByteArray("0123456789"), 10000);
        QVERIFY2(rests(), "streaming");
        f.link.stopStream();
        f.link.disconnectBoard(ControlBoard::ByUser);
        QVERIFY2(rests(), "disconnected");
    }

    // A board that answers the keep-alive but no command (not even the identification) is
    // watched from the connection on, though the link never read a byte from it.
    void unidentifiedBoardIsKeptAlive()
    {
        LinkFixture f(fastTiming());
        f.link.setTimeout(300);
        f.board.addHandler(QByteArray("*IDN?"), [](const QByteArray &) { return QByteArray(); });
        QVERIFY(f.connectLink());
        QVERIFY(f.board.waitForControl(FakeBoard::ENQ, 1, 20000));
    }

    // A user's connection ends an automatic reconnection under way: the board that answers
    // again is not connected behind the user's back.
    void userConnectionEndsReconnection()
    {
        LinkFixture f(fastTiming(1000, 200));
        QVERIFY(f.connectLink());
        f.board.setSilent(true);
        QTRY_VERIFY_WITH_TIMEOUT(f.log.contains(AutoReconnecting), 30000);
        QVERIFY(f.link.connectBoard(QStringLiteral("mockup")));
        f.board.clearRecords();
        f.board.setSilent(false);
        QTest::qWait(1500); // several of the reconnection's attempts
        QCOMPARE(f.link.mode(), int(ControlBoard::MockupMode));
        QCOMPARE(f.link.portName(), QStringLiteral("mockup"));
        QVERIFY(f.link.ping()); // the mock-up always answers
        QVERIFY(!f.board.lines().contains("*IDN?"));
        SerialPort port; // the serial port was let go
        QVERIFY(port.open_port(f.board.devicePath(), ControlBoard::DefaultBaudrate));
    }

    void transactionDuringReconnection()
    {
        // A transaction still waiting when the link thread starts reconnecting keeps the
        // buffers to itself until it fails on its time-out. The board answering again is
        // reconnected and identified, and the link works.
        LinkFixture f(fastTiming(50));
        QVERIFY(f.connectLink());
        QSignalSpy connected(&f.link, &ControlBoard::signal_connected);
        f.board.setSilent(true);
        QByteArray answer = "kept";
        QVERIFY(!f.link.send("get A", &answer, 2000));
        QCOMPARE(answer, QByteArray("kept"));
        QTRY_VERIFY_WITH_TIMEOUT(f.log.contains(AutoReconnecting), 30000);
        f.board.setSilent(false);
        QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 1, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(f.link.isConnected(), 30000);
        QVERIFY(!f.log.contains(DisconnectErrors));
        QVERIFY(f.board.lines().contains("*IDN?"));
        QCOMPARE(f.link.firmwareType(), QStringLiteral("P110"));
        f.board.setValue("A", "6");
        QVERIFY(f.link.send("get A", &answer));
        QCOMPARE(answer, QByteArray("A=6\n"));
    }

    void reconnectionPauseIsNotShortened()
    {
        // Parking requests from the GUI thread wake the link thread but do not cut its pause
        // between two reconnection attempts short; destroying the link does.
        const LinkTiming timing = fastTiming(3, 60000);
        auto f = std::make_unique<LinkFixture>(timing);
        QVERIFY(f->connectLink());
        f->board.setSilent(true);
        QTRY_VERIFY_WITH_TIMEOUT(f->log.contains(AutoReconnecting), 30000);
        for (int i = 0; i < 40; ++i) {
            f->link.clearBuffers();
            QThread::msleep(25);
        }
        QVERIFY(!f->log.contains(DisconnectErrors));
        // One attempt so far: the failed keep-alive's two rounds and the attempt wrote three ENQ
        // each (plus, perhaps, one answered keep-alive before the board fell silent).
        QVERIFY(f->board.controlCount(FakeBoard::ENQ) <= 3 * timing.pingAttempts + 1);
        QElapsedTimer timer;
        timer.start();
        f.reset();
        QVERIFY(timer.elapsed() < 30000); // far less than the pause still to run
    }

    // Turbo while connected; a reset and a NAK; back to 115200 on a user's disconnection (both
    // terminal speeds follow every reopening), the port closed and free afterwards.
    void baudSwitchResetAndDisconnect()
    {
        LinkFixture f;
        QVERIFY(f.connectLink());
        QVERIFY(f.link.setBaudrate(2304000));
        QCOMPARE(f.link.baudrate(), 2304000);
        QVERIFY(f.board.waitForLines(1, 10000));
        QCOMPARE(f.take(), QList<QByteArray>{"set baudrate=2304000"});
        QCOMPARE(f.board.baudRate(), 2304000);
        f.board.setRebootMs(200);
        f.link.resetBoard();
        QCOMPARE(f.board.rebootCount(), 1);
        const QByteArray control = f.board.controlBytes();
        QVERIFY(control.startsWith(QByteArray(6, FakeBoard::CAN)));
        const QByteArray rest = control.mid(6); // the board stays silent a while after a reset
        QVERIFY(rest.size() >= 2 && rest == QByteArray(rest.size(), FakeBoard::ENQ));
        QVERIFY(f.log.contains(QStringLiteral("Board reset")));
        f.link.sendNak();
        QVERIFY(f.link.send("set A=4", nullptr));
        QCOMPARE(f.board.controlCount(FakeBoard::NAK), 1);
        bool connectedAtSignal = false;
        connect(
            &f.link, &ControlBoard::signal_disconnected, this,
            [&]() { connectedAtSignal = f.link.isConnected(); }, Qt::DirectConnection);
        f.link.disconnectBoard(ControlBoard::ByUser);
        QVERIFY(connectedAtSignal && !f.link.isConnected());
        QVERIFY(f.board.waitForLines(2, 10000));
        QCOMPARE(f.take(), (QList<QByteArray>{"set A=4", "set baudrate=115200"}));
        QCOMPARE(f.board.baudRate(), 115200);
        QCOMPARE(f.link.baudrate(), 115200);
        QVERIFY(f.log.texts().last().endsWith(QStringLiteral("):Disconnect by user")));
        QVERIFY(f.link.setBaudrate(115200));
        QVERIFY(f.connectLink());
        QCOMPARE(f.board.baudRate(), 115200);
        FakeBoard other; // a connection elsewhere lets go of the first port
        QVERIFY(f.link.connectBoard(other.devicePath()));
        QVERIFY(f.link.send("set B=1", nullptr));
        QVERIFY(other.lines().contains("set B=1") && !f.board.lines().contains("set B=1"));
    }

    // A byte behind the ACK that ends a reset is discarded with it: the link does not read it
    // afterwards, and a keep-alive does not take it for a sign of life.
    void resetLeavesNoReplyBehind()
    {
        LinkTiming timing = fastTiming();
        timing.silenceMs = 600000; // only the test pings
        timing.pingReadMs = 5000;  // one ENQ a reset, however late the board answers
        LinkFixture f(timing);
        QVERIFY(f.connectLink());
        f.board.setRebootMs(0);
        f.board.setEnqReply(QByteArray(1, FakeBoard::ACK) + 'X');
        QSignalSpy rx(&f.link, &ControlBoard::signal_rx);
        f.link.resetBoard();
        f.board.setEnqReply(QByteArray(1, FakeBoard::ACK));
        f.board.clearRecords();
        QVERIFY(f.link.ping());
        QCOMPARE(f.board.controlCount(FakeBoard::ENQ), 1);
        QCOMPARE(rx.count(), 0);
    }

    // A reset of a board that never answers ends at its limit.
    void resetOfASilentBoardEnds()
    {
        LinkTiming timing = fastTiming();
        timing.silenceMs = 600000;
        timing.resetLimitMs = 300;
        LinkFixture f(timing);
        QVERIFY(f.connectLink());
        f.board.setSilent(true);
        f.board.clearRecords();
        f.link.resetBoard();
        QVERIFY(f.board.controlBytes().startsWith(QByteArray(6, FakeBoard::CAN) + FakeBoard::ENQ));
    }

    void failedReopenDisconnects()
    {
        RecordingPrompt prompt;
        auto board = std::make_unique<FakeBoard>();
        ControlBoard link;
        LogRecorder log(&link);
        QVERIFY(link.connectBoard(board->devicePath()));
        QSignalSpy disconnected(&link, &ControlBoard::signal_disconnected);
        link.startStream(QStringLiteral("get stream"), nullptr);
        board.reset(); // the terminal goes away; it cannot be opened again
        QVERIFY(link.setBaudrate(2304000));
        QCOMPARE(disconnected.count(), 1);
        QVERIFY(!link.isConnected() && !link.isStreaming()); // the stream ends with the link
        QCOMPARE(log.entries().last().first, -1000);
        QVERIFY(log.entries().last().second.contains(QStringLiteral("2304000")));
    }

    // A finite stream arrives whole and in order; an endless one stops on NAK (three) and its
    // receiver is disconnected.
    void streams()
    {
        LinkFixture f(fastTiming());
        QVERIFY(f.connectLink());
        QByteArray data;
        for (int i = 0; i < 60000; ++i)
            data += char('A' + (i * 7 + i / 97) % 26);
        f.board.setStream("get stream", data, 700, 1, false);
        QSignalSpy stream(&f.link, &ControlBoard::signal_stream);
        f.log.clear();
        f.link.startStream(QStringLiteral("get stream"), this);
        QVERIFY(!f.link.send("get A", nullptr)); // transactions wait while streaming
        QTRY_COMPARE_WITH_TIMEOUT(m_captured.size(), data.size(), 30000);
        QCOMPARE(m_captured, data);
        f.link.stopStream();
        QTRY_COMPARE_WITH_TIMEOUT(stream.count(), 2, 10000);
        QVERIFY(stream.at(0).at(0).toBool() && !stream.at(1).at(0).toBool());
        QVERIFY(f.link.send("set A=1", nullptr)); // everything written before has arrived
        QCOMPARE(f.board.controlCount(FakeBoard::NAK), 3);
        QCOMPARE(f.take(), (QList<QByteArray>{"get stream", "set A=1"}));
        QStringList inf;
        for (const QString &t : f.log.texts()) {
            if (t.startsWith(QStringLiteral("INF(")))
                inf.append(t.section(QStringLiteral("):"), 1));
        }
        QCOMPARE(inf, (QStringList{"Start stream", "RTS=1", "get stream", "RTS=0", "Stop stream"}));
        m_captured.clear();
        f.board.setStream("start", QByteArray("0123456789"), 10, 2, true);
        f.link.startStream(QStringLiteral("start\n"), this);
        QTRY_VERIFY_WITH_TIMEOUT(m_captured.size() > 100, 30000);
        f.link.stopStream();
        QVERIFY(f.board.waitForControl(FakeBoard::NAK, 3, 10000));
        QTRY_VERIFY_WITH_TIMEOUT(!f.board.isStreaming() && !f.link.isStreaming(), 10000);
        QVERIFY(m_captured.startsWith("0123456789012"));
        QCoreApplication::processEvents(); // what was queued is delivered, nothing more comes
        const int size = int(m_captured.size());
        QByteArray answer; // the stream's last bytes were discarded, not taken as answers
        QVERIFY(f.link.send("set A=1", &answer));
        QCOMPARE(answer, QByteArray("A:ok\n"));
        QCoreApplication::processEvents();
        QCOMPARE(m_captured.size(), size);
    }

    // A stream starts when asked, and the link ends right after it, neither waiting for the
    // quiet line's next keep-alive.
    void streamStartsAndEndsAtOnce()
    {
        LinkTiming timing = fastTiming();
        timing.silenceMs = 60000;
        auto f = std::make_unique<LinkFixture>(timing);
        QVERIFY(f->connectLink());
        f->board.setStream("get stream", QByteArray("0123456789"), 10, 1, false);
        f->link.startStream(QStringLiteral("get stream"), this);
        QTRY_COMPARE_WITH_TIMEOUT(m_captured, QByteArray("0123456789"), 10000);
        f->link.stopStream();
        QElapsedTimer ending;
        ending.start();
        f.reset();
        QVERIFY(ending.elapsed() < 30000);
    }

    // A stream whose pass outlasts the test still parks for another thread (a buffer clear)
    // and reads in the pass after it, and it ends as soon as it is stopped: both wake the link
    // thread.
    void streamParksAndStopsWithinItsPass()
    {
        LinkTiming timing = fastTiming();
        timing.streamPassMs = 600000;
        LinkFixture f(timing);
        QVERIFY(f.connectLink());
        f.board.addHandler(QByteArray("get quiet"),
                           [](const QByteArray &) { return QByteArray(); });
        QSignalSpy stream(&f.link, &ControlBoard::signal_stream);
        f.link.startStream(QStringLiteral("get quiet"), this);
        QTRY_COMPARE_WITH_TIMEOUT(stream.count(), 1, 10000);
        f.board.writeRaw("0123456789");
        QTRY_VERIFY_WITH_TIMEOUT(f.board.pendingForProgram() == 10 || !m_captured.isEmpty(), 10000);
        f.link.clearBuffers();
        QTRY_COMPARE_WITH_TIMEOUT(m_captured, QByteArray("0123456789"), 10000);
        f.link.stopStream();
        QTRY_COMPARE_WITH_TIMEOUT(stream.count(), 2, 20000);
        QVERIFY(!stream.at(1).at(0).toBool());
        QVERIFY(f.board.waitForControl(FakeBoard::NAK, 3, 10000));
    }

    // A stream of a single byte is captured: a lone byte waiting is data too. A disconnection
    // ends the stream.
    void singleByteStream()
    {
        LinkFixture f(fastTiming());
        QVERIFY(f.connectLink());
        f.board.setStream("get one", QByteArray("Z"), 1, 1, false);
        f.link.startStream(QStringLiteral("get one"), this);
        QTRY_COMPARE_WITH_TIMEOUT(m_captured, QByteArray("Z"), 10000);
        f.link.disconnectBoard(ControlBoard::ByUser);
        QVERIFY(!f.link.isStreaming());
    }

    // Bytes the board sends while it winds its stream down arrive in the link's pause after
    // the NAK and are discarded: a command given meanwhile waits out that pause, so its answer
    // is not taken from them. Here the board's last bytes leave a second after the stream
    // command, and its answers queue behind them.
    void streamTailIsDiscarded()
    {
        LinkTiming timing = fastTiming();
        timing.streamPassMs = 5000;
        LinkFixture f(timing);
        QVERIFY(f.connectLink());
        f.board.setAnswerDelay(1000);
        f.board.addHandler(QByteArray("get tail"),
                           [](const QByteArray &) { return QByteArray("tail"); });
        QSignalSpy stream(&f.link, &ControlBoard::signal_stream);
        f.link.startStream(QStringLiteral("get tail"), this);
        QTRY_COMPARE_WITH_TIMEOUT(stream.count(), 1, 10000);
        f.link.stopStream();
        QTRY_COMPARE_WITH_TIMEOUT(stream.count(), 2, 10000);
        // What a clear empties meanwhile is not sent.
        QVERIFY(f.link.send("set X=1", nullptr, 0));
        f.link.clearBuffers();
        f.link.setTimeout(30000);
        QByteArray answer;
        QVERIFY(f.link.send("set A=1", &answer));
        QCOMPARE(answer, QByteArray("A:ok\n"));
        QVERIFY(!f.board.lines().contains("set X=1"));
    }

    void probeAndListPorts()
    {
        LinkFixture f(fastTiming());
        FakeBoard silent;
        silent.setSilent(true);
        QVERIFY(!f.link.ping()); // no port open
        const QStringList in{f.board.devicePath(), QStringLiteral("mockup"), silent.devicePath(),
                             QStringLiteral("/dev/no-such-tty"), QStringLiteral("script")};
        QStringList out;
        f.link.probePorts(in, out);
        QCOMPARE(out, (QStringList{f.board.devicePath(), "mockup", "script"}));
        // Input waiting on a silent port is a sign of life, a single byte too.
        for (auto [noise, pending] : {std::pair{"!", 1}, {"noise", 6}}) {
            silent.writeRaw(noise);
            QTRY_COMPARE_WITH_TIMEOUT(silent.pendingForProgram(), pending, 10000);
            out.clear();
            f.link.probePorts({silent.devicePath()}, out);
            QCOMPARE(out, QStringList{silent.devicePath()});
        }
        // While connected, the list is left alone.
        QVERIFY(f.connectLink());
        QStringList unchanged{QStringLiteral("x")};
        f.link.probePorts(in, unchanged);
        QCOMPARE(unchanged, QStringList{QStringLiteral("x")});
        QStringList all;
        f.link.availablePorts(all);
        QCOMPARE(all.mid(all.size() - 2), (QStringList{"mockup", "script"}));
    }

    // A probe under way ends when stopped (at the end of the program), within a read of its
    // keep-alive on a silent board; a stopped probe keeps no port after that.
    void stoppedProbeEnds()
    {
        LinkTiming timing = fastTiming();
        timing.pingAttempts = 1;
        timing.pingReads = 2000; // 20 s on a silent board
        LinkFixture f(timing);
        f.board.setSilent(true);
        QStringList out{QStringLiteral("x")};
        std::thread probing([&]() { f.link.probePorts({f.board.devicePath()}, out); });
        const bool pinged = f.board.waitForControl(FakeBoard::ENQ, 1, 30000);
        f.link.stopProbe();
        probing.join();
        QVERIFY(pinged);
        f.link.probePorts({QStringLiteral("mockup")}, out);
        QCOMPARE(out, QStringList{QStringLiteral("x")});
    }

    // The answer comes only in front of the ACK of a ping made while the transaction waits (a
    // keep-alive waits for the transaction's end): the ping hands it on. Then the GUI thread's
    // slots on a disconnection take longer than a keep-alive period: the link thread must not
    // ping the closed port and reconnect meanwhile.
    void bytesBeforeAckThenSlowDisconnectedSlot()
    {
        LinkFixture f(fastTiming());
        QVERIFY(f.connectLink());
        f.board.addHandler(QByteArray("get LATE"), [](const QByteArray &) { return QByteArray(); });
        QByteArray answer;
        // The ACK is taken out wherever it stands.
        for (const QByteArray &reply :
             {QByteArray("LATE=5\n") + FakeBoard::ACK, FakeBoard::ACK + QByteArray("LATE=5\n")}) {
            f.board.setEnqReply(reply);
            f.board.clearRecords();
            std::thread pinger([&f]() {
                if (f.board.waitForLines(1, 20000))
                    f.link.ping();
            });
            const bool sent = f.link.send("get LATE", &answer, 20000);
            pinger.join();
            QVERIFY(sent);
            QCOMPARE(answer, QByteArray("LATE=5\n"));
        }
        QVERIFY(f.link.isConnected());
        connect(
            &f.link, &ControlBoard::signal_disconnected, this, []() { QThread::msleep(1000); },
            Qt::DirectConnection);
        f.link.disconnectBoard(ControlBoard::ByUser);
        QTest::qWait(1000);
        QVERIFY(!f.link.isConnected());
        QVERIFY(!f.log.contains(AutoReconnecting));
    }

    // A board busy with a long command answers neither the command nor an ENQ until it is
    // done: the transaction's own time-out judges it, and no keep-alive drops the link
    // meanwhile (the answer would be lost with the closed port).
    void busyBoardKeepsItsTransaction()
    {
        LinkFixture f(fastTiming()); // a keep-alive after 250 ms of silence
        QVERIFY(f.connectLink());
        f.board.setAnswerDelay(1500);
        f.board.setEnqDelay(1); // in turn: after the answer
        QByteArray answer;
        QVERIFY(f.link.send("set A=1", &answer, 20000));
        QCOMPARE(answer, QByteArray("A:ok\n"));
        QCOMPARE(f.board.lines().value(0), QByteArray("set A=1"));
    }

    // A keep-alive round that the board answers only after it ended does not cost the live
    // link: the second round takes the late ACK.
    void lateKeepAliveKeepsTheLink()
    {
        LinkTiming timing = fastTiming();
        timing.pingAttempts = 1;
        timing.pingReads = 10;
        timing.pingReadMs = 300; // 3 s a round
        LinkFixture f(timing);
        QVERIFY(f.connectLink());
        QSignalSpy disconnected(&f.link, &ControlBoard::signal_disconnected);
        f.board.setEnqDelay(4500); // in the middle of the second round
        // Either the next keep-alive starts (the link kept) or the link was dropped.
        QTRY_VERIFY_WITH_TIMEOUT(
            f.board.controlCount(FakeBoard::ENQ) >= 3 || disconnected.count() > 0, 60000);
        f.board.setEnqDelay(0);
        QCOMPARE(disconnected.count(), 0);
        QVERIFY(!f.log.contains(AutoReconnecting));
        QVERIFY(f.board.lines().isEmpty());
    }

    // The board answers a keep-alive later than the link reads wait, so the link writes a
    // second ENQ: that ENQ's ACK comes after the keep-alive ended and is no part of the next
    // answer.
    void lateAcksStayOutOfAnswers()
    {
        LinkTiming timing = fastTiming();
        timing.silenceMs = 600000; // only the test pings
        timing.pingReads = 10;
        timing.pingReadMs = 20;
        LinkFixture f(timing);
        QVERIFY(f.connectLink());
        // An ACK byte that no keep-alive waits for is data, before and after late ACKs.
        const QByteArray ackData = "K=" + QByteArray(1, FakeBoard::ACK) + '\n';
        f.board.setValue("K", QByteArray(1, FakeBoard::ACK));
        QByteArray got;
        QVERIFY(f.link.send("get K", &got));
        QCOMPARE(got, ackData);
        f.board.setEnqDelay(300); // each ACK 300 ms after the one before
        bool alive = false;
        for (int attempt = 0; attempt < 5 && !alive; ++attempt)
            alive = f.link.ping();
        QVERIFY(alive);
        // The first answer is due only after the late ACK (when the reads took so long on a
        // loaded machine that one ENQ was enough, there is none, and nothing to take out).
        for (const QByteArray &value : {QByteArray("1"), QByteArray("2")}) {
            QByteArray answer;
            QVERIFY(f.link.send("set A=" + value, &answer, 20000));
            QCOMPARE(answer, QByteArray("A:ok\n"));
        }
        QVERIFY(f.link.send("get K", &got));
        QCOMPARE(got, ackData);
        QVERIFY(f.link.isConnected());
    }

    // What was written to the board before waitUntilHeard is heard when it returns, a line
    // without an answer too; its mark is recorded neither as a line nor as a control byte.
    void boardHearsWhatCameBefore()
    {
        FakeBoard board;
        board.addHandler(QByteArray("set Q"), [](const QByteArray &) { return QByteArray(); });
        SerialPort port;
        QVERIFY(port.open_port(board.devicePath(), ControlBoard::DefaultBaudrate));
        QList<QByteArray> written;
        for (int i = 0; i < 50; ++i) {
            written << "set Q=" + QByteArray::number(i);
            QCOMPARE(port.write(written.back() + '\n'), int(written.back().size()) + 1);
            QVERIFY(board.waitUntilHeard(30000));
            QCOMPARE(board.lines(), written);
        }
        QCOMPARE(board.controlBytes(), QByteArray());
    }

    // A program started with its standard input closed gets descriptor 0 for the link
    // thread's wake-up: a transaction still wakes the thread at once, long before its
    // keep-alive pause ends.
    void wakeUpOnDescriptorZero()
    {
        FakeBoard board;
        LinkTiming slow = fastTiming();
        slow.silenceMs = 60000;
        slow.idleMs = 2000;
        const int savedInput = ::dup(0);
        QVERIFY(savedInput > 0);
        ::close(0);
        auto link = std::make_unique<ControlBoard>(slow);
        const bool connected = link->connectBoard(board.devicePath());
        QByteArray answer;
        const bool sent = connected && link->send("set A=1", &answer, 1000);
        link.reset();
        const bool closedAgain = ::fcntl(0, F_GETFD) == -1;
        ::dup2(savedInput, 0);
        ::close(savedInput);
        QVERIFY(connected && sent && closedAgain);
        QCOMPARE(answer, QByteArray("A:ok\n"));
    }

    void parkServesPendingPrompt()
    {
        // The identification after a reconnection shows its box from the link thread while
        // the GUI thread waits to park it: the wait must serve the box.
        LinkFixture f(fastTiming(1000));
        QVERIFY(startReconnectionWithBox(f));
        // Without serving events: the reconnection identifies the board, its box stays pending.
        QElapsedTimer waited;
        waited.start();
        while (Prompt::pendingHandOvers() == 0 && waited.elapsed() < 30000)
            QThread::msleep(10);
        QVERIFY(Prompt::pendingHandOvers() > 0);
        f.link.disconnectBoard(ControlBoard::ByUser);
        QVERIFY(!f.link.isConnected());
        // The box the link thread was handing over still comes; the link stays disconnected.
        QTRY_COMPARE_WITH_TIMEOUT(f.prompt.messages().size(), 2, 30000);
        QTest::qWait(300);
        QVERIFY(!f.link.isConnected());
    }

    void destroyedWhileReconnectionIdentifies()
    {
        // The link is destroyed while its thread, reconnecting, waits for the board's late
        // identification: the destruction serves the hand-overs that come after (the
        // identification's box) instead of only waiting for a thread that waits for it.
        int boxes = 0;
        auto f = std::make_unique<LinkFixture>(fastTiming(1000));
        f->board.setAnswerDelay(500);
        QVERIFY(startReconnectionWithBox(*f));
        f->prompt.onMessage = [&boxes](const Prompt::Message &) { ++boxes; };
        // Without serving events: the reconnection asks who the board is and waits.
        QElapsedTimer waited;
        waited.start();
        while (!f->board.lines().contains("*IDN?") && waited.elapsed() < 30000)
            QThread::msleep(5);
        QVERIFY(f->board.lines().contains("*IDN?"));
        f.reset();
        QCOMPARE(boxes, 1);
        QCOMPARE(Prompt::pendingHandOvers(), 0);
    }

    void disconnectWhileLinkThreadShowsBox()
    {
        // The user disconnects from within the box that the reconnection's identification
        // shows; the reconnection ends with the user's choice.
        LinkFixture f(fastTiming(1000));
        bool disconnectedInBox = false;
        f.prompt.onMessage = [&](const Prompt::Message &) {
            if (f.prompt.messages().size() < 2)
                return;
            f.link.disconnectBoard(ControlBoard::ByUser);
            disconnectedInBox = !f.link.isConnected();
        };
        QVERIFY(startReconnectionWithBox(f));
        QTRY_COMPARE_WITH_TIMEOUT(f.prompt.messages().size(), 2, 30000);
        QVERIFY(disconnectedInBox);
        QTest::qWait(500);
        QVERIFY(!f.link.isConnected());
        const QStringList texts = f.log.texts();
        QVERIFY(lastIndexOf(texts, QStringLiteral("):Disconnect by user")) >
                lastIndexOf(texts, QStringLiteral("):Connected to ")));
        f.prompt.onMessage = nullptr;
    }

    void disconnectAfterLinkThreadShowedBox()
    {
        // Once the link thread has shown the reconnection's box, a user's disconnection still
        // waits for its keep-alive under way (the board answers it late) and parks it before
        // closing the port: the keep-alive does not fail on the closed port and reconnect.
        LinkTiming timing = fastTiming(1000);
        timing.pingAttempts = 1;
        timing.pingReads = 5;
        timing.pingReadMs = 300; // 1.5 s a round
        LinkFixture f(timing);
        QVERIFY(startReconnectionWithBox(f));
        QTRY_COMPARE_WITH_TIMEOUT(f.prompt.messages().size(), 2, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(f.link.isConnected(), 30000);
        f.board.setEnqDelay(600);
        f.board.clearRecords();
        QVERIFY(f.board.waitForControl(FakeBoard::ENQ, 1, 30000));
        f.log.clear();
        f.link.disconnectBoard(ControlBoard::ByUser);
        QTest::qWait(1000);
        QVERIFY(!f.link.isConnected());
        QVERIFY(!f.log.contains(AutoReconnecting));
    }

private:
    // Connects to a board with old firmware (one box), lets it fall silent until the link
    // reconnects and has it answer again, so that the reconnection shows a second box.
    static bool startReconnectionWithBox(LinkFixture &f)
    {
        f.board.setIdnReply("Velmora,P110,0x00010000,Mon Aug 26 10:00:00 2024");
        if (!f.connectLink() || f.prompt.messages().size() != 1)
            return false;
        f.board.setSilent(true);
        if (!QTest::qWaitFor([&]() { return f.log.contains(AutoReconnecting); }, 30000))
            return false;
        f.board.clearRecords();
        f.board.setSilent(false);
        return true;
    }

    QByteArray m_captured;
};

QTEST_GUILESS_MAIN(TestLinkThread)
#include "tst_linkthread.moc"
