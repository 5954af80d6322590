#include "controlboard.h"
#include "fakeboard.h"
#include "linkhost.h"
#include "logrecorder.h"
#include "recordingprompt.h"

#include <QtTest>

#include <atomic>
#include <memory>

namespace
{

class TestHost : public LinkHost
{
public:
    bool ignore = false;
    int updates = 0;
    bool ignoreVersion() const override { return ignore; }
    void updateFirmware() override { ++updates; }
};

const QString BoxText = QStringLiteral("VELMCU FW version not compatible!");
const QString DetectedLine = QStringLiteral("Incompatible version of VELMCU FW detected");

} // namespace

// Firmware identification after a serial connection: reply forms, the rule, the warning.
class TestIdentification : public QObject
{
    Q_OBJECT

private slots:
    void compatibilityRule_data();
    void compatibilityRule();
    void replies_data();
    void replies();
    void warningBoxText();
    void ignoreVersionSuppressesBox();
    void acceptedOfferOpensUpdate();
    void silentBoardGetsNoBox();
    void unansweredSecondQueryIsUnknown();
};

void TestIdentification::compatibilityRule_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("date");
    QTest::addColumn<bool>("compatible");
    const QString day = QStringLiteral("Mon Aug 26 10:00:00 2024");
    QTest::newRow("required") << "P110"
                              << "0x0001044C" << day << true;
    QTest::newRow("version one below") << "P110"
                                       << "0x0001044B" << day << false;
    QTest::newRow("newer version") << "P110"
                                   << "0x00020000" << day << true;
    QTest::newRow("day before") << "P110"
                                << "0x0001044C"
                                << "Sun Aug 25 23:59:59 2024" << false;
    QTest::newRow("later year") << "P110"
                                << "0x0001044C"
                                << "Wed Jan 1 00:00:00 2025" << true;
    QTest::newRow("other type") << "P111"
                                << "0x0001044C" << day << false;
    QTest::newRow("date as digits") << "P110"
                                    << "0x0001044C"
                                    << "2024.08.26" << false;
    QTest::newRow("no prefix loses two digits") << "P110"
                                                << "01044C" << day << false;
    QTest::newRow("not a number") << "P110"
                                  << "0xZZZ" << day << false;
}

void TestIdentification::compatibilityRule()
{
    QFETCH(QString, type);
    QFETCH(QString, version);
    QFETCH(QString, date);
    QFETCH(bool, compatible);
    QCOMPARE(ControlBoard::checkFirmwareCompatible(type, version, date), compatible);
}

void TestIdentification::replies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("compatible");
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("date");
    QTest::newRow("v1 compatible") << QByteArray("Velmora,P110,0x0001044C,Mon Aug 26 10:00:00 2024")
                                   << true << "P110" << 0x1044C << "26.08.2024 10:00";
    QTest::newRow("v1 old version")
        << QByteArray("Velmora,P110,0x0001044B,Mon Aug 26 10:00:00 2024") << false << "P110"
        << 0x1044B << "26.08.2024 10:00";
    QTest::newRow("v1 old build") << QByteArray("Velmora,P110,0x0001044C,Sun Aug 25 10:00:00 2024")
                                  << false << "P110" << 0x1044C << "25.08.2024 10:00";
    QTest::newRow("v2 digits and dots") << QByteArray("Velmora,P110,0x0001044C,2024.08.26 [V2]")
                                        << false << "P110" << 0x1044C << "";
    QTest::newRow("v2 without tag")
        << QByteArray("Velmora,P110,0x00020000,1.2.3") << false << "P110" << 0x20000 << "";
    QTest::newRow("other maker") << QByteArray("Acme,P110,0x0001044C,Mon Aug 26 10:00:00 2024")
                                 << false << "UNKNOWN" << 0 << "01.01.1900 01:01";
    QTest::newRow("refused") << QByteArray("err") << false << "UNKNOWN" << 0 << "01.01.1900 01:01";
}

void TestIdentification::replies()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, compatible);
    QFETCH(QString, type);
    QFETCH(int, version);
    QFETCH(QString, date);
    RecordingPrompt prompt;
    FakeBoard board;
    board.setIdnReply(reply);
    ControlBoard link;
    LogRecorder log(&link);
    QVERIFY(link.connectBoard(board.devicePath()));
    QCOMPARE(link.isCompatible(), compatible);
    QCOMPARE(link.firmwareType(), type);
    QCOMPARE(link.firmwareVersion(), version);
    QCOMPARE(link.firmwareDate(), date);
    QCOMPARE(prompt.messages().size(), compatible ? 0 : 1);
    QCOMPARE(log.contains(DetectedLine), !compatible);
    QCOMPARE(board.lines().count("*IDN?"), 2);
}

void TestIdentification::warningBoxText()
{
    RecordingPrompt prompt;
    FakeBoard board;
    board.setIdnReply("Velmora,P110,0x0001044B,Sun Aug 25 10:00:00 2024");
    ControlBoard link;
    LogRecorder log(&link);
    QVERIFY(link.connectBoard(board.devicePath()));
    QCOMPARE(prompt.messages().size(), 1);
    const Prompt::Message box = prompt.messages().first();
    QCOMPARE(box.icon, Prompt::Warning);
    QCOMPARE(box.title, QStringLiteral("KVL52110"));
    QCOMPARE(box.text, BoxText);
    QCOMPARE(box.buttons, Prompt::Yes | Prompt::No);
    const QString expected =
        QStringLiteral("Current version of Firmware might not be compatible with this Control "
                       "Software.\n\t\tRequired \t\tCurrent\n\tType:\t%1\t\t\t%2\n\tVer.:\t0x%3"
                       "\t\t0x%4\n\tBuild:\t%5\t\t%6\n\nYou may continue to use this SW or "
                       "perform update.\nDo you want to update VELMCU Firmware now?")
            .arg(QStringLiteral("P110"), QStringLiteral("P110"), QStringLiteral("0001044c"),
                 QStringLiteral("0001044b"), QDate(2024, 8, 26).toString(Qt::TextDate),
                 QDate(2024, 8, 25).toString(Qt::TextDate));
    QCOMPARE(box.informativeText, expected);
    // Both lines at level 1000, even with communication logging off.
    QVERIFY(!link.isLogEnabled());
    const auto entries = log.entries();
    QVERIFY(entries.contains(qMakePair(1000, BoxText)));
    QVERIFY(entries.contains(qMakePair(1000, DetectedLine)));
}

void TestIdentification::ignoreVersionSuppressesBox()
{
    RecordingPrompt prompt;
    FakeBoard board;
    board.setIdnReply("Velmora,X9,0x1,Mon Aug 26 10:00:00 2024");
    TestHost host;
    host.ignore = true;
    ControlBoard link;
    link.setHost(&host);
    LogRecorder log(&link);
    QVERIFY(link.connectBoard(board.devicePath()));
    QVERIFY(prompt.messages().isEmpty());
    QVERIFY(log.entries().contains(qMakePair(1000, DetectedLine)));
    QVERIFY(!log.contains(BoxText));
    QCOMPARE(host.updates, 0);
}

void TestIdentification::acceptedOfferOpensUpdate()
{
    RecordingPrompt prompt;
    FakeBoard board;
    board.setIdnReply("Velmora,P110,0x00010000,Mon Aug 26 10:00:00 2024");
    TestHost host;
    ControlBoard link;
    link.setHost(&host);
    prompt.queueButton(Prompt::No);
    QVERIFY(link.connectBoard(board.devicePath()));
    QCOMPARE(host.updates, 0);
    prompt.queueButton(Prompt::Yes);
    QVERIFY(link.checkIdn());
    QCOMPARE(host.updates, 1);
    QCOMPARE(prompt.messages().size(), 2);
}

void TestIdentification::silentBoardGetsNoBox()
{
    RecordingPrompt prompt;
    FakeBoard board;
    board.setSilent(true);
    ControlBoard link;
    LogRecorder log(&link);
    QVERIFY(!link.connectBoard(board.devicePath()));
    QVERIFY(!link.isConnected());
    QVERIFY(prompt.messages().isEmpty());
    QVERIFY(!log.contains(DetectedLine));
    QVERIFY(board.lines().isEmpty());
    QCOMPARE(link.firmwareType(), QStringLiteral("UNKNOWN"));
}

void TestIdentification::unansweredSecondQueryIsUnknown()
{
    // Only the second answer counts: the first one, discarded, must not stand in for it.
    RecordingPrompt prompt;
    FakeBoard board;
    auto queries = std::make_shared<std::atomic<int>>(0);
    board.addHandler(QByteArray("*IDN?"), [queries](const QByteArray &) {
        return ++*queries == 1 ? QByteArray("Velmora,P110,0x0001044C,Mon Aug 26 10:00:00 2024")
                               : QByteArray();
    });
    ControlBoard link;
    link.setTimeout(300);
    QVERIFY(link.connectBoard(board.devicePath()));
    QCOMPARE(queries->load(), 2);
    QCOMPARE(link.firmwareType(), QStringLiteral("UNKNOWN"));
    QCOMPARE(link.firmwareVersion(), 0);
    QVERIFY(!link.isCompatible());
    QCOMPARE(prompt.messages().size(), 1);
    // The result is the second transaction's.
    QVERIFY(!link.checkIdn());
}

QTEST_GUILESS_MAIN(TestIdentification)
#include "tst_identification.moc"
