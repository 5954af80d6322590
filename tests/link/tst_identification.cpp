#include "linkfixture.h"
#include "linkhost.h"
#include "tablerows.h"

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
const QString Day = QStringLiteral("Mon Aug 26 10:00:00 2024");

} // namespace

// Firmware identification after a serial connection: reply forms, the rule, the warning. The
// link's logging stays off: the warning lines come regardless.
class TestIdentification : public QObject
{
    Q_OBJECT

private slots:
    void compatibilityRule_data()
    {
        addRows<QString, QString, QString, bool>(
            {"type", "version", "date", "compatible"},
            {{"P110", "0x0001044C", Day, true},
             {"P110", "0x0001044B", Day, false}, // version one below
             {"P110", "0x00020000", Day, true},
             {"P110", "0x0001044C", "Sun Aug 25 23:59:59 2024", false}, // day before
             {"P110", "0x0001044C", "Wed Jan 1 00:00:00 2025", true},
             {"P111", "0x0001044C", Day, false},
             {"P110", "0x0001044C", "2024.08.26", false}, // date as digits
             {"P110", "01044C", Day, false},              // no prefix loses two digits
             {"P110", "0xZZZ", Day, false}});
    }

    void compatibilityRule()
    {
        QFETCH(QString, type);
        QFETCH(QString, version);
        QFETCH(QString, date);
        QFETCH(bool, compatible);
        QCOMPARE(ControlBoard::checkFirmwareCompatible(type, version, date), compatible);
    }

    // Both reply forms, compatible or not, and replies that name no firmware of ours (old
    // versions and builds: compatibilityRule and warningBoxText).
    void replies_data()
    {
        const QString unknownDate = QStringLiteral("01.01.1900 01:01");
        addRows<QByteArray, bool, QString, int, QString>(
            {"reply", "compatible", "type", "version", "date"},
            {{"Velmora,P110,0x0001044C,Mon Aug 26 10:00:00 2024", true, "P110", 0x1044C,
              "26.08.2024 10:00"},
             {"Velmora,P110,0x0001044C,2024.08.26 [V2]", false, "P110", 0x1044C, ""},
             {"Velmora,P110,0x00020000,1.2.3", false, "P110", 0x20000, ""},
             // Without the "0x" prefix the rule drops two digits, the stored version does not.
             {"Velmora,P110,01044C,Mon Aug 26 10:00:00 2024", false, "P110", 0x1044C,
              "26.08.2024 10:00"},
             {"Acme,P110,0x0001044C,Mon Aug 26 10:00:00 2024", false, "UNKNOWN", 0, unknownDate},
             {"err", false, "UNKNOWN", 0, unknownDate}});
    }

    void replies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, compatible);
        QFETCH(QString, type);
        QFETCH(int, version);
        QFETCH(QString, date);
        LinkFixture f;
        f.board.setIdnReply(reply);
        QVERIFY(f.link.connectBoard(f.board.devicePath()));
        QCOMPARE(f.link.isCompatible(), compatible);
        QCOMPARE(f.link.firmwareType(), type);
        QCOMPARE(f.link.firmwareVersion(), version);
        QCOMPARE(f.link.firmwareDate(), date);
        QCOMPARE(f.prompt.messages().size(), compatible ? 0 : 1);
        QCOMPARE(f.log.entries().contains(qMakePair(1000, DetectedLine)), !compatible);
        QCOMPARE(f.log.entries().contains(qMakePair(1000, BoxText)), !compatible);
        QCOMPARE(f.board.lines().count("*IDN?"), 2);
    }

    void warningBoxText()
    {
        LinkFixture f;
        f.board.setIdnReply("Velmora,P110,0x0001044B,Sun Aug 25 10:00:00 2024");
        QVERIFY(f.link.connectBoard(f.board.devicePath()));
        QCOMPARE(f.prompt.messages().size(), 1);
        const Prompt::Message box = f.prompt.messages().first();
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
    }

    // With ignore_version the box is left out, the log line stays; otherwise the box offers
    // the update window, opened on "Yes" only.
    void ignoreVersionAndUpdateOffer()
    {
        LinkFixture f;
        f.board.setIdnReply("Velmora,X9,0x1,Mon Aug 26 10:00:00 2024");
        TestHost host;
        host.ignore = true;
        f.link.setHost(&host);
        QVERIFY(f.link.connectBoard(f.board.devicePath()));
        QVERIFY(f.prompt.messages().isEmpty());
        QVERIFY(f.log.entries().contains(qMakePair(1000, DetectedLine)));
        QVERIFY(!f.log.contains(BoxText));

        host.ignore = false;
        f.prompt.queueButton(Prompt::No);
        QVERIFY(f.link.checkIdn()); // the query was answered
        QCOMPARE(host.updates, 0);
        f.prompt.queueButton(Prompt::Yes);
        QVERIFY(f.link.checkIdn());
        QCOMPARE(host.updates, 1);
        QCOMPARE(f.prompt.messages().size(), 2);
        f.link.setHost(nullptr);
    }

    void silentBoardGetsNoBox()
    {
        LinkFixture f;
        f.board.setSilent(true);
        QVERIFY(!f.link.connectBoard(f.board.devicePath()));
        QVERIFY(!f.link.isConnected());
        QVERIFY(f.prompt.messages().isEmpty());
        QVERIFY(!f.log.contains(DetectedLine));
        QVERIFY(f.board.lines().isEmpty());
        QCOMPARE(f.link.firmwareType(), QStringLiteral("UNKNOWN"));
    }

    void unansweredSecondQueryIsUnknown()
    {
        // Only the second answer counts: the first one, discarded, must not stand in for it.
        LinkFixture f;
        auto queries = std::make_shared<std::atomic<int>>(0);
        f.board.addHandler(QByteArray("*IDN?"), [queries](const QByteArray &) {
            return ++*queries == 1 ? QByteArray("Velmora,P110,0x0001044C,Mon Aug 26 10:00:00 2024")
                                   : QByteArray();
        });
        f.link.setTimeout(300);
        QVERIFY(f.link.connectBoard(f.board.devicePath()));
        QCOMPARE(queries->load(), 2);
        QCOMPARE(f.link.firmwareType(), QStringLiteral("UNKNOWN"));
        QCOMPARE(f.link.firmwareVersion(), 0);
        QVERIFY(!f.link.isCompatible());
        QCOMPARE(f.prompt.messages().size(), 1);
        // The result is the second transaction's.
        QVERIFY(!f.link.checkIdn());
    }
};

QTEST_GUILESS_MAIN(TestIdentification)
#include "tst_identification.moc"
