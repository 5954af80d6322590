// Address discovery on the simulated matrix bus: which chips are listed, with which PXN mode,
// and what goes out on the bus for it.
#include "addressingfixture.h"

#include <QtTest>

class TestAddressDiscovery : public QObject
{
    Q_OBJECT

    AddressingFixture f;

    QStringList discover()
    {
        f.button("AddressDiscovery", "pbDiscover")->click();
        return AddressingFixture::rows(f.table("AddressDiscovery"));
    }
    void silenceChips()
    {
        for (int k = 0; k < f.bus.chipCount(); ++k)
            f.bus.editChip(k, [](FakeMatrixChip &chip) { chip.cspeed = 3; });
    }

private slots:
    void initTestCase() { QVERIFY(f.start()); }

    void init()
    {
        silenceChips();
        f.takeFrames();
        f.take();
    }
    void cleanup() { QVERIFY(f.bus.violations().isEmpty()); }

    void listsTheDefaultChips()
    {
        f.bus.addChip(1, 4, 1);
        f.bus.addChip(7, 4, 2);
        QCOMPARE(discover(), QStringList({"1,Slave", "7,Slave"}));
        // 30 silent addresses read twice, two chips read once, and their two mode reads;
        // each read is a frame and "get SER2DATA".
        QCOMPARE(f.take().size(), 128);
        const QStringList frames = f.takeFrames();
        QCOMPARE(frames.count("1?8") + frames.count("7?8"), 2);
        QCOMPARE(frames.first(), QString("0?0"));
        QCOMPARE(frames.last(), QString("31?0"));
    }

    void emptyBusListsNothing()
    {
        QCOMPARE(discover(), QStringList());
        const QStringList frames = f.takeFrames();
        QCOMPARE(frames.size(), 64);
        QCOMPARE(frames.filter("?0").size(), 64); // identification only, no mode read
    }

    void identificationAndMode_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("device");
        QTest::addColumn<int>("analogue");
        QTest::addColumn<int>("digital");
        QTest::addColumn<int>("pms");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("slave at 0") << 0 << 1 << 35 << 1 << 0 << QStringList({"0,Slave"});
        QTest::newRow("repeater at 31")
            << 31 << 1 << 35 << 1 << 1 << QStringList({"31,Repeater-Slave"});
        QTest::newRow("ANA_ID 34") << 5 << 1 << 34 << 1 << 0 << QStringList();
        QTest::newRow("DIG_ID 2") << 5 << 1 << 35 << 2 << 0 << QStringList();
        QTest::newRow("DEV_ID 2") << 5 << 2 << 35 << 1 << 0 << QStringList();
    }
    void identificationAndMode()
    {
        QFETCH(int, address);
        QFETCH(int, device);
        QFETCH(int, analogue);
        QFETCH(int, digital);
        QFETCH(int, pms);
        QFETCH(QStringList, rows);
        const int k = f.bus.addChip(address, 4, 1);
        f.bus.editChip(k, [&](FakeMatrixChip &chip) {
            chip.ident = {{quint8(device), quint8(analogue), quint8(digital)}};
            chip.pms = pms;
        });
        QCOMPARE(discover(), rows);
        QCOMPARE(f.takeFrames().filter("?8").size(), rows.size());
    }

    void secondScanReplacesTheRows()
    {
        f.bus.addChip(3, 4, 1);
        const int k = f.bus.addChip(9, 4, 2);
        QCOMPARE(discover(), QStringList({"3,Slave", "9,Slave"}));
        f.bus.editChip(k, [](FakeMatrixChip &chip) { chip.cspeed = 3; });
        QCOMPARE(discover(), QStringList({"3,Slave"}));
    }
};

QTEST_MAIN(TestAddressDiscovery)
#include "tst_addressdiscovery.moc"
