#include "controlboard.h"
#include "logrecorder.h"
#include "recordingprompt.h"

#include <QSignalSpy>
#include <QtTest>

// The "mockup" port: local answers with the documented generator, reseeded per connection.
class TestControlBoardMockup : public QObject
{
    Q_OBJECT

private slots:
    void connectShowsNotice();
    void assignmentsAnswerOk_data();
    void assignmentsAnswerOk();
    void readsFollowGeneratorRules();
    void reconnectingRepeatsNumbers();
    void baudSwitchOnlyStoresRate();

private:
    // The generator as documented: x = x*214013 + 2531011 (mod 2^32), output (x>>16) & 0x7FFF.
    static QList<int> expectedNumbers(int count)
    {
        quint32 x = 100;
        QList<int> out;
        for (int i = 0; i < count; ++i) {
            x = x * 214013u + 2531011u;
            out.append(int((x >> 16) & 0x7FFF));
        }
        return out;
    }
};

void TestControlBoardMockup::connectShowsNotice()
{
    RecordingPrompt prompt;
    ControlBoard link;
    link.setLogEnabled(true);
    LogRecorder log(&link);
    QSignalSpy connected(&link, &ControlBoard::signal_connected);
    QVERIFY(link.connectBoard(QStringLiteral("mockup")));
    QVERIFY(link.isConnected());
    QCOMPARE(link.mode(), int(ControlBoard::MockupMode));
    QCOMPARE(link.portName(), QStringLiteral("mockup"));
    QCOMPARE(connected.count(), 1);
    QCOMPARE(prompt.messages().size(), 1);
    const Prompt::Message msg = prompt.messages().first();
    QCOMPARE(msg.icon, Prompt::Information);
    QVERIFY(msg.title.isEmpty());
    QCOMPARE(msg.text,
             QStringLiteral("Software is in Mock-up mode. \n Communication is simulated!"));
    QCOMPARE(msg.buttons, int(Prompt::Ok));
    QVERIFY(log.texts().last().endsWith(QStringLiteral("):Connected to mockup")));
}

void TestControlBoardMockup::assignmentsAnswerOk_data()
{
    QTest::addColumn<QByteArray>("commands");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("two items") << QByteArray("set A=1 B=2") << QByteArray("A:ok B:ok ");
    QTest::newRow("item without value") << QByteArray("set A\n") << QByteArray("A:ok ");
    QTest::newRow("lower-case set in a read")
        << QByteArray("get reset") << QByteArray("get:ok reset:ok ");
}

void TestControlBoardMockup::assignmentsAnswerOk()
{
    QFETCH(QByteArray, commands);
    QFETCH(QByteArray, answer);
    RecordingPrompt prompt;
    ControlBoard link;
    QVERIFY(link.connectBoard(QStringLiteral("mockup")));
    QByteArray got;
    QVERIFY(link.send(commands, &got));
    QCOMPARE(got, answer);
}

void TestControlBoardMockup::readsFollowGeneratorRules()
{
    RecordingPrompt prompt;
    ControlBoard link;
    QVERIFY(link.connectBoard(QStringLiteral("mockup")));
    const QList<int> n = expectedNumbers(4);
    QByteArray got;
    QVERIFY(link.send("get DIO03 AIN1 X\n", &got));
    // A number is drawn for DIO items too, so X gets the third one.
    QCOMPARE(got, QStringLiteral("DIO03=0 AIN1=%1 X=%2").arg(n[1] % 1023).arg(n[2]).toLatin1());
    int value = -1;
    QVERIFY(link.getValue("Y", &value));
    QCOMPARE(value, n[3]);
}

void TestControlBoardMockup::reconnectingRepeatsNumbers()
{
    RecordingPrompt prompt;
    ControlBoard link;
    QVERIFY(link.connectBoard(QStringLiteral("mockup")));
    QByteArray first;
    QVERIFY(link.send("get A B C", &first));
    QByteArray again;
    QVERIFY(link.send("get A B C", &again));
    QVERIFY(first != again);
    link.disconnectBoard(ControlBoard::ByUser);
    QVERIFY(!link.isConnected());
    QVERIFY(link.connectBoard(QStringLiteral("mockup")));
    QByteArray afterReconnect;
    QVERIFY(link.send("get A B C", &afterReconnect));
    QCOMPARE(afterReconnect, first);
}

void TestControlBoardMockup::baudSwitchOnlyStoresRate()
{
    RecordingPrompt prompt;
    ControlBoard link;
    QVERIFY(link.connectBoard(QStringLiteral("mockup")));
    QVERIFY(link.setBaudrate(2304000));
    QCOMPARE(link.baudrate(), 2304000);
    QVERIFY(link.isConnected());
    QVERIFY(link.send("set A=1", nullptr));
}

QTEST_GUILESS_MAIN(TestControlBoardMockup)
#include "tst_controlboard_mockup.moc"
