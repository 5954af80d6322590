// One pixel duty written and read through the page's DCREG binding.
#include "boardappfixture.h"
#include "boardglobals.h"

class TestBoardDutyField : public QObject
{
    Q_OBJECT

    BoardAppFixture f;

private slots:
    void initTestCase() { QVERIFY(f.start()); }
    void init() { boardGlobals().DCREG.fill(0); }

    // Values above 1023 are clamped; a switch without a field (36 and up, and every number
    // clamped to 144) fails and leaves every duty as it was.
    void write_data()
    {
        QTest::addColumn<int>("sw");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("stored");
        QTest::newRow("switch 1") << 1 << 500 << true << 500;
        QTest::newRow("switch 0") << 0 << 7 << true << 7;
        QTest::newRow("last field") << 35 << 1023 << true << 1023;
        QTest::newRow("1024 clamped") << 5 << 1024 << true << 1023;
        QTest::newRow("65535 clamped") << 12 << 65535 << true << 1023;
        QTest::newRow("no field 36") << 36 << 9 << false << 0;
        QTest::newRow("no field 144") << 144 << 9 << false << 0;
        QTest::newRow("no field 255") << 255 << 9 << false << 0;
    }
    void write()
    {
        QFETCH(int, sw);
        QFETCH(int, value);
        Register &dc = boardGlobals().DCREG;
        const QByteArray before = dc.toBitString();
        QTEST(f.page()->setDcRegister(quint8(sw), quint16(value)), "ok");
        QFETCH(int, stored);
        QCOMPARE(f.page()->dcRegister(quint8(sw)), quint16(stored));
        if (sw <= 35) {
            QCOMPARE(dc.getField(QStringLiteral("DCREG[SW%1]").arg(sw)), quint32(stored));
            dc.setField(QStringLiteral("DCREG[SW%1]").arg(sw), 0);
        }
        QCOMPARE(dc.toBitString(), before);
        // The page's own writes never reach the board by themselves.
        QVERIFY(f.take().isEmpty());
    }

    // Neighbouring fields keep their duties.
    void neighbours()
    {
        Board *page = f.page();
        QVERIFY(page->setDcRegister(3, 1000));
        QVERIFY(page->setDcRegister(4, 1));
        QVERIFY(page->setDcRegister(2, 513));
        QCOMPARE(page->dcRegister(2), quint16(513));
        QCOMPARE(page->dcRegister(3), quint16(1000));
        QCOMPARE(page->dcRegister(4), quint16(1));
        QCOMPARE(page->dcRegister(5), quint16(0));
    }
};

QTEST_MAIN(TestBoardDutyField)
#include "tst_boarddutyfield.moc"
