// Whole live-sending passes over the simulated board with a loaded two-device matrix: the
// flash image with its map-enable frames and playback, and the bank pass of both devices.
#include "livesendfixture.h"

#include <QFile>
#include <QAbstractSlider>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace
{

const QByteArray TwoDeviceLine = "set flash=800300ff66b377ee00000100"
                                 "535441525432020101020008111a232b343d464f576069727b838c959e"
                                 "a7afb8c1c8454e44" +
                                 QByteArray(2 * (256 - 37), '0'); // the board strips the CR

bool writeConfiguration(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly) &&
           file.write("NumberOfDevices 2\nPixelsPerDevice 12\nNumberOfRows 2\nNumberOfCols 12\n"
                      "1 2 3 4 5 6 7 8 9 10 11 12\n13 14 15 16 17 18 19 20 21 22 23 24\n") > 0;
}

} // namespace

class TestBoardLivesendPass : public QObject
{
    Q_OBJECT

    LiveSendFixture f;
    Board *page = nullptr;

    QLineEdit *addressEdit(int d) const
    {
        return f.widget<QLineEdit>(qPrintable(QStringLiteral("leSA%1").arg(d)));
    }
    void setAutoupdate(bool on) { f.widget<QAbstractButton>("cbAutoupdate")->setChecked(on); }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        page = f.page();
        QVERIFY(writeConfiguration(QStringLiteral("two.txt")));
        page->loadConfiguration(QStringLiteral("two.txt"));
        QVERIFY(addressEdit(0) && addressEdit(1));
    }
    void init()
    {
        QVERIFY(f.useBoard());
        addressEdit(0)->setText(QStringLiteral("1"));
        addressEdit(1)->setText(QStringLiteral("2"));
        QVector<int> duties(24);
        for (int n = 0; n < 24; ++n)
            duties[n] = 45 * n;
        duties[23] = 1023;
        LiveSendProbe::duties(page) = duties;
        for (int a = 0; a < Board::MaxSlaves; ++a)
            LiveSendProbe::mapRecord(page, a) = Board::MapEnaRecord();
        setAutoupdate(false);
        f.take();
    }

    void flashPass()
    {
        page->sendFWData();
        const QList<QByteArray> lines = f.take();
        QCOMPARE(lines, QList<QByteArray>{TwoDeviceLine});
        QCOMPARE(lines.first().size(), 546); // and the CR
        QCOMPARE(f.widget<QLabel>("lbFlashSize")->text(),
                 QStringLiteral("Required flash size 37 B"));
    }

    // With Autoupdate the chips' maps are enabled once, and the board plays the image.
    void flashPassAutoupdate()
    {
        setAutoupdate(true);
        const int played = int(f.playback.playbacks().size());
        page->sendFWData();
        QCOMPARE(f.take(),
                 (QList<QByteArray>{TwoDeviceLine, "set P110MAPENAREG=01010155618f012f",
                                    "set P110MAPENAREG=02010155628f01a2", "set p110animation=01"}));
        QCOMPARE(f.playback.playbacks().size(), played + 1);
        const FakeBoardPlayback::Playback playback = f.playback.playbacks().last();
        QCOMPARE(playback.addresses, QByteArray::fromHex("0102"));
        QCOMPARE(playback.body.size(), 24);
        QCOMPARE(quint8(playback.body.back()), quint8(200));
        QCOMPARE(f.playback.mappedAddresses(), (QList<int>{1, 2}));
        page->sendFWData();
        QCOMPARE(f.take(), (QList<QByteArray>{TwoDeviceLine, "set p110animation=01"}));
        QVERIFY(f.bus.violations().isEmpty());
    }

    // Rows without a device: all of them (the bare frame) or the first one only.
    void rowsWithoutDevice_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QByteArray>("image");
        QTest::newRow("all -1") << "-1"
                                << "-1" << QByteArray("5354415254320001454e44");
        QTest::newRow("first -1") << "-1"
                                  << "2"
                                  << QByteArray("53544152543201010269727b838c959ea7afb8c1c8454e44");
        QTest::newRow("text as 0")
            << "x"
            << "-1" << QByteArray("5354415254320101000008111a232b343d464f5760454e44");
    }
    void rowsWithoutDevice()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        addressEdit(0)->setText(first);
        addressEdit(1)->setText(second);
        setAutoupdate(true);
        page->sendFWData();
        const QList<QByteArray> lines = f.take();
        QVERIFY(!lines.isEmpty());
        QFETCH(QByteArray, image);
        QVERIFY2(lines.first().startsWith("set flash=800300ff"), lines.first());
        QCOMPARE(lines.first().mid(34, image.size()), image);
        QCOMPARE(lines.last(), QByteArray("set p110animation=01"));
    }

    // A refused block: the pass goes on to the map frames and the playback.
    void refusedBlock()
    {
        setAutoupdate(true);
        f.flash.setRefuseAt(f.flash.blockCount());
        page->sendFWData();
        QCOMPARE(f.take().size(), 4);
        QVERIFY(LiveSendProbe::mapRecord(page, 2).known);
    }

    // On the mock-up port both devices are written; the bank pass over the simulator sends six
    // frames and fills both chips.
    void bankPass()
    {
        page->set(QStringLiteral("BROADCAST"), 0, Variable::InternalKey);
        LiveSendProbe::duties(page).fill(512);
        page->sendData();
        const QList<QByteArray> lines = f.take();
        QCOMPARE(lines.size(), 6);
        QCOMPARE(boardGlobals().SA.value(), 2.0);
        for (int chip = 0; chip < 2; ++chip)
            QCOMPARE(f.bus.chip(chip).word(12) >> 14, 926u);
        QVERIFY(f.bus.violations().isEmpty());
    }

    // On the mock-up port a pass writes both devices' windows; BANKX keeps the last one's.
    void bankPassMockup()
    {
        QVERIFY(f.useMockup());
        addressEdit(1)->setText(QStringLiteral("3"));
        LiveSendProbe::duties(page).fill(512);
        page->sendData();
        QCOMPARE(boardGlobals().SA.value(), 3.0);
        QCOMPARE(LiveSendFixture::bankX("ON12"), 926u);
        QCOMPARE(LiveSendFixture::bankX("OFF12"), 413u);
        QCOMPARE(LiveSendFixture::bankX("TR12"), 11u);
    }

    // Slider moves with Autoupdate on collapse into one pass after the last of them.
    void sliderMovesStartOnePass()
    {
        setAutoupdate(true);
        auto *slider = f.widget<QAbstractSlider>("SW24");
        QVERIFY(slider);
        slider->setValue(900);
        slider->setValue(1023);
        QVERIFY(LiveSendProbe::sendTimer(page)->isActive());
        QVERIFY(f.take().isEmpty());
        QTRY_VERIFY(!LiveSendProbe::sendTimer(page)->isActive());
        QCOMPARE(f.take(),
                 (QList<QByteArray>{TwoDeviceLine, "set P110MAPENAREG=01010155618f012f",
                                    "set P110MAPENAREG=02010155628f01a2", "set p110animation=01"}));
    }
};

QTEST_MAIN(TestBoardLivesendPass)
#include "tst_boardlivesendpass.moc"
