// Automatic addressing end to end on the simulated matrix bus: the frames of the sequence, the
// buck switching through the board page, the operator's boxes, the checks and the report.
#include "addressingfixture.h"
#include "variable.h"

#include <QSignalSpy>
#include <QtTest>

namespace
{

using Frames = QStringList;

const QString TurnOff =
    QStringLiteral("Please turn off the current output for row %1 and click Ok");
const QString Enable = QStringLiteral("Please enable output for row %1 and click Ok");
const QString Disable = QStringLiteral("Please disable output for row %1 and click Ok");
const QString CheckValues =
    QStringLiteral("Please check the values! Threshold <1;255>, Buck <1;x>, Address < 31");
const QString Failed = QStringLiteral("There is an error with auto addressing process, please "
                                      "check the current output to LED string.");

} // namespace

class TestAutoAddressing : public QObject
{
    Q_OBJECT

    AddressingFixture f;
    RecordingBoardPage page{f.bus};
    int m_messagesSeen = 0;

    // Messages since the last call, each as "icon|title|text".
    QStringList takeMessages()
    {
        const QList<Prompt::Message> all = f.prompt.messages();
        QStringList result;
        for (int i = m_messagesSeen; i < all.size(); ++i)
            result.append(QStringLiteral("%1|%2|%3")
                              .arg(int(all.at(i).icon))
                              .arg(all.at(i).title, all.at(i).text));
        m_messagesSeen = int(all.size());
        return result;
    }
    static QString info(const QString &text, int row)
    {
        return QStringLiteral("1|Auto addressing|") + text.arg(row);
    }
    void execute() { f.button("AutoAddressing", "pbWrite")->click(); }
    // The chips' (address, opmode, pms) as "a/o/p".
    QStringList chips()
    {
        QStringList result;
        for (int k = 0; k < f.bus.chipCount(); ++k) {
            const FakeMatrixChip chip = f.bus.chip(k);
            result.append(
                QStringLiteral("%1/%2/%3").arg(chip.address).arg(chip.opmode).arg(chip.pms));
        }
        return result;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        BoardPageAccess::install(&page);
    }
    void cleanupTestCase() { BoardPageAccess::install(nullptr); }

    void init()
    {
        for (int k = 0; k < f.bus.chipCount(); ++k) // chips of earlier tests fall silent
            f.bus.editChip(k, [](FakeMatrixChip &chip) { chip.cspeed = 3; });
        f.takeFrames();
        takeMessages();
        page.calls.clear();
        f.prompt.onMessage = nullptr;
        Configuration::setSaconf(0);
        for (int output = 1; output <= 3; ++output)
            f.bus.setOutputOn(output, false);
    }

    void defaultTableAddressesTwoChips()
    {
        QCOMPARE(AddressingFixture::rows(f.table("AutoAddressing")),
                 QStringList({"1,80,1", "7,80,2"}));
        const int first = f.bus.chipCount();
        f.bus.addChip(0, 1, 1);
        f.bus.addChip(0, 1, 2);
        QSignalSpy spy(AutoAddressing::instance(), &AutoAddressing::setAddress);
        f.take();
        execute();
        QCOMPARE(f.takeFrames(),
                 Frames({"0>4:81", "0>5:8150", "1?6", "1>4:00", "1>13:01", "1>7:01", //
                         "1>4:81", "1>5:8750", "7?6", "7>4:00", "7>13:01"}));
        QCOMPARE(f.take().size(), 13); // eleven frames, two of them reads with their answers
        QCOMPARE(page.calls, QStringList({"buck1 off", "buck2 off", "buck1 on", "buck1 off",
                                          "buck2 on", "buck2 off"}));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0), QVariantList({1, 7}));
        QCOMPARE(chips().mid(first), QStringList({"1/4/1", "7/4/0"}));
        QVERIFY(takeMessages().isEmpty());
        QVERIFY(f.bus.violations().isEmpty());

        for (int click = 0; click < 2; ++click) {
            f.button("AddressDiscovery", "pbDiscover")->click();
            QCOMPARE(AddressingFixture::rows(f.table("AddressDiscovery")),
                     QStringList({"1,Repeater-Slave", "7,Slave"}));
        }
    }

    void chipsSharingAnOutputStopTheSequence()
    {
        f.bus.addChip(0, 1, 1);
        f.bus.addChip(0, 1, 1);
        AddressingFixture::setRows({"1,80,1", "7,80,2"});
        QSignalSpy spy(AutoAddressing::instance(), &AutoAddressing::setAddress);
        const int violations = int(f.bus.violations().size());
        execute();
        const Frames frames = f.takeFrames();
        // Both took address 1 and answer at once: no status arrives. Each of the 11 status
        // reads is tried twice.
        QCOMPARE(frames.count("1?6"), 11 * 2);
        QCOMPARE(frames.size(), 11 * 4);
        QCOMPARE(frames.mid(0, 4), Frames({"0>4:81", "0>5:8150", "1?6", "1?6"}));
        QCOMPARE(frames.last(), QString("1?6"));
        QCOMPARE(page.calls, QStringList({"buck1 off", "buck2 off", "buck1 on"}));
        QCOMPARE(takeMessages(), QStringList({"3|Auto addressing|" + Failed}));
        QCOMPARE(spy.size(), 0);
        QCOMPARE(f.bus.violations().size(), violations + 22); // collisions of both attempts
    }

    void emptyTableReportsNothingFound()
    {
        AddressingFixture::setRows({});
        QSignalSpy spy(AutoAddressing::instance(), &AutoAddressing::setAddress);
        f.take();
        execute();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0), QVariantList({-1, -1}));
        QVERIFY(f.take().isEmpty());
        QVERIFY(page.calls.isEmpty());
    }

    void invalidRowStopsBeforeAnyFrame_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QStringList>("before"); // the boxes before the warning
        QTest::newRow("address 32") << QString("32,80,1") << QStringList();
        QTest::newRow("negative threshold") << QString("5,-1,1") << QStringList();
        QTest::newRow("threshold 256") << QString("5,256,1") << QStringList();
        QTest::newRow("negative buck") << QString("5,80,-1") << QStringList({info(TurnOff, 2)});
    }
    void invalidRowStopsBeforeAnyFrame()
    {
        QFETCH(QString, row);
        QFETCH(QStringList, before);
        f.bus.addChip(0, 1, 1);
        AddressingFixture::setRows({"-1,80,1", row});
        QSignalSpy spy(AutoAddressing::instance(), &AutoAddressing::setAddress);
        execute();
        QCOMPARE(takeMessages(), before + QStringList({"2|AutoAddressing|" + CheckValues}));
        QVERIFY(f.takeFrames().isEmpty());
        QCOMPARE(spy.size(), 0);
    }

    void operatorSwitchesOtherOutputs()
    {
        f.bus.addChip(0, 1, 3);
        AddressingFixture::setRows({"-1,80,1", "5,80,3"});
        f.prompt.onMessage = [this](const Prompt::Message &msg) {
            f.bus.setOutputOn(3, msg.text == Enable.arg(2));
        };
        QSignalSpy spy(AutoAddressing::instance(), &AutoAddressing::setAddress);
        execute();
        QCOMPARE(page.calls, QStringList({"buck1 off"}));
        QCOMPARE(takeMessages(),
                 QStringList({info(TurnOff, 2), info(Enable, 2), info(Disable, 2)}));
        QCOMPARE(f.takeFrames(), Frames({"0>4:81", "0>5:8550", "5?6", "5>4:00", "5>13:01"}));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0), QVariantList({5, -1}));
        QCOMPARE(chips().last(), QString("5/4/0"));
    }

    void withoutBoardPageTheOperatorSwitchesBucks()
    {
        BoardPageAccess::install(nullptr);
        f.bus.addChip(0, 1, 2);
        AddressingFixture::setRows({"0,80,2"}); // address 0 is a real address
        f.prompt.onMessage = [this](const Prompt::Message &msg) {
            f.bus.setOutputOn(2, msg.text == Enable.arg(1));
        };
        QSignalSpy spy(AutoAddressing::instance(), &AutoAddressing::setAddress);
        execute();
        BoardPageAccess::install(&page);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0), QVariantList({0, -1}));
        QCOMPARE(takeMessages(),
                 QStringList({info(TurnOff, 1), info(Enable, 1), info(Disable, 1)}));
        QVERIFY(page.calls.isEmpty());
        QCOMPARE(chips().last(), QString("0/4/1"));
    }

    void rowsBeyond256AreAddressed()
    {
        f.bus.addChip(0, 1, 1);
        QStringList rows;
        for (int r = 0; r < 256; ++r)
            rows.append(QStringLiteral("-1,80,1"));
        rows.append(QStringLiteral("3,80,1"));
        AddressingFixture::setRows(rows);
        QSignalSpy spy(AutoAddressing::instance(), &AutoAddressing::setAddress);
        execute();
        QCOMPARE(page.calls.size(), 257 + 2);
        QCOMPARE(f.takeFrames(), Frames({"0>4:81", "0>5:8350", "3?6", "3>4:00", "3>13:01"}));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0), QVariantList({3, -1}));
        QCOMPARE(chips().last(), QString("3/4/0"));
    }
};

QTEST_MAIN(TestAutoAddressing)
#include "tst_autoaddressing.moc"
