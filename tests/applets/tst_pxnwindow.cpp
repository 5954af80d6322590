// The raw-frame window in the running application, on a simulated board with chips at 1 and
// 7: its form and bindings, the data length by length code and bank layout, the enabled data
// edits, the PID bytes, and raw frames written to and read from a chip with the CRC check.
#include "fakematrixbus.h"
#include "pxnappfixture.h"
#include "pxnregisters.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

class TestPxnWindow : public QObject
{
    Q_OBJECT

    PxnAppFixture f;
    int m_violations = 0; // the ones tests provoked on purpose

    bool setItem(const QString &name, QVariant value) { return f.setItem("Pxn." + name, value); }
    quint32 item(const QString &name) { return f.item("Pxn." + name); }
    template <typename T> T *child(const QString &name) const
    {
        return f.pxn()->findChild<T *>(name);
    }
    // Which of a group's twelve data edits are enabled, as "1" and "0" from DATA1 on.
    QString enabledEdits(const char *frame) const
    {
        QString pattern;
        for (int i = 1; i <= 12; ++i)
            pattern += child<QLineEdit>(QStringLiteral("le%1_D%2").arg(frame).arg(i))->isEnabled()
                           ? QLatin1Char('1')
                           : QLatin1Char('0');
        return pattern;
    }
    static QString firstOf(int k) { return QString(k, '1') + QString(12 - k, '0'); }
    void setFrame(const char *frame, int sa, int ft, int rba, int bc)
    {
        const QString name = QString::fromLatin1(frame);
        QVERIFY(setItem(name + "[SA]", sa));
        QVERIFY(setItem(name + "[FT]", ft));
        QVERIFY(setItem(name + "[RBA]", rba));
        QVERIFY(setItem(name + "[BC]", bc));
    }
    QByteArray lastFrame() const { return f.bus.frames().last().second; }
    void click(const char *button)
    {
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        QVERIFY(f.pxn());
        QCOMPARE(f.pxn()->objectName(), QString("Pxn"));
    }

    void init()
    {
        f.take();
        f.pxn()->crcCheckBox()->setChecked(true);
        setFrame("W_BANK", 0, 1, 0, 0);
        setFrame("R_BANK", 0, 0, 0, 0);
        QVERIFY(setItem("Bank_layout", 0));
        f.take();
    }

    void cleanup() { QCOMPARE(f.bus.violations().size(), m_violations); }

    // Each command's help entry appears when it is compared; names match whole and by case.
    void commandsAndHelp()
    {
        QCOMPARE(f.pxn()->run("Write_raw_data", QVariant(5)), QVariant(true));
        QCOMPARE(f.pxn()->functionNames(), QStringList{"Write_raw_data"});
        f.take();
        QCOMPARE(f.pxn()->run("read_raw_data", QVariant()), QVariant(false));
        QCOMPARE(f.pxn()->functionNames(), (QStringList{"Read_raw_data", "Write_raw_data"}));
        QCOMPARE(f.pxn()->run("Read_raw_data ", QVariant()), QVariant(false));
        QCOMPARE(f.take(), QList<QByteArray>());
    }

    void form()
    {
        QStringList expected{"Bank_layout", "Write_raw_data", "Read_raw_data"};
        for (const char *frame : {"W_BANK", "R_BANK"}) {
            for (const char *field : {"SA", "BC", "RBA"})
                expected << QStringLiteral("%1[%2]").arg(frame, field);
            for (int i = 1; i <= 12; ++i)
                expected << QStringLiteral("%1[DATA%2]").arg(frame).arg(i);
        }
        QStringList names = f.pxn()->controlNames();
        names.sort();
        expected.sort();
        QCOMPARE(names, expected);

        const auto *layout = child<QComboBox>("comboBox_Layout");
        QCOMPARE(layout->count(), 3);
        QCOMPARE(layout->itemText(0), QString("3x8bit"));
        QCOMPARE(layout->itemText(1), QString("2x8bit"));
        QCOMPARE(layout->itemText(2), QString("1x8bit"));
        QCOMPARE(child<QTabWidget>("tabWidget")->tabText(0), QString("PXN raw data"));
        QCOMPARE(child<QPushButton>("btWriteEEPROM_8")->text(), QString("Write frame"));
        QCOMPARE(child<QPushButton>("btWriteEEPROM_8")->accessibleName(),
                 QString("Write_raw_data()"));
        QCOMPARE(child<QPushButton>("btReadEEPROM_3")->text(), QString("Read frame"));
        QCOMPARE(child<QPushButton>("btReadEEPROM_3")->accessibleName(),
                 QString("Read_raw_data()"));
        QVERIFY(f.pxn()->crcCheckBox()->isChecked());
        QVERIFY(f.pxn()->windowTitle().endsWith("Pxn frame control"));
    }

    // Choosing an item writes its index into Bank_layout.
    void layoutComboWritesIndex()
    {
        auto *layout = child<QComboBox>("comboBox_Layout");
        layout->setCurrentIndex(2);
        emit layout->activated(2);
        QCOMPARE(item("Bank_layout"), 2u);
        QCOMPARE(enabledEdits("W_BANK"), firstOf(1));
    }

    // For every length code and layout the written frame carries exactly the enabled edits'
    // bytes, and the read group enables as many.
    void dataLength_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("bc");
        QTest::addColumn<int>("length");
        const int lengths[3][4] = {{3, 6, 9, 12}, {2, 4, 8, 10}, {1, 5, 7, 11}};
        for (int layout = 0; layout < 3; ++layout)
            for (int bc = 0; bc < 4; ++bc)
                QTest::addRow("layout %d BC %d", layout, bc) << layout << bc << lengths[layout][bc];
    }
    void dataLength()
    {
        QFETCH(int, layout);
        QFETCH(int, bc);
        QFETCH(int, length);
        QCOMPARE(Pxn::dataLength(bc, layout), length);
        QByteArray bytes;
        for (int i = 1; i <= 12; ++i) {
            QVERIFY(setItem(QStringLiteral("W_BANK[DATA%1]").arg(i), 0x10 + i));
            bytes.append(char(0x10 + i));
        }
        QVERIFY(setItem("Bank_layout", layout));
        QVERIFY(setItem("W_BANK[BC]", bc));
        QVERIFY(setItem("R_BANK[BC]", bc));
        QCOMPARE(enabledEdits("W_BANK"), firstOf(length));
        QCOMPARE(enabledEdits("R_BANK"), firstOf(length));

        QCOMPARE(f.pxn()->run("Write_raw_data", QVariant()), QVariant(true));
        QCOMPARE(lastFrame().mid(3, lastFrame().size() - 4).toHex(), bytes.left(length).toHex());
        // The chips take whole 3-byte groups only.
        if (length % 3 != 0)
            ++m_violations;
    }

    // A layout equal to the recorded one re-evaluates nothing; a new one both groups at once.
    void layoutReselection()
    {
        QVERIFY(setItem("Bank_layout", 1));
        QCOMPARE(enabledEdits("W_BANK"), firstOf(2));
        child<QLineEdit>("leW_BANK_D12")->setEnabled(true);
        QVERIFY(f.pxn()->updateItem(0, "Bank_layout"));
        QCOMPARE(enabledEdits("W_BANK"), QString("110000000001"));
        QVERIFY(child<QLineEdit>("leW_BANK_D12")->isEnabled());
        QVERIFY(setItem("Bank_layout", 2));
        QCOMPARE(enabledEdits("W_BANK"), firstOf(1));
        QCOMPARE(enabledEdits("R_BANK"), firstOf(1));
    }

    // A fractional layout from outside counts as its integer part.
    void fractionalLayout()
    {
        QVERIFY(setItem("Bank_layout", 1.5));
        QVERIFY(setItem("W_BANK[BC]", 1));
        QCOMPARE(enabledEdits("W_BANK"), firstOf(4));
        QCOMPARE(enabledEdits("R_BANK"), firstOf(2));
        QVERIFY(!setItem("Bank_layout", 3));
        QVariant layout;
        QVERIFY(f.app->get("Pxn.Bank_layout", &layout));
        QCOMPARE(layout.toDouble(), 1.5);
    }

    // Connecting again re-applies the rule to both groups.
    void reconnectReappliesRule()
    {
        QVERIFY(setItem("W_BANK[BC]", 2));
        child<QLineEdit>("leW_BANK_D12")->setEnabled(true);
        child<QLineEdit>("leR_BANK_D1")->setEnabled(false);
        const qsizetype frames = f.bus.frames().size();
        QVERIFY(f.connectTo(f.board));
        QCOMPARE(enabledEdits("W_BANK"), firstOf(9));
        QCOMPARE(enabledEdits("R_BANK"), firstOf(3));
        QCOMPARE(f.bus.frames().size(), frames);
    }

    void pidBytes_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("sa");
        QTest::addColumn<int>("ft");
        QTest::addColumn<int>("rba");
        QTest::addColumn<int>("bc");
        QTest::addColumn<int>("pid1");
        QTest::addColumn<int>("pid2");
        QTest::newRow("SA 0 FT 1") << QByteArray("W_BANK") << 0 << 1 << 0 << 0 << 0x20 << 0x80;
        QTest::newRow("SA 3 FT 1") << QByteArray("W_BANK") << 3 << 1 << 0 << 0 << 0x23 << 0x80;
        QTest::newRow("RBA 5 BC 2") << QByteArray("W_BANK") << 0 << 1 << 5 << 2 << 0x20 << 0x45;
        QTest::newRow("SA 1 FT 0") << QByteArray("R_BANK") << 1 << 0 << 0 << 0 << 0x01 << 0x80;
        QTest::newRow("SA 0 FT 0") << QByteArray("R_BANK") << 0 << 0 << 0 << 0 << 0x80 << 0x80;
    }
    void pidBytes()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, sa);
        QFETCH(int, ft);
        QFETCH(int, rba);
        QFETCH(int, bc);
        QFETCH(int, pid1);
        QFETCH(int, pid2);
        setFrame(frame.constData(), sa, ft, rba, bc);
        const bool write = frame == "W_BANK";
        f.pxn()->run(write ? "Write_raw_data" : "Read_raw_data", QVariant());
        QCOMPARE(quint8(lastFrame().at(1)), quint8(pid1));
        QCOMPARE(quint8(lastFrame().at(2)), quint8(pid2));
        QCOMPARE(item(frame + "[P1]"), quint32(pid1 >> 7));
        QCOMPARE(item(frame + "[P2]"), quint32(pid2 >> 7));
        QCOMPARE(f.bus.frames().last().first, write ? Pxn::FirstLead : Pxn::RepeatLead);
    }

    // The buttons write DATA1..3 to word 2 of chip 7 and read them back into R_BANK.
    void rawFramesEndToEnd()
    {
        setFrame("W_BANK", 7, 1, 2, 0);
        const quint8 bytes[3] = {0x12, 0x34, 0x56};
        for (int i = 0; i < 3; ++i)
            QVERIFY(setItem(QStringLiteral("W_BANK[DATA%1]").arg(i + 1), bytes[i]));
        f.take();
        click("btWriteEEPROM_8");
        const QByteArray written = QByteArray::fromHex("a702123456");
        const QByteArray crc(1, char(FakeMatrixBus::crc8(written)));
        QCOMPARE(f.take(), QList<QByteArray>{"set SER2PXNDATA=0e0755" + (written + crc).toHex()});
        QCOMPARE(f.bus.chip(1).word(2), 0x563412u);

        setFrame("R_BANK", 7, 0, 2, 0);
        f.take();
        click("btReadEEPROM_3");
        QCOMPARE(f.take(), (QList<QByteArray>{"set SER2PXNDATA=1c03550702", "get SER2DATA"}));
        for (int i = 0; i < 3; ++i) {
            const QString field = QStringLiteral("R_BANK[DATA%1]").arg(i + 1);
            QCOMPARE(item(field), quint32(bytes[i]));
            QCOMPARE(child<QLineEdit>(QStringLiteral("leR_BANK_D%1").arg(i + 1))->text(),
                     QString::number(bytes[i]));
        }
    }

    // No chip at the address: false, R_BANK as it was.
    void readOfMissingAddress()
    {
        setFrame("R_BANK", 5, 0, 2, 0);
        QVERIFY(setItem("R_BANK[DATA1]", 0xAB));
        QVERIFY(setItem("R_BANK[DATA2]", 0));
        QVERIFY(setItem("R_BANK[DATA3]", 0xCD));
        QVariant args;
        QVariant result;
        QVERIFY(f.app->run("Pxn.Read_raw_data", args, &result));
        QCOMPARE(result, QVariant(false));
        QCOMPARE(item("R_BANK[DATA1]"), 0xABu);
        QCOMPARE(item("R_BANK[DATA2]"), 0u);
        QCOMPARE(item("R_BANK[DATA3]"), 0xCDu);
        QCOMPARE(child<QLineEdit>("leR_BANK_D1")->text(), QString("171"));
    }

    // A wrong answer CRC is reported once for the window's button, silently through the
    // pipe, and not at all with the check cleared.
    void crcCheck()
    {
        f.bus.editChip(1, [](FakeMatrixChip &chip) { chip.words[4] = 0x0A0B0C; });
        setFrame("R_BANK", 7, 0, 4, 0);
        QVERIFY(setItem("R_BANK[DATA1]", 0));
        const QByteArray covered = QByteArray::fromHex("07040c0b0a");
        const int computed = FakeMatrixBus::crc8(covered);
        const int before = int(f.prompt.messages().size());

        f.bus.injectFault(FakeMatrixBus::CrcPlusOne);
        click("btReadEEPROM_3");
        const QList<Prompt::Message> messages = f.prompt.messages().mid(before);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.at(0).text, QStringLiteral("CRC failed! CRC value is %1 and calculate "
                                                     "is %2.")
                                          .arg((computed + 1) & 0xFF)
                                          .arg(computed));
        QCOMPARE(item("R_BANK[DATA1]"), 0u);

        f.bus.injectFault(FakeMatrixBus::CrcPlusOne);
        QVariant args;
        QVariant result;
        QVERIFY(f.app->run("Pxn.Read_raw_data", args, &result));
        QCOMPARE(result, QVariant(false));
        QCOMPARE(f.prompt.messages().size(), before + 1);

        f.pxn()->crcCheckBox()->setChecked(false);
        f.bus.injectFault(FakeMatrixBus::CrcPlusOne);
        click("btReadEEPROM_3");
        QCOMPARE(f.prompt.messages().size(), before + 1);
        QCOMPARE(item("R_BANK[DATA1]"), 0x0Cu);
        QCOMPARE(item("R_BANK[DATA3]"), 0x0Au);
    }
};

QTEST_MAIN(TestPxnWindow)
#include "tst_pxnwindow.moc"
