#include "bootloader.h"
#include "fakeboard_flash.h"
#include "hexrecords.h"
#include "layoutcheck.h"
#include "linkfixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

namespace
{

constexpr quint32 Base = 0x80050000u;
const QString SendError = QStringLiteral("|Some error during sending appears");
const QString NotConnected = QStringLiteral("|VELMCU board is not connected!");

QByteArray testBytes(int size)
{
    QByteArray bytes;
    for (quint32 x = quint32(size); bytes.size() < size; x = x * 214013u + 2531011u)
        bytes.append(char(x >> 16));
    return bytes;
}

// The block line as the board receives it, built here independently of the program's builder.
QByteArray expectedLine(quint32 address, const QByteArray &data)
{
    auto hex8 = [](quint32 v) { return QByteArray::number(v, 16).rightJustified(8, '0'); };
    return "set flash=" + hex8(address) + hex8(FakeBoardFlash::crc32(data)) +
           hex8(quint32(data.size())) + data.toHex();
}

// The window on a link to the simulated board and its flash, with a folder for HEX files.
struct Rig {
    static LinkTiming quickReset()
    {
        LinkTiming timing;
        timing.resetLimitMs = 3000;
        return timing;
    }
    QTemporaryDir dir;
    LinkFixture f{quickReset()};
    FakeBoardFlash flash{f.board};
    Bootloader window{&f.link};
};

} // namespace

// The firmware-update window against the simulated board on a pseudo-terminal.
class TestBootloader : public QObject
{
    Q_OBJECT

private slots:
    void init() { r = std::make_unique<Rig>(); }
    void cleanup() { r.reset(); }

    void window()
    {
        QCOMPARE(r->window.windowTitle(), QStringLiteral("FIRMWARE Update"));
        // Modal: the main window cannot start other commands while an image is written.
        QCOMPARE(r->window.windowModality(), Qt::ApplicationModal);
        // A dialog of fixed size whose title bar offers only the close button.
        QCOMPARE(r->window.windowType(), Qt::Dialog);
        QCOMPARE(r->window.windowFlags() & (Qt::CustomizeWindowHint | Qt::WindowMinMaxButtonsHint |
                                            Qt::WindowCloseButtonHint),
                 Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
        QCOMPARE(r->window.minimumSize(), QSize(518, 163));
        QCOMPARE(r->window.maximumSize(), QSize(518, 163));
        // The picture comes from the window's own library and fills its cell.
        auto *label = r->window.findChild<QLabel *>("lbPicture");
        QCOMPARE(label->pixmap().size(), QSize(96, 96));
        QVERIFY(label->hasScaledContents());
        QVERIFY(!button("pbFlash")->isEnabled()); // nothing is loaded yet
        QVERIFY(r->window.findChild<QPlainTextEdit *>()->isReadOnly()); // the log
        r->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&r->window));
        int controls = 0;
        const QString misplaced = misplacedControl(&r->window, &controls);
        QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced));
        QCOMPARE(controls, 8);
        // The progress bar runs along the foot, from under the picture to under the buttons.
        const QRect bar = r->window.findChild<QProgressBar *>()->geometry();
        QCOMPARE(bar.left(), r->window.findChild<QLabel *>("lbPicture")->geometry().left());
        QCOMPARE(bar.right(), button("pbFlash")->geometry().right());
        // The picture and the log share the top rows; the box sits under the log and buttons.
        const QRect log = r->window.findChild<QPlainTextEdit *>()->geometry();
        const QRect boxCell = r->window.findChild<QCheckBox *>()->geometry();
        QCOMPARE(label->geometry().top(), log.top());
        QCOMPARE(label->geometry().bottom(), log.bottom());
        QCOMPARE(boxCell.left(), log.left());
        QCOMPARE(boxCell.right(), bar.right());
        // The box toggles the option and says so.
        auto *box = r->window.findChild<QCheckBox *>("cbVersionIgnore"); // as the main window's
        r->window.setIgnoreVersion(true);
        QSignalSpy spy(&r->window, &Bootloader::signal_ignoreVersionChanged);
        box->click();
        QVERIFY(logText().endsWith(QStringLiteral("Compatibility checking is ENABLED")));
        box->click();
        QVERIFY(logText().endsWith(QStringLiteral("Compatibility checking is DISABLED")));
        QCOMPARE(spy.size(), 2);
        QVERIFY(!spy.at(0).at(0).toBool() && spy.at(1).at(0).toBool());
        // By keys: Return presses the button that has the keyboard; Escape closes the window.
        QTest::keyClick(button("pbRestart"), Qt::Key_Return);
        QVERIFY(logText().endsWith(QStringLiteral("Restarting...\nDone!")));
        QTest::keyClick(&r->window, Qt::Key_Escape);
        QVERIFY(!r->window.isVisible());
    }

    // Loads over an earlier image: refused texts leave nothing to flash; a bad checksum warns
    // and bytes outside the image are logged, but both load.
    void loads()
    {
        const QStringList badFormat{"Error|bad HEX file format!"};
        const QStringList inFile{"|Error in HEX file!"};
        QByteArray truncated = HexRecords::image(Base, testBytes(64));
        truncated.chop(30);
        const QByteArray bytes = testBytes(48);
        QByteArray spoilt = HexRecords::image(Base, bytes);
        const int end = spoilt.indexOf("\r\n", spoilt.indexOf(":10", spoilt.indexOf(":10") + 1));
        spoilt[end - 1] = spoilt.at(end - 1) == 'F' ? 'E' : 'F'; // the second data record's sum
        const QByteArray outside = HexRecords::extended(0x8005) +
                                   HexRecords::data(0x0010, QByteArray::fromHex("0102")) +
                                   HexRecords::data(0x0000, QByteArray::fromHex("aa")) +
                                   HexRecords::endOfFile();
        for (auto [text, warned, data, logEnd] :
             {std::tuple{QByteArray("garbage\n"), badFormat, QByteArray(), QString()},
              {truncated, inFile, {}, {}},
              {spoilt, {"|Error in HEX file!\n1 record has a bad checksum, in line 3."}, bytes, {}},
              {HexRecords::image(Base, testBytes(1)), {}, testBytes(1), {}}, // one byte to flash
              {outside,
               {},
               QByteArray::fromHex("0102"),
               "1 bytes outside the image were skipped"}}) {
            QVERIFY(r->window.loadHex(writeHex(HexRecords::image(Base, testBytes(40)))));
            const int before = int(warnings().size());
            const QString path = writeHex(text);
            QCOMPARE(r->window.loadHex(path), !data.isEmpty());
            QCOMPARE(warnings().mid(before), warned);
            QCOMPARE(r->window.hexFile().data(), data);
            QCOMPARE(button("pbFlash")->isEnabled(), !data.isEmpty());
            QCOMPARE(logText().contains("File loaded ::" + path), !data.isEmpty());
            if (!data.isEmpty()) // the skipped bytes are logged only when there are some
                QCOMPARE(logText().section('\n', -1), logEnd.isEmpty() ? "File loaded ::" + path : logEnd);
        }
    }

    // A file of nothing but bad checksums, as large as is read, gets one box: the count and the
    // first lines, whatever ends its lines.
    void manyBadChecksums()
    {
        constexpr int Records = 340000;
        QByteArray text = ":0000000001\r\n:0000000001\n";
        while (text.size() < Records * 12)
            text += ":0000000001\n";
        QVERIFY(r->window.loadHex(writeHex(text)));
        QCOMPARE(warnings(), QStringList("|Error in HEX file!\n340000 records have a bad "
                                         "checksum, the first in lines 1, 2, 3, 4, 5."));
    }

    // The test build compiles in a default image of 20 bytes at the flash base.
    void defaultImage()
    {
        QVERIFY(hasDefaultImage());
        QVERIFY(button("pbDefault")->isEnabled());
        button("pbDefault")->click();
        QCOMPARE(r->window.hexFile().data(), QByteArray("0123456789:;<=>?@ABC"));
        QVERIFY(button("pbFlash")->isEnabled());
        QVERIFY(logText().endsWith(QStringLiteral("File loaded :::/project/firmware.hex")));
    }

    void cancelledDialogClearsImage()
    {
        QVERIFY(r->window.loadHex(writeHex(HexRecords::image(Base, testBytes(10)))));
        button("pbLoadHex")->click();
        QCOMPARE(r->f.prompt.fileDialogs(), QStringList{QStringLiteral("Spec path|Files (*.hex)")});
        QVERIFY(r->window.hexFile().size() == 0 && !button("pbFlash")->isEnabled());
        QVERIFY(warnings().isEmpty());
        // A file that does not open fails as quietly.
        QVERIFY(!r->window.loadHex(r->dir.filePath(QStringLiteral("missing.hex"))));
        QVERIFY(warnings().isEmpty() && !logText().contains("missing.hex"));
        // One that is there but is no regular file (nobody writes the FIFO) is named in a box.
        const QString fifo = r->dir.filePath(QStringLiteral("fifo.hex"));
        QVERIFY(::mkfifo(qPrintable(fifo), 0600) == 0);
        QVERIFY(!r->window.loadHex(fifo));
        QCOMPARE(warnings(), QStringList("Error|" + fifo + " is not a regular file"));
    }

    // The exact block lines (full blocks, the rest, the end marker), the flash contents, the
    // log and the progress bar.
    void flashWritesBlocks()
    {
        for (int size : {512, 300, 100, 5 * 256 + 1}) {
            r.reset(); // its prompt uninstalls itself before the next one installs
            r = std::make_unique<Rig>();
            const QByteArray bytes = testBytes(size);
            QCOMPARE(r->window.findChild<QProgressBar *>()->value(), 0); // at 0 from the start
            QVERIFY(r->window.loadHex(writeHex(HexRecords::image(Base, bytes))));
            QVERIFY(r->f.connectLink());
            button("pbFlash")->click();
            QList<QByteArray> expected;
            for (int offset = 0; offset < size; offset += 256)
                expected.append(expectedLine(Base + quint32(offset), bytes.mid(offset, 256)));
            expected.append("set flash=8007fffC1234abcd000000041234abcd");
            QCOMPARE(r->f.board.lines(), expected);
            QCOMPARE(r->flash.read(Base, size), bytes);
            QVERIFY(warnings().isEmpty());
            QVERIFY(logText().contains("Flash...") && logText().contains("Finished.") &&
                    logText().contains("Please restart MCU! it can take up to 10 seconds"));
            auto *progress = r->window.findChild<QProgressBar *>();
            QCOMPARE(progress->maximum(), size / 256);
            QCOMPARE(progress->value(), progress->maximum());
            QVERIFY(r->window.loadHex(writeHex(HexRecords::image(Base, testBytes(10)))));
            QCOMPARE(progress->value(), 0); // a new image starts the bar again
        }
    }

    // Image of 3 full blocks and a rest block: indices 0-2 full, 3 rest, 4 end marker. The
    // board refuses block k with "flash:err" or leaves it unanswered: flashing stops there.
    // The rest block must be confirmed: any other answer to it stops there too.
    void failedBlockStops()
    {
        const auto anew = [this]() {
            r.reset(); // its prompt uninstalls itself before the next one installs
            r = std::make_unique<Rig>();
            return r->window.loadHex(writeHex(HexRecords::image(Base, testBytes(3 * 256 + 10)))) &&
                   r->f.connectLink();
        };
        for (auto [k, silent] : {std::pair{0, false}, {1, false}, {2, false}, {3, false},
                                 {4, false}, {2, true}, {3, true}, {4, true}}) {
            QVERIFY(anew());
            r->f.link.setTimeout(600);
            silent ? r->flash.setSilentAt(k) : r->flash.setRefuseAt(k);
            r->window.slot_pbFlash_clicked();
            QCOMPARE(r->flash.blockCount(), k + 1);
            QVERIFY(!r->flash.endMarkerSeen());
            QCOMPARE(warnings(), QStringList{SendError});
            QCOMPARE(logText().section('\n', -1).trimmed(), QStringLiteral("Error"));
            QVERIFY(!logText().contains("Finished."));
            QVERIFY(button("pbFlash")->isEnabled());
        }
        QVERIFY(anew());
        r->f.board.addHandler("set flash=80050300", [](const QByteArray &) {
            return QByteArray("flash:busy");
        });
        r->window.slot_pbFlash_clicked();
        QVERIFY(r->flash.blockLines().size() == 3 && !r->flash.endMarkerSeen());
        QCOMPARE(warnings(), QStringList{SendError});
        // Trying again starts the bar from 0, not where the failed try left it.
        auto *progress = r->window.findChild<QProgressBar *>();
        QList<int> values;
        connect(progress, &QProgressBar::valueChanged, this, [&](int v) { values.append(v); });
        r->window.slot_pbFlash_clicked();
        QCOMPARE(values, (QList<int>{0, 1, 2, 3}));
        // A full block and the end marker need no confirmation: any answer but "flash:err"
        // goes on.
        for (const char *line : {"set flash=80050100", "set flash=8007fff"}) {
            QVERIFY(anew());
            r->f.board.addHandler(line, [](const QByteArray &) { return QByteArray("flash:busy"); });
            r->window.slot_pbFlash_clicked();
            QVERIFY2(warnings().isEmpty() && logText().contains("Finished."), line);
        }
    }

    void notConnectedSendsNothing()
    {
        QVERIFY(r->window.loadHex(writeHex(HexRecords::image(Base, testBytes(300)))));
        r->window.slot_pbFlash_clicked();
        Bootloader unlinked(nullptr);
        QVERIFY(unlinked.loadHex(writeHex(HexRecords::image(Base, testBytes(30)))));
        unlinked.slot_pbFlash_clicked();
        QCOMPARE(warnings(), (QStringList{NotConnected, NotConnected}));
        QVERIFY(!logText().contains(QStringLiteral("Flash...")));
    }

    void buttonsDisabledWhileFlashing()
    {
        const QByteArray bytes = testBytes(4 * 256);
        QVERIFY(r->window.loadHex(writeHex(HexRecords::image(Base, bytes))));
        const QString other = writeHex(HexRecords::image(Base, testBytes(100)));
        QVERIFY(r->f.connectLink());
        QList<bool> during;
        r->window.show();
        auto *progress = r->window.findChild<QProgressBar *>();
        connect(progress, &QProgressBar::valueChanged, this, [&]() {
            if (progress->value() == 0)
                return;
            for (const char *name : {"pbLoadHex", "pbDefault", "pbFlash", "pbRestart"})
                during.append(button(name)->isEnabled());
            // A second flash, a restart or a load asked for meanwhile does not start.
            r->window.slot_pbFlash_clicked();
            r->window.slot_pbRestart_clicked();
            during.append(r->window.loadHex(other));
            QTest::keyClick(&r->window, Qt::Key_Escape); // nor does the window close
            during.append(!r->window.isVisible());
        });
        // The window stays live between blocks: an event posted before the flash runs before
        // its end.
        int blocksAtEvent = -1;
        QTimer::singleShot(0, this, [&]() { blocksAtEvent = r->flash.blockCount(); });
        r->window.slot_pbFlash_clicked();
        QCOMPARE(blocksAtEvent, 1);
        QCOMPARE(during, QList<bool>(4 * 6, false));
        QCOMPARE(r->flash.blockCount(), 5);
        QCOMPARE(r->f.board.controlCount(FakeBoard::CAN), 0);
        QCOMPARE(r->window.hexFile().data(), bytes);
        for (const char *name : {"pbLoadHex", "pbFlash", "pbRestart"})
            QVERIFY(button(name)->isEnabled());
        QCOMPARE(button("pbDefault")->isEnabled(), hasDefaultImage());
    }

    void restartResetsBoard()
    {
        r->window.slot_pbRestart_clicked(); // without a connection the restart still ends
        QVERIFY(logText().endsWith(QStringLiteral("Restarting...\nDone!")));
        QVERIFY(r->f.connectLink());
        r->f.board.setRebootMs(100);
        // The log shows the restart, with the buttons off, before the board is reset.
        QList<bool> during;
        QTimer::singleShot(0, this, [&]() {
            during.append(logText().endsWith(QStringLiteral("Restarting...")));
            during.append(r->f.board.rebootCount() == 0);
            for (const char *name : {"pbLoadHex", "pbFlash", "pbRestart"})
                during.append(!button(name)->isEnabled());
        });
        button("pbRestart")->click();
        QCOMPARE(during, QList<bool>(5, true));
        QCOMPARE(r->f.board.controlCount(FakeBoard::CAN), 6);
        QCOMPARE(r->f.board.rebootCount(), 1);
        QVERIFY(logText().endsWith(QStringLiteral("Done!\nRestarting...\nDone!")));
        QVERIFY(button("pbRestart")->isEnabled());
    }

private:
    static bool hasDefaultImage() { return QFile::exists(QStringLiteral(":/project/firmware.hex")); }

    QString writeHex(const QByteArray &text)
    {
        QFile file(r->dir.filePath(QStringLiteral("image%1.hex").arg(++m_files)));
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() ? file.fileName()
                                                                                  : QString();
    }

    QPushButton *button(const char *name) const
    {
        return r->window.findChild<QPushButton *>(QLatin1String(name));
    }

    QString logText() const { return r->window.findChild<QPlainTextEdit *>()->toPlainText(); }

    QStringList warnings() const
    {
        QStringList out;
        for (const Prompt::Message &m : r->f.prompt.messages())
            out.append(m.title + QLatin1Char('|') + m.text);
        return out;
    }

    int m_files = 0;
    std::unique_ptr<Rig> r;
};

QTEST_MAIN(TestBootloader)
#include "tst_bootloader.moc"
