#include "controlboard.h"
#include "fakeboard.h"
#include "logrecorder.h"
#include "recordingprompt.h"
#include "serialport.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

// The link thread against the simulator: keep-alive, reconnection, baud switch, reset,
// stream capture, port probing and shutdown. Intervals are shortened; margins stay wide.
class TestLinkThread : public QObject
{
    Q_OBJECT

public slots:
    void slot_capturedData(const QByteArray &data) { m_captured += data; }

private slots:
    void init();
    void cleanup();

    void keepAliveOnIdleLine();
    void silentBoardLeadsToDisconnection();
    void boardAnsweringAgainIsReconnected();
    void reconnectionPauseIsNotShortened();
    void transactionDuringReconnection();
    void turboSwitchAndDisconnect();
    void failedReopenDisconnects();
    void resetBoardSendsCanThenEnq();
    void sendNakWritesOneByte();
    void finiteStreamArrivesInOrder();
    void endlessStreamStopsOnNak();
    void probeAndListPorts();
    void waitingInputIsSignOfLife();
    void bytesBeforeAckReachTransaction();
    void destructionDuringReconnectionIsPrompt();
    void parkServesPendingPrompt();
    void disconnectWhileLinkThreadShowsBox();

private:
    static LinkTiming fastTiming();
    void startLink(const LinkTiming &timing);

    RecordingPrompt *m_prompt = nullptr;
    std::unique_ptr<FakeBoard> m_board;
    std::unique_ptr<ControlBoard> m_link;
    std::unique_ptr<LogRecorder> m_log;
    QByteArray m_captured;
};

LinkTiming TestLinkThread::fastTiming()
{
    LinkTiming t;
    t.silenceMs = 250;
    t.reconnectAttempts = 3;
    t.reconnectPauseMs = 100;
    t.idleMs = 50;
    t.streamPassMs = 20;
    return t;
}

void TestLinkThread::init()
{
    m_prompt = new RecordingPrompt;
    m_board = std::make_unique<FakeBoard>();
    QVERIFY(m_board->isValid());
    m_captured.clear();
}

void TestLinkThread::cleanup()
{
    m_log.reset();
    m_link.reset();
    m_board.reset();
    delete m_prompt;
    m_prompt = nullptr;
}

void TestLinkThread::startLink(const LinkTiming &timing)
{
    m_link = std::make_unique<ControlBoard>(timing);
    m_log = std::make_unique<LogRecorder>(m_link.get());
    m_link->setLogEnabled(true);
    QVERIFY(m_link->connectBoard(m_board->devicePath()));
    m_board->clearRecords();
}

void TestLinkThread::keepAliveOnIdleLine()
{
    startLink(fastTiming());
    QVERIFY(m_board->waitForControl(FakeBoard::ENQ, 3, 20000));
    QVERIFY(m_board->lines().isEmpty());
    const QByteArray control = m_board->controlBytes();
    QCOMPARE(control, QByteArray(control.size(), FakeBoard::ENQ));
    QVERIFY(m_link->isConnected());
    // Answers keep the line alive: a transaction in between is served as usual.
    QVERIFY(m_link->send("set A=1", nullptr));
}

void TestLinkThread::silentBoardLeadsToDisconnection()
{
    startLink(fastTiming());
    QSignalSpy disconnected(m_link.get(), &ControlBoard::signal_disconnected);
    m_board->setSilent(true);
    QTRY_COMPARE_WITH_TIMEOUT(disconnected.count(), 2, 30000);
    QVERIFY(!m_link->isConnected());
    const QStringList texts = m_log->texts();
    const auto endsWith = [&](const QString &tail) {
        for (int i = 0; i < texts.size(); ++i) {
            if (texts[i].endsWith(tail))
                return i;
        }
        return -1;
    };
    const int reconnect = endsWith(QStringLiteral("):Reconnect"));
    const int auto_ = endsWith(QStringLiteral("):Auto reconnecting..."));
    const int errors = endsWith(QStringLiteral("):Disconnect due to errors"));
    QVERIFY(reconnect >= 0 && reconnect < auto_ && auto_ < errors);
    QCOMPARE(m_log->entries()[errors].first, -1000);
    // Three attempts, each pinging without an answer: no identification, no box.
    QVERIFY(!m_board->lines().contains("*IDN?"));
    QVERIFY(m_prompt->messages().isEmpty());
}

void TestLinkThread::boardAnsweringAgainIsReconnected()
{
    LinkTiming timing = fastTiming();
    timing.reconnectAttempts = 50;
    startLink(timing);
    QSignalSpy connected(m_link.get(), &ControlBoard::signal_connected);
    m_board->setSilent(true);
    QTRY_VERIFY_WITH_TIMEOUT(m_log->contains(QStringLiteral("Auto reconnecting...")), 30000);
    m_board->setSilent(false);
    QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 1, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(m_link->isConnected(), 30000);
    QVERIFY(!m_log->contains(QStringLiteral("Disconnect due to errors")));
    QVERIFY(m_board->lines().contains("*IDN?"));
    QVERIFY(m_link->send("set B=3", nullptr));
    QCOMPARE(m_board->value("B"), QByteArray("3"));
}

void TestLinkThread::reconnectionPauseIsNotShortened()
{
    // Parking requests from the GUI thread wake the link thread but do not cut its pause
    // between two reconnection attempts short.
    LinkTiming timing = fastTiming();
    timing.reconnectPauseMs = 60000;
    startLink(timing);
    m_board->setSilent(true);
    QTRY_VERIFY_WITH_TIMEOUT(m_log->contains(QStringLiteral("Auto reconnecting...")), 30000);
    for (int i = 0; i < 40; ++i) {
        m_link->clearBuffers();
        QThread::msleep(25);
    }
    QVERIFY(!m_log->contains(QStringLiteral("Disconnect due to errors")));
    // One attempt so far: the failed keep-alive and the attempt's own wrote three ENQ each
    // (plus, perhaps, one answered keep-alive before the board fell silent).
    QVERIFY(m_board->controlCount(FakeBoard::ENQ) <= 2 * timing.pingAttempts + 1);
}

void TestLinkThread::transactionDuringReconnection()
{
    // A transaction still waiting when the link thread starts reconnecting keeps the buffers
    // to itself until it ends: it fails on its time-out, and the reconnected link works.
    LinkTiming timing = fastTiming();
    timing.reconnectAttempts = 50;
    startLink(timing);
    QSignalSpy connected(m_link.get(), &ControlBoard::signal_connected);
    m_board->setSilent(true);
    QByteArray answer = "kept";
    QVERIFY(!m_link->send("get A", &answer, 2000));
    QCOMPARE(answer, QByteArray("kept"));
    QVERIFY(m_log->contains(QStringLiteral("Auto reconnecting...")));
    m_board->setSilent(false);
    QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 1, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(m_link->isConnected(), 30000);
    m_board->setValue("A", "6");
    QVERIFY(m_link->send("get A", &answer));
    QCOMPARE(answer, QByteArray("A=6\n"));
}

void TestLinkThread::turboSwitchAndDisconnect()
{
    startLink(LinkTiming());
    QVERIFY(m_link->setBaudrate(2304000));
    QCOMPARE(m_link->baudrate(), 2304000);
    QVERIFY(m_board->waitForLines(1, 10000));
    QCOMPARE(m_board->lines().first(), QByteArray("set baudrate=2304000"));
    QCOMPARE(m_board->baudRate(), 2304000);
    QVERIFY(m_link->send("set A=4", nullptr));

    bool connectedAtSignal = false;
    connect(
        m_link.get(), &ControlBoard::signal_disconnected, this,
        [&]() { connectedAtSignal = m_link->isConnected(); }, Qt::DirectConnection);
    m_link->disconnectBoard(ControlBoard::ByUser);
    QVERIFY(connectedAtSignal);
    QVERIFY(!m_link->isConnected());
    QVERIFY(m_board->waitForLines(3, 10000));
    QCOMPARE(m_board->lines().last(), QByteArray("set baudrate=115200"));
    QCOMPARE(m_board->baudRate(), 115200);
    QVERIFY(m_log->texts().last().endsWith(QStringLiteral("):Disconnect by user")));
    // The port is closed: the device opens again.
    SerialPort port;
    QVERIFY(port.open_port(m_board->devicePath(), 115200));
}

void TestLinkThread::failedReopenDisconnects()
{
    startLink(LinkTiming());
    QSignalSpy disconnected(m_link.get(), &ControlBoard::signal_disconnected);
    m_board.reset(); // the terminal goes away; it cannot be opened again
    QVERIFY(m_link->setBaudrate(2304000));
    QCOMPARE(disconnected.count(), 1);
    QVERIFY(!m_link->isConnected());
    QCOMPARE(m_log->entries().last().first, -1000);
    QVERIFY(m_log->entries().last().second.contains(QStringLiteral("2304000")));
}

void TestLinkThread::resetBoardSendsCanThenEnq()
{
    startLink(LinkTiming());
    m_board->setRebootMs(200);
    m_link->resetBoard();
    QCOMPARE(m_board->rebootCount(), 1);
    const QByteArray control = m_board->controlBytes();
    QVERIFY(control.startsWith(QByteArray(6, FakeBoard::CAN)));
    const QByteArray rest = control.mid(6);
    QVERIFY(rest.size() >= 2); // the board stays silent for a while after the reset
    QCOMPARE(rest, QByteArray(rest.size(), FakeBoard::ENQ));
    QVERIFY(m_log->contains(QStringLiteral("Board reset")));
    QVERIFY(m_link->send("set A=1", nullptr));
}

void TestLinkThread::sendNakWritesOneByte()
{
    startLink(LinkTiming());
    m_link->sendNak();
    QVERIFY(m_board->waitForControl(FakeBoard::NAK, 1, 10000));
    QVERIFY(m_link->send("set A=1", nullptr));
    QCOMPARE(m_board->controlCount(FakeBoard::NAK), 1);
}

void TestLinkThread::finiteStreamArrivesInOrder()
{
    startLink(fastTiming());
    QByteArray data;
    for (int i = 0; i < 60000; ++i)
        data += char('A' + (i * 7 + i / 97) % 26);
    m_board->setStream("get stream", data, 700, 1, false);
    QSignalSpy stream(m_link.get(), &ControlBoard::signal_stream);
    m_log->clear();
    m_link->startStream(QStringLiteral("get stream"), this);
    QVERIFY(!m_link->send("get A", nullptr)); // transactions wait while streaming
    QTRY_COMPARE_WITH_TIMEOUT(m_captured.size(), data.size(), 30000);
    QCOMPARE(m_captured, data);
    m_link->stopStream();
    QTRY_COMPARE_WITH_TIMEOUT(stream.count(), 2, 10000);
    QCOMPARE(stream.at(0).at(0).toBool(), true);
    QCOMPARE(stream.at(1).at(0).toBool(), false);
    QVERIFY(m_board->waitForControl(FakeBoard::NAK, 3, 10000));
    QVERIFY(m_link->send("set A=1", nullptr)); // everything written before has arrived
    QCOMPARE(m_board->controlCount(FakeBoard::NAK), 3);
    QCOMPARE(m_board->lines().first(), QByteArray("get stream"));
    const QStringList texts = m_log->texts();
    QStringList inf;
    for (const QString &t : texts) {
        if (t.startsWith(QStringLiteral("INF(")))
            inf.append(t.section(QStringLiteral("):"), 1));
    }
    QCOMPARE(inf, (QStringList{"Start stream", "RTS=1", "get stream", "RTS=0", "Stop stream"}));
}

void TestLinkThread::endlessStreamStopsOnNak()
{
    startLink(fastTiming());
    m_board->setStream("start", QByteArray("0123456789"), 10, 2, true);
    m_link->startStream(QStringLiteral("start\n"), this);
    QTRY_VERIFY_WITH_TIMEOUT(m_captured.size() > 100, 30000);
    QVERIFY(m_board->isStreaming());
    m_link->stopStream();
    QVERIFY(m_board->waitForControl(FakeBoard::NAK, 3, 10000));
    QTRY_VERIFY_WITH_TIMEOUT(!m_board->isStreaming(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!m_link->isStreaming(), 10000);
    QVERIFY(m_captured.startsWith("0123456789012"));
    // The receiver is disconnected: once what was already queued is delivered, nothing more
    // arrives.
    QCoreApplication::processEvents();
    const int size = int(m_captured.size());
    QVERIFY(m_link->send("set A=1", nullptr));
    QCoreApplication::processEvents();
    QCOMPARE(m_captured.size(), size);
}

void TestLinkThread::probeAndListPorts()
{
    m_link = std::make_unique<ControlBoard>(fastTiming());
    FakeBoard silent;
    silent.setSilent(true);
    const QStringList in{m_board->devicePath(), QStringLiteral("mockup"), silent.devicePath(),
                         QStringLiteral("/dev/no-such-tty"), QStringLiteral("script")};
    QStringList out;
    m_link->probePorts(in, out);
    QCOMPARE(out, (QStringList{m_board->devicePath(), "mockup", "script"}));

    QVERIFY(m_link->connectBoard(m_board->devicePath()));
    QStringList unchanged{QStringLiteral("x")};
    m_link->probePorts(in, unchanged);
    QCOMPARE(unchanged, QStringList{QStringLiteral("x")});

    QStringList all;
    m_link->availablePorts(all);
    QVERIFY(all.size() >= 2);
    QCOMPARE(all.mid(all.size() - 2), (QStringList{"mockup", "script"}));
}

void TestLinkThread::waitingInputIsSignOfLife()
{
    ControlBoard link(fastTiming());
    m_board->setSilent(true);
    QStringList out;
    link.probePorts({m_board->devicePath()}, out);
    QVERIFY(out.isEmpty());
    QVERIFY(!link.ping()); // no port open
    m_board->writeRaw("noise");
    QTRY_COMPARE_WITH_TIMEOUT(m_board->pendingForProgram(), 5, 10000);
    link.probePorts({m_board->devicePath()}, out);
    QCOMPARE(out, QStringList{m_board->devicePath()});
}

void TestLinkThread::bytesBeforeAckReachTransaction()
{
    // The answer comes only in front of the ACK of a keep-alive: the ping hands it on.
    startLink(fastTiming());
    m_board->addHandler(QByteArray("get LATE"), [](const QByteArray &) { return QByteArray(); });
    m_board->setEnqReply(QByteArray("LATE=5\n") + FakeBoard::ACK);
    QByteArray answer;
    QVERIFY(m_link->send("get LATE", &answer, 20000));
    QCOMPARE(answer, QByteArray("LATE=5\n"));
    QVERIFY(m_link->isConnected());
}

void TestLinkThread::destructionDuringReconnectionIsPrompt()
{
    LinkTiming timing = fastTiming();
    timing.reconnectPauseMs = 600000;
    startLink(timing);
    m_board->setSilent(true);
    QTRY_VERIFY_WITH_TIMEOUT(m_log->contains(QStringLiteral("Auto reconnecting...")), 30000);
    QElapsedTimer timer;
    timer.start();
    m_log.reset();
    m_link.reset();
    QVERIFY(timer.elapsed() < 60000);
}

void TestLinkThread::parkServesPendingPrompt()
{
    // The identification after a reconnection shows its box from the link thread while the
    // GUI thread waits to park it: the wait must serve the box.
    m_board->setIdnReply("Velmora,P110,0x00010000,Mon Aug 26 10:00:00 2024");
    LinkTiming timing = fastTiming();
    timing.reconnectAttempts = 1000;
    startLink(timing);
    QCOMPARE(m_prompt->messages().size(), 1);
    m_board->setSilent(true);
    QTRY_VERIFY_WITH_TIMEOUT(m_log->contains(QStringLiteral("Auto reconnecting...")), 30000);
    m_board->setSilent(false);
    // Without serving events, the link thread's box stays pending here.
    QThread::msleep(3000);
    m_link->disconnectBoard(ControlBoard::ByUser);
    QVERIFY(!m_link->isConnected());
    // The box the link thread was handing over still comes; the link stays disconnected.
    QTRY_COMPARE_WITH_TIMEOUT(m_prompt->messages().size(), 2, 30000);
    QTest::qWait(300);
    QVERIFY(!m_link->isConnected());
}

void TestLinkThread::disconnectWhileLinkThreadShowsBox()
{
    // The user disconnects from within the box that the reconnection's identification shows.
    m_board->setIdnReply("Velmora,P110,0x00010000,Mon Aug 26 10:00:00 2024");
    LinkTiming timing = fastTiming();
    timing.reconnectAttempts = 1000;
    startLink(timing);
    QCOMPARE(m_prompt->messages().size(), 1);
    bool disconnectedInBox = false;
    m_prompt->onMessage = [&](const Prompt::Message &) {
        m_link->disconnectBoard(ControlBoard::ByUser);
        disconnectedInBox = !m_link->isConnected();
    };
    m_board->setSilent(true);
    QTRY_VERIFY_WITH_TIMEOUT(m_log->contains(QStringLiteral("Auto reconnecting...")), 30000);
    m_board->setSilent(false);
    QTRY_COMPARE_WITH_TIMEOUT(m_prompt->messages().size(), 2, 30000);
    m_prompt->onMessage = nullptr;
    QVERIFY(disconnectedInBox);
    // The reconnection ends with the user's choice: no later connection.
    QTest::qWait(500);
    QVERIFY(!m_link->isConnected());
    const QStringList texts = m_log->texts();
    int lastUser = -1;
    int lastConnected = -1;
    for (int i = 0; i < texts.size(); ++i) {
        if (texts[i].endsWith(QStringLiteral("):Disconnect by user")))
            lastUser = i;
        if (texts[i].contains(QStringLiteral("):Connected to ")))
            lastConnected = i;
    }
    QVERIFY(lastUser > lastConnected);
}

QTEST_GUILESS_MAIN(TestLinkThread)
#include "tst_linkthread.moc"
