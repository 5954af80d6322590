// The board page's commands that address the device rows of a loaded matrix: broadcast map
// frames to every row's chip, and the rows' operating-mode read and normal-mode change.
#include "boardcommandsfixture.h"
#include "logrecorder.h"
#include "testfiles.h"

#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

class TestBoardRowCommands : public QObject
{
    Q_OBJECT

    BoardCommandsFixture f;

    // A matrix of devices x 12 switches, one row per device; the rows' addresses read 1, 2.
    void load(int devices)
    {
        QByteArray text = "NumberOfDevices " + QByteArray::number(devices) +
                          "\nPixelsPerDevice 12\nNumberOfRows " + QByteArray::number(devices) +
                          "\nNumberOfCols 12\n";
        for (int d = 0; d < devices; ++d) {
            QByteArrayList numbers;
            for (int n = 1; n <= 12; ++n)
                numbers.append(QByteArray::number(12 * d + n));
            text += numbers.join(' ') + "\n";
        }
        QVERIFY(TestFiles::write(QStringLiteral("matrix.txt"), text));
        f.page()->loadConfiguration(QStringLiteral("matrix.txt"));
        QCOMPARE(f.page()->deviceAddressTexts().size(), devices);
    }
    QLineEdit *addressEdit(int row)
    {
        return f.widget<QLineEdit>(qPrintable(QString("leSA%1").arg(row)));
    }
    QComboBox *opmodeCombo(int row)
    {
        for (QComboBox *combo : f.page()->findChildren<QComboBox *>())
            if (combo->accessibleName() == "OPMODE" &&
                combo->parentWidget() == addressEdit(row)->parentWidget())
                return combo;
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        load(2);
        QCOMPARE(f.page()->deviceAddressTexts(), (QStringList{"1", "2"}));
        f.setPage("BANK[MAPENA]", 1);
        f.setPage("BANK[SERVICE]", 0);
    }
    void init()
    {
        f.setPage("BROADCAST", 1);
        f.take();
    }
    void cleanup() { QCOMPARE(f.bus.violations(), QStringList()); }

    // With BROADCAST 1 every row's chip gets the frames, in row order.
    void broadcastFrames()
    {
        f.setPage("BANK[21:0]", 0x0ABCDE);
        f.run("Write_REG_13");
        QCOMPARE(f.take("set P110MAPENA"),
                 (QList<QByteArray>{"set P110MAPENAREG=01010155618f012f",
                                    "set P110MAPENAREG=02010155628f01a2"}));
        QCOMPARE(f.run("Write_REG_0"), QVariant(true));
        const QList<QByteArray> lines = f.take("set P110MAPENA");
        QCOMPARE(lines.size(), 2); // both chips known enabled: no controller map enable
        QVERIFY(lines[0].startsWith("set P110MAPENAREG=010100"));
        QVERIFY(lines[1].startsWith("set P110MAPENAREG=020100"));
        QCOMPARE(f.bus.chip(0).word(0), 0x0ABCDEu);
        QCOMPARE(f.bus.chip(1).word(0), 0x0ABCDEu);
    }

    // A row without a device (-1, read as 255) is left out with a warning.
    void rowWithoutDevice()
    {
        LogRecorder log(f.page());
        addressEdit(0)->setText("-1");
        QCOMPARE(f.run("Write_REG_0"), QVariant(true));
        addressEdit(0)->setText("1");
        const QList<QByteArray> lines = f.take("set P110MAPENA");
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines[0].startsWith("set P110MAPENAREG=020100"));
        const auto warnings = log.starting("Address 255 is outside 0..31");
        QCOMPARE(warnings.size(), 1);
        QCOMPARE(warnings.first().first, 1);
    }

    // The chip's mode code selects the combo item of its row.
    void operatingMode_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("mode");
        QTest::newRow("row 0") << 0 << 6;
        QTest::newRow("row 1") << 1 << 3;
    }
    void operatingMode()
    {
        QFETCH(int, row);
        QFETCH(int, mode);
        f.bus.editChip(row, [mode](FakeMatrixChip &chip) { chip.opmode = mode; });
        QCOMPARE(f.run(QString("OPMODE%1").arg(row)), QVariant(false));
        QVERIFY(opmodeCombo(row));
        QCOMPARE(opmodeCombo(row)->currentIndex(), mode);
        f.bus.editChip(row, [](FakeMatrixChip &chip) { chip.opmode = 4; });
    }

    void normalMode_data()
    {
        QTest::addColumn<int>("row");
        QTest::newRow("row 0") << 0;
        QTest::newRow("row 1") << 1;
    }
    void normalMode()
    {
        QFETCH(int, row);
        f.bus.editChip(row, [](FakeMatrixChip &chip) { chip.opmode = 1; });
        QCOMPARE(f.run(QString("NORMAL%1").arg(row)), QVariant(false));
        QCOMPARE(f.bus.chip(row).opmode, 4);
        QCOMPARE(f.bus.chip(1 - row).opmode, 4);
    }

    // No address, or no second row: nothing is sent.
    void rowCommandsRefused_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("devices");
        QTest::addColumn<QString>("address");
        QTest::newRow("OPMODE0 at -1") << "OPMODE0" << 2 << "-1";
        QTest::newRow("NORMAL0 at -1") << "NORMAL0" << 2 << "-1";
        QTest::newRow("OPMODE1 one row") << "OPMODE1" << 1 << "1";
        QTest::newRow("NORMAL1 one row") << "NORMAL1" << 1 << "1";
    }
    void rowCommandsRefused()
    {
        QFETCH(QString, command);
        QFETCH(int, devices);
        QFETCH(QString, address);
        load(devices);
        addressEdit(0)->setText(address);
        f.take();
        QCOMPARE(f.run(command), QVariant(false));
        QTest::qWait(30);
        QCOMPARE(f.take(), QList<QByteArray>());
        addressEdit(0)->setText("1");
        load(2);
    }
};

QTEST_MAIN(TestBoardRowCommands)
#include "tst_boardrowcommands.moc"
