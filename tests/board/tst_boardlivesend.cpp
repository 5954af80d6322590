// Live sending over the simulated board with a loaded two-device matrix: the flash path's block
// lines, map-enable frames and playback, the bank path's frames and phase windows, and the send
// timer that collapses slider moves into one pass and picks the path by the port.
#include "boardcommandsfixture.h"
#include "logrecorder.h"

#include <QAbstractSlider>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace
{

// A block line as the board records it (without the CR that ends it).
QByteArray blockLine(const QByteArray &address, const QByteArray &block)
{
    const QByteArray crc =
        QByteArray::number(FakeBoardFlash::crc32(block), 16).rightJustified(8, '0');
    return "set flash=" + address + crc + "00000100" + block.toHex();
}

// The image of duties 0, 45, 90, ... with the last switch full, at addresses 1 and 2.
const QByteArray Image = QByteArray::fromHex(
    "535441525432020101020008111a232b343d464f576069727b838c959ea7afb8c1c8454e44");
const QByteArray ImageLine =
    "set flash=800300ff66b377ee00000100" + Image.toHex() + QByteArray(2 * (256 - 37), '0');
const QByteArray MapEnable1 = "set P110MAPENAREG=01010155618f012f";
const QByteArray MapEnable2 = "set P110MAPENAREG=02010155628f01a2";
const QByteArray Play = "set p110animation=01";

// Channel n's bank word at duty 512 in phase mode 0: ON staggered by 82 from 24, TR n - 1.
quint32 window(int n)
{
    const quint32 on = quint32(24 + 82 * (n - 1));
    return on << 14 | ((on + 511) % 1024) << 4 | quint32(n - 1);
}

} // namespace

class TestBoardLivesend : public QObject
{
    Q_OBJECT

    BoardCommandsFixture f;

    QLineEdit *address(int d) { return f.widget<QLineEdit>(qPrintable(QString("leSA%1").arg(d))); }
    void setAutoupdate(bool on) { f.widget<QAbstractButton>("cbAutoupdate")->setChecked(on); }
    void setDuties(int fixed = -1)
    {
        for (int n = 1; n <= 24; ++n)
            f.page()->setDcRegister(quint8(n), quint16(fixed >= 0 ? fixed
                                                       : n == 24  ? 1023
                                                                  : 45 * (n - 1)));
    }
    // The page's send timer, while it runs.
    QTimer *sendTimer()
    {
        for (QTimer *t : f.page()->findChildren<QTimer *>(Qt::FindDirectChildrenOnly))
            if (t->isActive() && t->interval() == 70)
                return t;
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        f.bus.setOutputOn(1, true);
        f.bus.setOutputOn(2, true);
        QCOMPARE(f.load(2, 12, 2, 12, BoardCommandsFixture::TwoRows), 0);
    }
    void init()
    {
        QVERIFY(f.app->isConnected() || f.connectTo(f.board));
        address(0)->setText("1");
        address(1)->setText("2");
        setAutoupdate(false);
        setDuties();
        f.setPage("BROADCAST", 0);
        f.flash.setRefuseAt(-1);
        f.take();
        BoardCommandsFixture::pauses().clear();
    }
    void cleanup() { QCOMPARE(f.bus.violations(), QStringList()); }

    // Blocks follow each other 256 bytes apart, each paused after; a refused block is passed
    // over and the next still goes out; without a board the pass still runs its course.
    void flashBlocks()
    {
        QByteArray image;
        for (int i = 0; i < 768; ++i)
            image.append(char(i * 7 + 1));
        f.flash.setRefuseAt(f.flash.blockCount() + 1);
        QVERIFY(!f.page()->writeFlashBlocks(image));
        QCOMPARE(f.take(), (QList<QByteArray>{blockLine("800300ff", image.mid(0, 256)),
                                              blockLine("800301ff", image.mid(256, 256)),
                                              blockLine("800302ff", image.mid(512, 256))}));
        QCOMPARE(BoardCommandsFixture::pauses(), (QList<unsigned>{200, 200, 200}));
        QCOMPARE(f.page()->nextFlashAddress(), 0x800303FFu);
        QCOMPARE(f.flash.read(0x800300FF, 256) + f.flash.read(0x800302FF, 256),
                 image.left(256) + image.mid(512));

        f.page()->sendFlashLegacy(0x80040000u);
        QCOMPARE(f.take(), QList<QByteArray>{blockLine("80040000", QByteArray(256, char(0xFF)))});
        QCOMPARE(BoardCommandsFixture::pauses().size(), 3);

        f.app->disconnectBoard();
        QVERIFY(!f.page()->writeFlashBlocks(QByteArray(300, 'x')));
        QCOMPARE(BoardCommandsFixture::pauses().size(), 5);
        QCOMPARE(f.page()->nextFlashAddress(), 0x800302FFu);
    }

    // The image in one exact block; with Autoupdate the chips' maps are enabled once, whatever
    // the board answered, and the board plays the image; a refused block does not stop that.
    void flashPass()
    {
        f.page()->sendFWData();
        QCOMPARE(f.take(), QList<QByteArray>{ImageLine});
        QCOMPARE(f.widget<QLabel>("lbFlashSize")->text(), QString("Required flash size 37 B"));
        setAutoupdate(true);
        f.playback.failNextMapCommands(1);
        f.page()->sendFWData();
        QCOMPARE(f.take(), (QList<QByteArray>{ImageLine, MapEnable1, MapEnable2, Play}));
        const FakeBoardPlayback::Playback played = f.playback.playbacks().last();
        QCOMPARE(played.addresses, QByteArray::fromHex("0102"));
        QCOMPARE(played.body, Image.mid(10, 24));
        QCOMPARE(f.playback.mappedAddresses(), QList<int>{2});
        f.flash.setRefuseAt(f.flash.blockCount());
        f.page()->sendFWData();
        QCOMPARE(f.take(), (QList<QByteArray>{ImageLine, Play}));
        QVERIFY(!sendTimer());
    }

    // Rows without a device (-1) are left out of the image, a text reads 0; an address
    // outside 0..31 gets no map frame and a warning.
    void rowAddresses()
    {
        setAutoupdate(true);
        for (const auto &[first, second, image] : QList<std::tuple<QString, QString, QByteArray>>{
                 {"-1", "-1", "5354415254320001454e44"},
                 {"-1", "2", "53544152543201010269727b838c959ea7afb8c1c8454e44"},
                 {"x", "-1", "5354415254320101000008111a232b343d464f5760454e44"}}) {
            address(0)->setText(first);
            address(1)->setText(second);
            f.page()->sendFWData();
            const QList<QByteArray> lines = f.take();
            QVERIFY(lines.first().startsWith("set flash=800300ff"));
            QCOMPARE(lines.first().mid(34, image.size()), image);
            QCOMPARE(lines.last(), Play);
        }
        LogRecorder log(f.page());
        address(0)->setText("1");
        address(1)->setText("40");
        f.page()->sendFWData();
        QCOMPARE(f.take().mid(1), QList<QByteArray>{Play});
        QCOMPARE(log.entries().size(), 1);
        QVERIFY(log.entries().first().second.contains("40"));
    }

    // Each device row goes out as three frames of four words, addressed or broadcast, with its
    // phase windows; a written DIMFREQ code changes that chip's mode; a row address outside
    // 0..31 is reported and not sent; with Autoupdate the chips' maps are enabled after.
    void bankPass()
    {
        setDuties(512);
        f.page()->sendData();
        QList<QByteArray> lines = f.take();
        QCOMPARE(lines.size(), 6);
        QVERIFY2(lines.first().startsWith("set SER2PXNDATA=0e1055a16170"), lines.first());
        for (int n = 1; n <= 12; ++n)
            QCOMPARE(f.bus.chip(0).word(n), window(n));
        QCOMPARE(f.bus.chip(1).word(12), window(12));
        QCOMPARE(boardGlobals().SA.value(), 2.0);

        f.setPage("BANK[DIMFREQ]", 20);
        QCOMPARE(f.run("Write_REG_14"), QVariant(true));
        f.take();
        f.setPage("BROADCAST", 1);
        f.page()->sendData();
        QVERIFY2(f.take().first().startsWith("set SER2PXNDATA=0e1055c16170"), "broadcast");
        QCOMPARE(f.bus.chip(0).word(1) >> 14, 192u); // both chips got the last row's

        f.setPage("BROADCAST", 0);
        LogRecorder log(f.page());
        address(0)->setText("32");
        setAutoupdate(true);
        Configuration *configuration = Configuration::instance();
        QVERIFY(configuration->set("MAPENA[MAPENA]", 0, Variable::InternalKey));
        const int enables = f.playback.mapEnableCount();
        f.page()->sendData();
        lines = f.take();
        QCOMPARE(log.entries().size(), 1);
        QCOMPARE(lines.first().left(26), QByteArray("set SER2PXNDATA=0e1055a261")); // row 2 only
        QCOMPARE(lines.last(), QByteArray("set P110MAPENA=01"));
        QCOMPARE(f.playback.mapEnableCount(), enables + 1);
        QCOMPARE(configuration->get("MAPENA[MAPENA]", Variable::InternalKey).toInt(), 1);
    }

    // Slider moves with Autoupdate collapse into one pass after the last of them; the pass
    // follows the port of that moment: the flash image on a board, the bank on "mockup".
    void timerPasses()
    {
        setAutoupdate(true);
        auto *slider = f.widget<QAbstractSlider>("SW24");
        slider->setValue(900);
        slider->setValue(1023);
        QVERIFY(sendTimer());
        QVERIFY(f.take().isEmpty());
        QTRY_VERIFY(!sendTimer());
        QCOMPARE(f.take(), (QList<QByteArray>{ImageLine, Play}));

        f.app->disconnectBoard();
        QVERIFY(f.app->connectBoard("mockup"));
        f.widget<QLabel>("lbFlashSize")->setText("-");
        address(1)->setText("3");
        slider->setValue(512);
        QTRY_VERIFY(!sendTimer());
        QCOMPARE(f.widget<QLabel>("lbFlashSize")->text(), QString("-"));
        QCOMPARE(boardGlobals().SA.value(), 3.0);
        QCOMPARE(boardGlobals().BANKX.getField("[TR12]"), 11u);
    }
};

QTEST_MAIN(TestBoardLivesend)
#include "tst_boardlivesend.moc"
