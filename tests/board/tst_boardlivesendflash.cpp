// The flash path of live sending over the simulated board: block lines with their pauses, a
// refused block, the map-enable frames with their records and the playback start.
#include "livesendfixture.h"

#include <QLabel>
#include <QtTest>

namespace
{

const QByteArray TwoDeviceImage = QByteArray::fromHex(
    "535441525432020101020008111a232b343d464f576069727b838c959ea7afb8c1c8454e44");

// A block line as the board records it: without the CR that ends it.
QByteArray blockLine(const QByteArray &address, const QByteArray &block)
{
    const QByteArray crc =
        QByteArray::number(FakeBoardFlash::crc32(block), 16).rightJustified(8, '0');
    return "set flash=" + address + crc + "00000100" + block.toHex();
}

} // namespace

class TestBoardLivesendFlash : public QObject
{
    Q_OBJECT

    LiveSendFixture f;
    Board *page = nullptr;

    QList<QByteArray> take() { return f.take(); }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        page = f.page();
        QVERIFY(page);
    }
    void init()
    {
        QVERIFY(f.app->isConnected() || f.useBoard());
        for (int a = 0; a < Board::MaxSlaves; ++a)
            LiveSendProbe::mapRecord(page, a) = Board::MapEnaRecord();
        f.flash.setRefuseAt(-1);
        f.take();
        LiveSendFixture::pauses().clear();
    }

    // One block: the exact line of the two-device image, written at 0x800300FF.
    void oneBlock()
    {
        const QByteArray padded = TwoDeviceImage + QByteArray(256 - 37, '\0');
        QVERIFY(page->writeFlashBlocks(padded));
        const QList<QByteArray> lines = take();
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.first().size(), 546); // and the CR
        QVERIFY(lines.first().startsWith("set flash=800300ff66b377ee00000100" +
                                         TwoDeviceImage.toHex()));
        QCOMPARE(lines.first(), blockLine("800300ff", padded));
        QCOMPARE(LiveSendFixture::pauses(), QList<unsigned>{200});
        QCOMPARE(LiveSendProbe::flashAddress(page), 0x800301FFu);
        QCOMPARE(f.flash.read(0x800300FF, 256), padded);
    }

    // Blocks follow each other 256 bytes apart, each with its pause; a refused block is
    // passed over and the next still goes out.
    void blocks_data()
    {
        QTest::addColumn<int>("refuseAt");
        QTest::addColumn<bool>("result");
        QTest::newRow("all taken") << -1 << true;
        QTest::newRow("first refused") << 0 << false;
        QTest::newRow("last refused") << 2 << false;
    }
    void blocks()
    {
        QFETCH(int, refuseAt);
        f.flash.setRefuseAt(f.flash.blockCount() + refuseAt);
        QByteArray image;
        for (int i = 0; i < 768; ++i)
            image.append(char(i * 7 + 1));
        QTEST(page->writeFlashBlocks(image), "result");
        const QList<QByteArray> lines = take();
        QCOMPARE(lines, (QList<QByteArray>{blockLine("800300ff", image.mid(0, 256)),
                                           blockLine("800301ff", image.mid(256, 256)),
                                           blockLine("800302ff", image.mid(512, 256))}));
        QCOMPARE(LiveSendFixture::pauses(), (QList<unsigned>{200, 200, 200}));
        QCOMPARE(LiveSendProbe::flashAddress(page), 0x800303FFu);
        for (int k = 0; k < 3; ++k)
            if (k != refuseAt)
                QCOMPARE(f.flash.read(0x800300FF + 256 * k, 256), image.mid(256 * k, 256));
    }

    // Without a board every block fails, yet the pass goes on with its pauses.
    void noBoard()
    {
        f.app->disconnectBoard();
        QVERIFY(!page->writeFlashBlocks(QByteArray(300, 'x')));
        QCOMPARE(LiveSendFixture::pauses(), (QList<unsigned>{200, 200}));
        QCOMPARE(LiveSendProbe::flashAddress(page), 0x800302FFu);
    }

    void legacyBlock()
    {
        page->sendFlashLegacy(0x80040000u);
        QCOMPARE(take(), QList<QByteArray>{blockLine("80040000", QByteArray(256, char(0xFF)))});
        QVERIFY(LiveSendFixture::pauses().isEmpty());
    }

    // Map-enable frames go to chips not known enabled, are recorded whatever the board
    // answered, and the playback command follows every time.
    void mapEnable()
    {
        LiveSendProbe::enableMapsAndPlay(page, {1, 2});
        QCOMPARE(take(),
                 (QList<QByteArray>{"set P110MAPENAREG=01010155618f012f",
                                    "set P110MAPENAREG=02010155628f01a2", "set p110animation=01"}));
        QCOMPARE(f.bus.chip(0).word(13) & 1u, 1u);
        QCOMPARE(f.bus.chip(1).word(13) & 1u, 1u);
        QVERIFY(f.bus.violations().isEmpty());
        LiveSendProbe::enableMapsAndPlay(page, {1, 2});
        QCOMPARE(take(), QList<QByteArray>{"set p110animation=01"});
    }
    void mapEnableRefused()
    {
        LiveSendProbe::mapRecord(page, 2) = {0, true}; // known disabled: sent again
        f.playback.failNextMapCommands(1);
        LiveSendProbe::enableMapsAndPlay(page, {1, 2});
        QCOMPARE(take().size(), 3);
        QCOMPARE(LiveSendProbe::mapRecord(page, 1).value, 1);
        QVERIFY(LiveSendProbe::mapRecord(page, 1).known);
        QCOMPARE(LiveSendProbe::mapRecord(page, 2).value, 1);
        LiveSendProbe::enableMapsAndPlay(page, {1, 2});
        QCOMPARE(take(), QList<QByteArray>{"set p110animation=01"});
    }
    // Addresses without a record (outside 0..31) get no frame, the others do.
    void mapEnableOutOfRange()
    {
        QSignalSpy log(page, &Applet::signal_log);
        LiveSendProbe::enableMapsAndPlay(page, {-1, 40, 0});
        QCOMPARE(take(),
                 (QList<QByteArray>{"set P110MAPENAREG=000101" + Board::mapEnableFrame(0).toHex(),
                                    "set p110animation=01"}));
        QCOMPARE(log.size(), 1);
        QCOMPARE(log.first().at(0).toInt(), 1);
        QVERIFY(log.first().at(1).toString().contains("40"));
        LiveSendProbe::enableMapsAndPlay(page, {});
        QCOMPARE(take(), QList<QByteArray>{"set p110animation=01"});
    }

    // A whole pass without device rows: the 11-byte image, then with Autoupdate only the
    // playback command, which the board finds a valid image for; the timer ends stopped.
    void passWithoutDevices_data()
    {
        QTest::addColumn<bool>("autoupdate");
        QTest::newRow("Autoupdate off") << false;
        QTest::newRow("Autoupdate on") << true;
    }
    void passWithoutDevices()
    {
        QFETCH(bool, autoupdate);
        f.widget<QAbstractButton>("cbAutoupdate")->setChecked(autoupdate);
        LiveSendProbe::setMatrix(page, 0, {}, 0, {});
        LiveSendProbe::sendTimer(page)->start(10000);
        const int played = int(f.playback.playbacks().size());
        page->sendFWData();
        QVERIFY(!LiveSendProbe::sendTimer(page)->isActive());
        QCOMPARE(f.widget<QLabel>("lbFlashSize")->text(),
                 QStringLiteral("Required flash size 11 B"));
        const QByteArray image = QByteArray::fromHex("5354415254320001454e44");
        QList<QByteArray> expected{blockLine("800300ff", image + QByteArray(245, '\0'))};
        if (autoupdate)
            expected.append("set p110animation=01");
        QCOMPARE(take(), expected);
        QCOMPARE(f.playback.playbacks().size(), played + (autoupdate ? 1 : 0));
        if (autoupdate) {
            const FakeBoardPlayback::Playback playback = f.playback.playbacks().last();
            QCOMPARE(playback.loops, 1);
            QCOMPARE(playback.delayMs, 50);
            QCOMPARE(playback.steps, 1);
            QVERIFY(playback.addresses.isEmpty());
            QVERIFY(playback.body.isEmpty());
        }
        f.widget<QAbstractButton>("cbAutoupdate")->setChecked(false);
    }

    // The simulator's map commands: malformed ones are refused, the others reach the chips.
    void simulatorMapCommands_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("ok");
        QTest::newRow("map enable") << QByteArray("set P110MAPENAREG=01010155618f012f") << true;
        QTest::newRow("forget") << QByteArray("set P110MAPENAREG=01000000") << true;
        QTest::newRow("odd digits") << QByteArray("set P110MAPENAREG=0101015561") << false;
        QTest::newRow("not hex") << QByteArray("set P110MAPENAREG=0101015x618f012f") << false;
        QTest::newRow("unknown kind") << QByteArray("set P110MAPENAREG=01010255618f012f") << false;
        QTest::newRow("other address") << QByteArray("set P110MAPENAREG=02010155618f012f") << false;
        QTest::newRow("animation loops") << QByteArray("set p110animation=0x") << false;
        QTest::newRow("map enable all") << QByteArray("set P110MAPENA=01") << true;
    }
    void simulatorMapCommands()
    {
        QFETCH(QByteArray, line);
        QByteArray answer;
        QTEST(f.app->controlBoard()->send(line, &answer), "ok");
    }
};

QTEST_MAIN(TestBoardLivesendFlash)
#include "tst_boardlivesendflash.moc"
