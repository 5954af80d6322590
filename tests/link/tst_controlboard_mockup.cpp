#include "controlboard.h"
#include "logrecorder.h"
#include "recordingprompt.h"
#include "tablerows.h"

#include <QSignalSpy>
#include <QtTest>

// The "mockup" port: local answers with the documented generator, reseeded per connection.
class TestControlBoardMockup : public QObject
{
    Q_OBJECT

private slots:
    void connectShowsNotice()
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

        // A baud switch only stores the rate.
        QVERIFY(link.setBaudrate(2304000));
        QCOMPARE(link.baudrate(), 2304000);
        QVERIFY(link.isConnected());
        QVERIFY(link.send("set A=1", nullptr));
    }

    void assignmentsAnswerOk_data()
    {
        addRows<QByteArray, QByteArray>({"commands", "answer"},
                                        {{"set A=1 B=2", "A:ok B:ok "},
                                         {"set A\n", "A:ok "},
                                         {"get reset", "get:ok reset:ok "}}); // "set" in a read
    }

    void assignmentsAnswerOk()
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

    void readsFollowGeneratorAndReseed()
    {
        // The generator as documented: x = x*214013 + 2531011 (mod 2^32), output (x>>16) & 0x7FFF.
        QList<int> n;
        for (quint32 x = 100; n.size() < 4;) {
            x = x * 214013u + 2531011u;
            n.append(int((x >> 16) & 0x7FFF));
        }
        RecordingPrompt prompt;
        ControlBoard link;
        QVERIFY(link.connectBoard(QStringLiteral("mockup")));
        QByteArray first;
        QVERIFY(link.send("get DIO03 AIN1 X\n", &first));
        // A number is drawn for DIO items too, so X gets the third one.
        QCOMPARE(first,
                 QStringLiteral("DIO03=0 AIN1=%1 X=%2").arg(n[1] % 1023).arg(n[2]).toLatin1());
        int value = -1;
        QVERIFY(link.getValue("Y", &value));
        QCOMPARE(value, n[3]);

        // A new connection starts the sequence again.
        link.disconnectBoard(ControlBoard::ByUser);
        QVERIFY(!link.isConnected());
        QVERIFY(link.connectBoard(QStringLiteral("mockup")));
        QByteArray again;
        QVERIFY(link.send("get DIO03 AIN1 X\n", &again));
        QCOMPARE(again, first);
    }
};

QTEST_GUILESS_MAIN(TestControlBoardMockup)
#include "tst_controlboard_mockup.moc"
