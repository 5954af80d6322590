#include "bootloader.h"
#include "fakeboard_flash.h"
#include "hexrecords.h"
#include "linkfixture.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{

constexpr quint32 Base = 0x80050000u;
const QString SendError = QStringLiteral("|Some error during sending appears");
const QString NotConnected = QStringLiteral("|VELMCU board is not connected!");

QByteArray testBytes(int size)
{
    QByteArray bytes;
    quint32 x = quint32(size);
    for (int i = 0; i < size; ++i) {
        x = x * 214013u + 2531011u;
        bytes.append(char(x >> 16));
    }
    return bytes;
}

// The block line as the board receives it (its CR is a line end to the board), built here
// independently of the program's line builder.
QByteArray expectedLine(quint32 address, const QByteArray &data)
{
    auto hex8 = [](quint32 v) { return QByteArray::number(v, 16).rightJustified(8, '0'); };
    return "set flash=" + hex8(address) + hex8(FakeBoardFlash::crc32(data)) +
           hex8(quint32(data.size())) + data.toHex();
}

const QByteArray EndMarkerLine = "set flash=8007fffC1234abcd000000041234abcd";

LinkTiming quickReset()
{
    LinkTiming timing;
    timing.resetLimitMs = 3000;
    return timing;
}

// The window on a link to the simulated board and its flash, with a folder for HEX files.
struct Rig {
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
    void init()
    {
        r = std::make_unique<Rig>();
        QVERIFY(r->dir.isValid());
    }

    void cleanup() { r.reset(); }

    void windowLayout()
    {
        QCOMPARE(r->window.windowTitle(), QStringLiteral("FIRMWARE Update"));
        QCOMPARE(r->window.minimumSize(), r->window.maximumSize());
        QCOMPARE(r->window.windowModality(), Qt::ApplicationModal);
        QCOMPARE(r->window.findChild<QCheckBox *>()->text(),
                 QStringLiteral("Ignore FW Version incompatibility"));
        QVERIFY(!button("pbFlash")->isEnabled()); // nothing is loaded yet

        // The default image is compiled in only when the build names one (KVL_FIRMWARE_HEX).
        QCOMPARE(button("pbDefault")->isEnabled(), hasDefaultImage());
        if (!hasDefaultImage())
            return;
        r->window.slot_pbDefault_clicked();
        QVERIFY(r->window.hexFile().size() > 0);
        QVERIFY(button("pbFlash")->isEnabled());
        QVERIFY(logText().contains(QStringLiteral("File loaded :::/project/firmware.hex")));
    }

    // Loads over an earlier image: refused texts leave nothing to flash; a bad checksum warns
    // and bytes outside the image are logged, but both load.
    void loads_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("warned");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("logEnd");
        const QStringList badFormat{"Error|bad HEX file format!"};
        const QStringList inFile{"|Error in HEX file!"};
        QTest::newRow("not :0") << QByteArray("garbage\n") << badFormat << QByteArray()
                                << QString();
        QTest::newRow(":1 first") << HexRecords::data(0, QByteArray(16, 'x')) << badFormat
                                  << QByteArray() << QString();
        QByteArray truncated = HexRecords::image(Base, testBytes(64));
        truncated.chop(30);
        QTest::newRow("truncated") << truncated << inFile << QByteArray() << QString();
        const QByteArray bytes = testBytes(48);
        QByteArray text = HexRecords::image(Base, bytes);
        // Spoil the checksum of the second data record.
        const int end = text.indexOf("\r\n", text.indexOf(":10", text.indexOf(":10") + 1));
        text[end - 1] = text.at(end - 1) == 'F' ? 'E' : 'F';
        QTest::newRow("checksum") << text << inFile << bytes << QString();
        // A record below the first one's address lies before the image start.
        QTest::newRow("outside") << (HexRecords::extended(0x8005) +
                                     HexRecords::data(0x0010, QByteArray::fromHex("0102")) +
                                     HexRecords::data(0x0000, QByteArray::fromHex("aabbcc")) +
                                     HexRecords::endOfFile())
                                 << QStringList() << QByteArray::fromHex("0102")
                                 << QStringLiteral("3 bytes outside the image were skipped");
    }

    void loads()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, warned);
        QFETCH(QByteArray, data);
        QFETCH(QString, logEnd);
        QVERIFY(r->window.loadHex(writeHex(HexRecords::image(Base, testBytes(40)))));
        QVERIFY(button("pbFlash")->isEnabled());
        const QString path = writeHex(text);
        QCOMPARE(r->window.loadHex(path), !data.isEmpty());
        QCOMPARE(warnings(), warned);
        QCOMPARE(r->window.hexFile().data(), data);
        QCOMPARE(button("pbFlash")->isEnabled(), !data.isEmpty());
        QCOMPARE(logText().contains(QStringLiteral("File loaded ::") + path), !data.isEmpty());
        QVERIFY(logText().endsWith(logEnd));
    }

    void cancelledDialogClearsImage()
    {
        QVERIFY(r->window.loadHex(writeHex(HexRecords::image(Base, testBytes(10)))));
        r->window.slot_pbLoadHex_clicked();
        QCOMPARE(r->f.prompt.fileDialogs(), QStringList{QStringLiteral("Spec path|Files (*.hex)")});
        QCOMPARE(r->window.hexFile().size(), 0);
        QVERIFY(!button("pbFlash")->isEnabled());
        QVERIFY(warnings().isEmpty());

        // A chosen file is loaded.
        const QByteArray bytes = testBytes(20);
        r->f.prompt.queueFile(writeHex(HexRecords::image(Base, bytes)));
        r->window.slot_pbLoadHex_clicked();
        QCOMPARE(r->window.hexFile().data(), bytes);
        QVERIFY(button("pbFlash")->isEnabled());
    }

    void flashWritesBlocks_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("two blocks, no rest") << 512;
        QTest::newRow("block and rest of 44") << 300;
        QTest::newRow("rest only") << 100;
        QTest::newRow("five blocks and rest") << 5 * 256 + 1;
    }

    void flashWritesBlocks()
    {
        QFETCH(int, size);
        const QByteArray bytes = testBytes(size);
        QVERIFY(r->window.loadHex(writeHex(HexRecords::image(Base, bytes))));
        QVERIFY(r->f.connectLink());
        r->window.slot_pbFlash_clicked();

        QList<QByteArray> expected;
        for (int offset = 0; offset < size; offset += 256)
            expected.append(expectedLine(Base + quint32(offset), bytes.mid(offset, 256)));
        expected.append(EndMarkerLine);
        QCOMPARE(r->flash.blockLines(), expected);
        QCOMPARE(r->f.board.lines(), expected);
        QCOMPARE(r->flash.badBlocks(), 0);
        QVERIFY(r->flash.endMarkerSeen());
        QCOMPARE(r->flash.read(Base, size), bytes);
        QCOMPARE(r->flash.writtenEnd(), Base + quint32(size));
        QVERIFY(warnings().isEmpty());
        QVERIFY(logText().contains(QStringLiteral("Flash...")));
        QVERIFY(logText().contains(QStringLiteral("Finished.")));
        QVERIFY(
            logText().contains(QStringLiteral("Please restart MCU! it can take up to 10 seconds")));
        auto *progress = r->window.findChild<QProgressBar *>();
        QCOMPARE(progress->maximum(), size / 256);
        QCOMPARE(progress->value(), progress->maximum());
        // A new image starts the bar again.
        QVERIFY(r->window.loadHex(writeHex(HexRecords::image(Base, testBytes(10)))));
        QCOMPARE(progress->value(), 0);
        if (size == 300) {
            QVERIFY(expected.at(1).startsWith("set flash=80050100"));
            QCOMPARE(expected.at(1).mid(26, 8), QByteArray("0000002c"));
        }
    }

    // Image of 3 full blocks and a rest block: indices 0-2 full, 3 rest, 4 end marker. The
    // board refuses block k with "flash:err" or leaves it unanswered.
    void failedBlockStops_data()
    {
        QTest::addColumn<int>("k");
        QTest::addColumn<bool>("silent");
        for (int k = 0; k <= 4; ++k)
            QTest::addRow("refused %d", k) << k << false;
        for (int k = 2; k <= 4; ++k)
            QTest::addRow("silent %d", k) << k << true;
    }

    void failedBlockStops()
    {
        QFETCH(int, k);
        QFETCH(bool, silent);
        QVERIFY(r->window.loadHex(writeHex(HexRecords::image(Base, testBytes(3 * 256 + 10)))));
        QVERIFY(r->f.connectLink());
        r->f.link.setTimeout(600);
        if (silent)
            r->flash.setSilentAt(k);
        else
            r->flash.setRefuseAt(k);
        r->window.slot_pbFlash_clicked();
        QCOMPARE(r->flash.blockCount(), k + 1);
        QCOMPARE(r->flash.endMarkerSeen(), false);
        QCOMPARE(warnings(), QStringList{SendError});
        QCOMPARE(logText().split(QLatin1Char('\n')).last().trimmed(), QStringLiteral("Error"));
        QVERIFY(!logText().contains(QStringLiteral("Finished.")));
        QVERIFY(button("pbFlash")->isEnabled());
    }

    void notConnectedSendsNothing()
    {
        QVERIFY(r->window.loadHex(writeHex(HexRecords::image(Base, testBytes(300)))));
        r->window.slot_pbFlash_clicked();
        QCOMPARE(warnings(), QStringList{NotConnected});
        QVERIFY(!logText().contains(QStringLiteral("Flash...")));

        Bootloader unlinked(nullptr);
        QVERIFY(unlinked.loadHex(writeHex(HexRecords::image(Base, testBytes(30)))));
        unlinked.slot_pbFlash_clicked();
        QCOMPARE(warnings(), (QStringList{NotConnected, NotConnected}));
    }

    void buttonsDisabledWhileFlashing()
    {
        const QByteArray bytes = testBytes(4 * 256);
        QVERIFY(r->window.loadHex(writeHex(HexRecords::image(Base, bytes))));
        const QString other = writeHex(HexRecords::image(Base, testBytes(100)));
        QVERIFY(r->f.connectLink());
        QList<bool> loadsDuring;
        QList<bool> enabledDuring;
        auto *progress = r->window.findChild<QProgressBar *>();
        connect(progress, &QProgressBar::valueChanged, this, [&]() {
            if (progress->value() == 0)
                return;
            for (const char *name : {"pbLoadHex", "pbDefault", "pbFlash", "pbRestart"})
                enabledDuring.append(button(name)->isEnabled());
            // A second flash or a load asked for meanwhile does not start.
            r->window.slot_pbFlash_clicked();
            loadsDuring.append(r->window.loadHex(other));
        });
        r->window.slot_pbFlash_clicked();
        QCOMPARE(enabledDuring, QList<bool>(4 * 4, false));
        QCOMPARE(r->flash.blockCount(), 5);
        QCOMPARE(loadsDuring, QList<bool>(4, false));
        QCOMPARE(r->flash.read(Base, bytes.size()), bytes);
        QCOMPARE(r->window.hexFile().data(), bytes);
        QVERIFY(button("pbLoadHex")->isEnabled());
        QVERIFY(button("pbFlash")->isEnabled());
        QVERIFY(button("pbRestart")->isEnabled());
        QCOMPARE(button("pbDefault")->isEnabled(), hasDefaultImage());
    }

    void restartResetsBoard()
    {
        // Without a connection the restart still ends.
        r->window.slot_pbRestart_clicked();
        QVERIFY(logText().endsWith(QStringLiteral("Restarting...\nDone!")));
        QCOMPARE(r->f.board.controlCount(FakeBoard::CAN), 0);

        QVERIFY(r->f.connectLink());
        r->f.board.setRebootMs(100);
        r->window.slot_pbRestart_clicked();
        QCOMPARE(r->f.board.controlCount(FakeBoard::CAN), 6);
        QCOMPARE(r->f.board.rebootCount(), 1);
        QVERIFY(logText().endsWith(QStringLiteral("Restarting...\nDone!")));
        QVERIFY(button("pbRestart")->isEnabled());
    }

    void ignoreBoxTogglesOption()
    {
        auto *box = r->window.findChild<QCheckBox *>();
        r->window.setIgnoreVersion(true);
        QVERIFY(box->isChecked());
        QSignalSpy spy(&r->window, &Bootloader::signal_ignoreVersionChanged);
        box->click();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toBool(), false);
        QVERIFY(logText().endsWith(QStringLiteral("Compatibility checking is ENABLED")));
        box->click();
        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy.at(1).at(0).toBool(), true);
        QVERIFY(r->window.ignoreVersion());
        QVERIFY(logText().endsWith(QStringLiteral("Compatibility checking is DISABLED")));
    }

private:
    static bool hasDefaultImage()
    {
        return QFile::exists(QStringLiteral(":/project/firmware.hex"));
    }

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
