// The device groups' actions end to end: the configuration applet sends the frames to the
// simulated chips at 1 and 7, and the groups show what the chips answer.
#include "boardmatrixfixture.h"
#include "configurationregisters.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QtTest>

class TestBoardDevices : public QObject
{
    Q_OBJECT

    BoardMatrixFixture f;

    QPushButton *button(const QString &objectName)
    {
        return f.page()->findChild<QPushButton *>(objectName);
    }
    // The OPMODE (0) or PXN Mode (1) combo of device d.
    QComboBox *combo(int d, int which)
    {
        QWidget *group = f.addressEdit(d)->parentWidget();
        const QString name = which == 0 ? QStringLiteral("OPMODE") : QStringLiteral("PXNMODE");
        for (QComboBox *c : group->findChildren<QComboBox *>()) {
            if (c->accessibleName() == name)
                return c;
        }
        return nullptr;
    }
    void setAddresses(const QString &first, const QString &second)
    {
        f.addressEdit(0)->setText(first);
        f.addressEdit(1)->setText(second);
    }
    void setChipModes(int opmode)
    {
        for (int k = 0; k < 2; ++k)
            f.bus.editChip(k, [opmode](FakeMatrixChip &chip) { chip.opmode = opmode; });
    }
    static int saconf() { return int(configurationRegisters().SACONF.value()); }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        f.load(2, BoardMatrixFixture::numberedRows(24, 12));
        QVERIFY(f.addressEdit(1));
    }
    void init()
    {
        setAddresses("1", "7");
        setChipModes(2);
        f.take();
    }

    void normalModeOfTheSecondGroup()
    {
        button("NORMAL1")->click();
        QVERIFY(f.take().contains("set SER2PXNDATA=0e0555670d01a4"));
        QCOMPARE(f.bus.chip(1).opmode, 4);
        QCOMPARE(f.bus.chip(0).opmode, 2);
        QCOMPARE(saconf(), 7);
        button("NORMAL0")->click();
        QCOMPARE(f.bus.chip(0).opmode, 4);
        QCOMPARE(saconf(), 1);
    }

    void readModesIntoTheGroup()
    {
        f.bus.editChip(1, [](FakeMatrixChip &chip) {
            chip.opmode = 5;
            chip.pms = 1;
        });
        button("OPMODE1")->click();
        QCOMPARE(combo(1, 0)->currentIndex(), 5);
        QCOMPARE(combo(1, 1)->currentIndex(), 1);
        QCOMPARE(combo(0, 0)->currentIndex(), 0); // the first group is left alone
        button("OPMODE0")->click();
        QCOMPARE(combo(0, 0)->currentIndex(), 2);
        QCOMPARE(combo(0, 1)->currentIndex(), 0);
    }

    // The status hint follows each read.
    void hintFollowsTheRead()
    {
        auto *hint = f.widget<QLineEdit>("leInfoBox");
        f.widget<QCheckBox>("cbBUCK1EN")->setChecked(true);
        f.widget<QCheckBox>("cbBySW")->setChecked(false);
        setChipModes(0);
        button("OPMODE0")->click();
        QCOMPARE(hint->text(), QStringLiteral(" At least one device is not valid (OPMODE);"));
        setChipModes(4);
        button("OPMODE0")->click();
        button("OPMODE1")->click();
        QCOMPARE(hint->text(), QString());
    }

    // A read that fails leaves its combo as it was.
    void failedReadKeepsTheCombo()
    {
        f.bus.editChip(1, [](FakeMatrixChip &chip) { chip.opmode = 5; });
        button("OPMODE1")->click();
        QCOMPARE(combo(1, 0)->currentIndex(), 5);
        // No chip answers at 7 now.
        f.bus.editChip(1, [](FakeMatrixChip &chip) { chip.address = 9; });
        button("OPMODE1")->click();
        f.bus.editChip(1, [](FakeMatrixChip &chip) { chip.address = 7; });
        QCOMPARE(combo(1, 0)->currentIndex(), 5);
    }

    // No address, or one the configuration applet does not take: nothing is sent.
    void unsetAddressSendsNothing_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("-1") << "-1";
        QTest::newRow("empty") << "";
        QTest::newRow("too large") << "40";
    }
    void unsetAddressSendsNothing()
    {
        QFETCH(QString, address);
        Configuration::setSaconf(3);
        setAddresses("1", address);
        const int before = combo(1, 0)->currentIndex();
        for (const char *name : {"NORMAL1", "OPMODE1"})
            button(name)->click();
        QCOMPARE(f.take(), QList<QByteArray>{});
        QCOMPARE(f.bus.chip(1).opmode, 2);
        QCOMPARE(combo(1, 0)->currentIndex(), before);
        QCOMPARE(saconf(), 3);
    }

    // A call that no device group's button made names no device.
    void callWithoutAGroupSendsNothing()
    {
        Configuration::setSaconf(3);
        f.page()->goToNormalMode();
        f.page()->readMode();
        QCOMPARE(f.take(), QList<QByteArray>{});
        QCOMPARE(f.bus.chip(0).opmode, 2);
        QCOMPARE(saconf(), 3);
    }

    // The configuration applet is shown for the group's address; a second click keeps it.
    void configurationButton()
    {
        Configuration *configuration = Configuration::instance();
        configuration->hideWindow();
        QList<QPushButton *> buttons;
        for (QPushButton *b : f.addressEdit(1)->parentWidget()->findChildren<QPushButton *>()) {
            if (b->text() == QLatin1String("Configuration"))
                buttons.append(b);
        }
        QCOMPARE(buttons.size(), 1);
        for (int click = 0; click < 2; ++click) {
            buttons.first()->click();
            QCOMPARE(saconf(), 7);
            QVERIFY(configuration->action()->isChecked());
            QVERIFY(configuration->container()->isVisible());
        }
        setAddresses("1", "-1");
        configuration->hideWindow();
        buttons.first()->click();
        QVERIFY(!configuration->container()->isVisible());
    }

    void addressesFromAutoAddressing()
    {
        f.page()->getAddress(5, 9);
        QCOMPARE(f.addressEdit(0)->text(), QStringLiteral("5"));
        QCOMPARE(f.addressEdit(1)->text(), QStringLiteral("9"));
        f.load(1, BoardMatrixFixture::numberedRows(12, 12));
        f.page()->getAddress(11, 12);
        QCOMPARE(f.addressEdit(0)->text(), QStringLiteral("11"));
        QVERIFY(!f.addressEdit(1));
        f.load(2, BoardMatrixFixture::numberedRows(24, 12));
    }
};

QTEST_MAIN(TestBoardDevices)
#include "tst_boarddevices.moc"
