// The bank path of live sending: each device row's duties become the phase windows of its
// twelve channels in BANKX, written in three frames; the send timer picks the path by port.
#include "livesendfixture.h"

#include <QLabel>
#include <QtTest>

namespace
{

// ON and OFF of channel n (1..12) at duty 512 in mode 0: staggered by 82 from 24.
quint32 halfOn(int n)
{
    return quint32(24 + 82 * (n - 1));
}
quint32 halfOff(int n)
{
    return (halfOn(n) + 511) % 1024;
}

} // namespace

class TestBoardLivesend : public QObject
{
    Q_OBJECT

    LiveSendFixture f;
    Board *page = nullptr;

    void setBroadcast(int value)
    {
        QVERIFY(page->set(QStringLiteral("BROADCAST"), value, Variable::InternalKey));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        page = f.page();
        QVERIFY(page);
    }
    void init()
    {
        QVERIFY(f.useBoard());
        setBroadcast(0);
        LiveSendProbe::dimFreq(page).fill(0);
        f.widget<QAbstractButton>("cbAutoupdate")->setChecked(false);
    }

    // Duties 512 on the mock-up port: the windows of mode 0, TR n - 1, SA the row's address.
    void windows_data()
    {
        QTest::addColumn<int>("dimFreq");
        QTest::addColumn<quint32>("on1");
        QTest::newRow("mode 0") << 0 << 24u;
        QTest::newRow("mode 20") << 20 << 192u;
        QTest::newRow("code 25 as 0") << 25 << 24u;
        QTest::newRow("code 40 as 0") << 40 << 24u;
    }
    void windows()
    {
        QVERIFY(f.useMockup());
        QFETCH(int, dimFreq);
        LiveSendProbe::dimFreq(page)[1] = 7;
        LiveSendProbe::dimFreq(page)[2] = dimFreq;
        LiveSendProbe::setMatrix(page, 1, {}, 0, QVector<int>(24, 512));
        LiveSendProbe::sendDeviceRow(page, 1, 2);
        QCOMPARE(boardGlobals().SA.value(), 2.0);
        QTEST(LiveSendFixture::bankX("ON1"), "on1");
        if (dimFreq == 0) {
            for (int n = 1; n <= 12; ++n) {
                QCOMPARE(LiveSendFixture::bankX(QStringLiteral("ON%1").arg(n)), halfOn(n));
                QCOMPARE(LiveSendFixture::bankX(QStringLiteral("OFF%1").arg(n)), halfOff(n));
            }
            QCOMPARE(LiveSendFixture::bankX("OFF12"), 413u);
        }
        for (int n = 1; n <= 12; ++n)
            QCOMPARE(LiveSendFixture::bankX(QStringLiteral("TR%1").arg(n)), quint32(n - 1));
    }

    // Duties come from the row's own twelve entries; missing ones count 0, clamped ones are
    // written back, and the vector keeps its size.
    void rowDuties()
    {
        QVERIFY(f.useMockup());
        QVector<int> duties(12, 0);
        duties.append({1500, 1023, 512});
        LiveSendProbe::setMatrix(page, 2, {}, 0, duties);
        LiveSendProbe::sendDeviceRow(page, 1, 3);
        QCOMPARE(LiveSendFixture::bankX("ON1"), LiveSendFixture::bankX("OFF1"));
        QCOMPARE(LiveSendFixture::bankX("ON2"), LiveSendFixture::bankX("OFF2"));
        QCOMPARE(LiveSendFixture::bankX("ON3"), halfOn(3));
        QCOMPARE(LiveSendFixture::bankX("ON4"), 0u);
        QCOMPARE(LiveSendFixture::bankX("OFF12"), 1023u);
        QCOMPARE(LiveSendProbe::duties(page).size(), 15);
        QCOMPARE(LiveSendProbe::duties(page).at(12), 1023);
    }

    // Rows without a device (-1) or with an address outside 0..31 send nothing; 0 and 31
    // are sent.
    void rowAddresses_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("warnings");
        QTest::addColumn<double>("sa");
        QTest::newRow("-1") << -1 << 0 << 5.0;
        QTest::newRow("32") << 32 << 1 << 5.0;
        QTest::newRow("-7") << -7 << 1 << 5.0;
        QTest::newRow("0") << 0 << 0 << 0.0;
        QTest::newRow("31") << 31 << 0 << 31.0;
    }
    void rowAddresses()
    {
        QFETCH(int, address);
        QVERIFY(page->set(QStringLiteral("SA"), 5, Variable::InternalKey));
        LiveSendProbe::setMatrix(page, 1, {}, 0, QVector<int>(12, 512));
        QSignalSpy log(page, &Applet::signal_log);
        LiveSendProbe::sendDeviceRow(page, 0, address);
        QFETCH(double, sa);
        QCOMPARE(f.take().size(), sa == 5.0 ? 0 : 3);
        QCOMPARE(boardGlobals().SA.value(), sa);
        QTEST(int(log.size()), "warnings");
    }

    // Over the simulator the twelve words go out as three frames of four, broadcast (type 2)
    // or addressed (type 1), and land in the chip's bank.
    void frames_data()
    {
        QTest::addColumn<int>("broadcast");
        QTest::addColumn<QByteArray>("head");
        QTest::newRow("broadcast") << 1 << QByteArray("set SER2PXNDATA=0e1055c16170");
        QTest::newRow("addressed") << 0 << QByteArray("set SER2PXNDATA=0e1055a16170");
    }
    void frames()
    {
        QFETCH(int, broadcast);
        setBroadcast(broadcast);
        for (int chip = 0; chip < 2; ++chip)
            f.bus.editChip(chip, [](FakeMatrixChip &c) { c.words.fill(0); });
        LiveSendProbe::setMatrix(page, 1, {}, 0, QVector<int>(12, 512));
        LiveSendProbe::sendDeviceRow(page, 0, 1);
        const QList<QByteArray> lines = f.take();
        QCOMPARE(lines.size(), 3);
        QFETCH(QByteArray, head);
        QVERIFY2(lines.at(0).startsWith(head), lines.at(0));
        const QList<QPair<int, QByteArray>> frames = f.bus.frames();
        for (int k = 0; k < 3; ++k) {
            const QByteArray frame = frames.at(frames.size() - 3 + k).second;
            QCOMPARE(quint8(frame.at(1)) >> 5 & 3, broadcast ? 2 : 1);
            QCOMPARE(quint8(frame.at(2)) & 0x7F, 0x60 | (4 * k + 1));
        }
        QVERIFY(f.bus.violations().isEmpty());
        for (int n = 1; n <= 12; ++n)
            QCOMPARE(f.bus.chip(0).word(n), (halfOn(n) << 14) | (halfOff(n) << 4) | quint32(n - 1));
        QCOMPARE(f.bus.chip(1).word(1), broadcast ? f.bus.chip(0).word(1) : 0u);
    }

    // The whole pass ends with the timer stopped; with Autoupdate on a real port it enables
    // every chip's mapping and the controller's.
    void passEnd_data()
    {
        QTest::addColumn<bool>("mockup");
        QTest::addColumn<bool>("autoupdate");
        QTest::addColumn<bool>("mapena");
        QTest::newRow("board, Autoupdate") << false << true << true;
        QTest::newRow("board, no Autoupdate") << false << false << false;
        QTest::newRow("mockup, Autoupdate") << true << true << false;
    }
    void passEnd()
    {
        QFETCH(bool, mockup);
        QVERIFY(!mockup || f.useMockup());
        QFETCH(bool, autoupdate);
        f.widget<QAbstractButton>("cbAutoupdate")->setChecked(autoupdate);
        LiveSendProbe::setMatrix(page, 0, {}, 0, {});
        LiveSendProbe::sendTimer(page)->start(10000);
        Configuration *configuration = Configuration::instance();
        const QStringList fields{"MAPENA[B]", "MAPENA[MAPENA]", "MAPENA[CNT_RST]"};
        for (const QString &field : fields)
            QVERIFY(configuration->set(field, 0, Variable::InternalKey));
        const int enables = f.playback.mapEnableCount();
        page->sendData();
        QVERIFY(!LiveSendProbe::sendTimer(page)->isActive());
        QFETCH(bool, mapena);
        QCOMPARE(f.playback.mapEnableCount(), enables + (mapena ? 1 : 0));
        const QList<QByteArray> lines = f.take();
        QCOMPARE(lines.isEmpty(), !mapena);
        if (mapena)
            QCOMPARE(lines.last(), QByteArray("set P110MAPENA=01"));
        for (const QString &field : fields)
            QCOMPARE(configuration->get(field, Variable::InternalKey).toInt(), mapena ? 1 : 0);
    }

    // Each timeout follows the port of that moment: the flash image shows its size, the bank
    // pass does not; the timer runs one pass per start, also after Broadcast was clicked.
    void timerFollowsPort_data()
    {
        QTest::addColumn<bool>("mockup");
        QTest::addColumn<bool>("clickBroadcast");
        QTest::newRow("board") << false << false;
        QTest::newRow("mockup") << true << false;
        QTest::newRow("board after Broadcast") << false << true;
        QTest::newRow("mockup after Broadcast") << true << true;
    }
    void timerFollowsPort()
    {
        QFETCH(bool, mockup);
        QVERIFY(!mockup || f.useMockup());
        QFETCH(bool, clickBroadcast);
        if (clickBroadcast)
            page->on_cbBroadcast_clicked(true);
        LiveSendProbe::setMatrix(page, 0, {}, 0, {});
        QLabel *size = f.widget<QLabel>("lbFlashSize");
        size->setText(QStringLiteral("-"));
        const int blocks = f.flash.blockCount();
        QTimer *timer = LiveSendProbe::sendTimer(page);
        timer->start(1);
        QTRY_VERIFY(!timer->isActive());
        QCOMPARE(size->text() == QLatin1String("-"), mockup);
        QCOMPARE(f.flash.blockCount(), blocks + (mockup ? 0 : 1));
    }
};

QTEST_MAIN(TestBoardLivesend)
#include "tst_boardlivesend.moc"
