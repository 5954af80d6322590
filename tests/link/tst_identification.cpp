#include "linkfixture.h"
#include "linkhost.h"

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
    void compatibilityRule()
    {
        for (auto [type, version, date, compatible] :
             {std::tuple{"P110", "0x0001044C", Day, true}, {"P110", "0x0001044B", Day, false},
              {"P110", "0x00020000", Day, true},
              {"P110", "0x0001044C", "Sun Aug 25 23:59:59 2024", false}, // the day before
              {"P111", "0x0001044C", Day, false},
              {"P110", "0xZZZ", Day, false}})
            QCOMPARE(ControlBoard::checkFirmwareCompatible(type, version, date), compatible);
    }

    // Both reply forms, compatible or not, and replies that name no firmware of ours.
    void replies()
    {
        const QString unknownDate = QStringLiteral("01.01.1900 01:01");
        for (auto [reply, compatible, type, version, date] :
             {std::tuple{QByteArray("Velmora,P110,0x0001044C,Mon Aug 26 10:00:00 2024"), true,
                         QString("P110"), 0x1044C, QString("26.08.2024 10:00")},
              {"Velmora,P110,0x0001044C,2024.08.26 [V2]", false, "P110", 0x1044C, ""},
              // Without the "0x" prefix the rule drops two digits, the stored version does not.
              {"Velmora,P110,01044C,Mon Aug 26 10:00:00 2024", false, "P110", 0x1044C,
               "26.08.2024 10:00"},
              {"Acme,P110,0x0001044C,Mon Aug 26 10:00:00 2024", false, "UNKNOWN", 0, unknownDate},
              {"Velmora,P110,0xZZZ,Mon Aug 26 10:00:00 2024", false, "P110", 0, // no number
               "26.08.2024 10:00"},
              {"err", false, "UNKNOWN", 0, unknownDate}}) {
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
        // A reply that names no firmware replaces what an earlier identification stored.
        LinkFixture f;
        f.board.setIdnReply("Velmora,P110,0x0001044C,Mon Aug 26 10:00:00 2024");
        QVERIFY(f.link.connectBoard(f.board.devicePath()));
        QVERIFY(f.link.isCompatible());
        f.board.setIdnReply("err");
        QVERIFY(!f.link.checkIdn());
        QVERIFY(!f.link.isCompatible());
        QCOMPARE(f.link.firmwareType() + ' ' + f.link.firmwareDate(), "UNKNOWN " + unknownDate);
        QCOMPARE(f.link.firmwareVersion(), 0);
    }

    // The box offers the update window, opened on "Yes" only; with ignore_version the box is
    // left out, the log line stays.
    void warningBoxAndUpdateOffer()
    {
        LinkFixture f;
        TestHost host;
        f.link.setHost(&host);
        f.board.setIdnReply("Velmora,P110,0x0001044B,Sun Aug 25 10:00:00 2024");
        f.prompt.queueButton(Prompt::No);
        QVERIFY(f.link.connectBoard(f.board.devicePath()));
        QCOMPARE(f.prompt.messages().size(), 1);
        const Prompt::Message box = f.prompt.messages().first();
        QCOMPARE(box.icon, Prompt::Warning);
        QCOMPARE(box.title + '|' + box.text, "KVL52110|" + BoxText);
        QCOMPARE(box.buttons, Prompt::Yes | Prompt::No);
        QCOMPARE(box.informativeText,
                 QStringLiteral("Current version of Firmware might not be compatible with this "
                                "Control Software.\n\t\tRequired \t\tCurrent\n\tType:\tP110\t\t\t"
                                "P110\n\tVer.:\t0x0001044c\t\t0x0001044b\n\tBuild:\t%1\t\t%2\n\n"
                                "You may continue to use this SW or perform update.\nDo you want "
                                "to update VELMCU Firmware now?")
                     .arg(QDate(2024, 8, 26).toString(Qt::TextDate),
                          QDate(2024, 8, 25).toString(Qt::TextDate)));
        QCOMPARE(host.updates, 0);
        f.prompt.queueButton(Prompt::Yes);
        QVERIFY(f.link.checkIdn()); // the query was answered
        QCOMPARE(host.updates, 1);
        host.ignore = true;
        f.log.clear();
        QVERIFY(f.link.checkIdn());
        QCOMPARE(f.prompt.messages().size(), 2);
        QVERIFY(f.log.entries().contains(qMakePair(1000, DetectedLine)));
        QVERIFY(!f.log.contains(BoxText));
        f.link.setHost(nullptr);
    }

    // A silent board is no connection and shows no box; only the second of the two queries
    // counts: the first answer, discarded, must not stand in for an unanswered second one.
    void unansweredQueries()
    {
        LinkFixture f;
        f.board.setSilent(true);
        QVERIFY(!f.link.connectBoard(f.board.devicePath()));
        QVERIFY(!f.link.isConnected() && f.prompt.messages().isEmpty() && f.board.lines().isEmpty());
        QVERIFY(!f.log.contains(DetectedLine));
        f.board.setSilent(false);
        auto queries = std::make_shared<std::atomic<int>>(0);
        f.board.addHandler(QByteArray("*IDN?"), [queries](const QByteArray &) {
            return ++*queries == 1 ? QByteArray("Velmora,P110,0x0001044C,Mon Aug 26 10:00:00 2024")
                                   : QByteArray();
        });
        f.link.setTimeout(300);
        QVERIFY(f.link.connectBoard(f.board.devicePath()));
        QCOMPARE(queries->load(), 2);
        QCOMPARE(f.link.firmwareType(), QStringLiteral("UNKNOWN"));
        QVERIFY(f.link.firmwareVersion() == 0 && !f.link.isCompatible());
        QCOMPARE(f.prompt.messages().size(), 1);
        QVERIFY(!f.link.checkIdn()); // the result is the second transaction's
        // The query on its own (two lines, two answers expected; the board skips the empty
        // one) gives up after its second attempt.
        f.board.clearRecords();
        QCOMPARE(f.link.queryIdn(), QString());
        QCOMPARE(f.board.lines().count("*IDN?"), 2);
    }
};

QTEST_GUILESS_MAIN(TestIdentification)
#include "tst_identification.moc"
