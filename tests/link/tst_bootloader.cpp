#include "bootloader.h"
#include "controlboard.h"
#include "fakeboard.h"
#include "fakeboard_flash.h"
#include "hexrecords.h"
#include "recordingprompt.h"

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

} // namespace

// The firmware-update window against the simulated board on a pseudo-terminal.
class TestBootloader : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowLayout();
    void loadRefusals_data();
    void loadRefusals();
    void checksumErrorStillLoads();
    void outsideBytesAreReported();
    void cancelledDialogClearsImage();
    void defaultImage();
    void flashWritesBlocks_data();
    void flashWritesBlocks();
    void refusedBlockStops_data();
    void refusedBlockStops();
    void unansweredBlockFails_data();
    void unansweredBlockFails();
    void notConnectedSendsNothing();
    void buttonsDisabledWhileFlashing();
    void restartResetsBoard();
    void ignoreBoxTogglesOption();

private:
    QString writeHex(const QByteArray &text);
    void connectBoard();
    QPushButton *button(const char *name) const;
    QString logText() const;
    QStringList warnings() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingPrompt> m_prompt;
    std::unique_ptr<FakeBoard> m_board;
    std::unique_ptr<FakeBoardFlash> m_flash;
    std::unique_ptr<ControlBoard> m_link;
    std::unique_ptr<Bootloader> m_window;
};

void TestBootloader::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_prompt = std::make_unique<RecordingPrompt>();
    m_board = std::make_unique<FakeBoard>();
    QVERIFY(m_board->isValid());
    m_flash = std::make_unique<FakeBoardFlash>(*m_board);
    LinkTiming timing;
    timing.resetLimitMs = 3000;
    m_link = std::make_unique<ControlBoard>(timing);
    m_window = std::make_unique<Bootloader>(m_link.get());
}

void TestBootloader::cleanup()
{
    m_window.reset();
    m_link.reset();
    m_flash.reset();
    m_board.reset();
    m_prompt.reset();
    m_dir.reset();
}

QString TestBootloader::writeHex(const QByteArray &text)
{
    static int counter = 0;
    const QString path = m_dir->filePath(QStringLiteral("image%1.hex").arg(++counter));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return QString();
    return path;
}

void TestBootloader::connectBoard()
{
    QVERIFY(m_link->connectBoard(m_board->devicePath()));
    m_board->clearRecords();
}

QPushButton *TestBootloader::button(const char *name) const
{
    return m_window->findChild<QPushButton *>(QLatin1String(name));
}

QString TestBootloader::logText() const
{
    return m_window->findChild<QPlainTextEdit *>()->toPlainText();
}

QStringList TestBootloader::warnings() const
{
    QStringList out;
    for (const Prompt::Message &m : m_prompt->messages())
        out.append(m.title + QLatin1Char('|') + m.text);
    return out;
}

void TestBootloader::windowLayout()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("FIRMWARE Update"));
    QCOMPARE(m_window->size(), QSize(518, 163));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    QCOMPARE(m_window->windowModality(), Qt::ApplicationModal);
    QVERIFY(m_window->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(m_window->windowFlags() & Qt::WindowMinimizeButtonHint));
    QCOMPARE(button("pbLoadHex")->text(), QStringLiteral("LoadHex"));
    QCOMPARE(button("pbDefault")->text(), QStringLiteral("Default"));
    QCOMPARE(button("pbFlash")->text(), QStringLiteral("Flash"));
    QCOMPARE(button("pbRestart")->text(), QStringLiteral("Restart"));
    QCOMPARE(m_window->findChild<QCheckBox *>()->text(),
             QStringLiteral("Ignore FW Version incompatibility"));
    // Nothing is loaded yet.
    QVERIFY(!button("pbFlash")->isEnabled());
    QVERIFY(button("pbLoadHex")->isEnabled());
    QCOMPARE(m_window->findChild<QProgressBar *>()->value(), 0);
}

void TestBootloader::loadRefusals_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("warning");
    QTest::newRow("not :0") << QByteArray("garbage\n")
                            << QStringLiteral("Error|bad HEX file format!");
    QTest::newRow(":1 first") << HexRecords::data(0, QByteArray(16, 'x'))
                              << QStringLiteral("Error|bad HEX file format!");
    QByteArray truncated = HexRecords::image(Base, testBytes(64));
    truncated.chop(30);
    QTest::newRow("truncated") << truncated << QStringLiteral("|Error in HEX file!");
}

void TestBootloader::loadRefusals()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, warning);
    QVERIFY(m_window->loadHex(writeHex(HexRecords::image(Base, testBytes(40)))));
    QVERIFY(button("pbFlash")->isEnabled());
    QVERIFY(!m_window->loadHex(writeHex(text)));
    QCOMPARE(warnings(), QStringList{warning});
    QCOMPARE(m_window->hexFile().size(), 0);
    QVERIFY(!button("pbFlash")->isEnabled());
}

void TestBootloader::checksumErrorStillLoads()
{
    const QByteArray bytes = testBytes(48);
    QByteArray text = HexRecords::image(Base, bytes);
    // Spoil the checksum of the second data record.
    const int secondData = text.indexOf(":10", text.indexOf(":10") + 1);
    const int end = text.indexOf("\r\n", secondData);
    text[end - 1] = text.at(end - 1) == 'F' ? 'E' : 'F';
    const QString path = writeHex(text);
    QVERIFY(m_window->loadHex(path));
    QCOMPARE(warnings(), QStringList{QStringLiteral("|Error in HEX file!")});
    QCOMPARE(m_window->hexFile().data(), bytes);
    QVERIFY(button("pbFlash")->isEnabled());
    QVERIFY(logText().contains(QStringLiteral("File loaded ::") + path));
}

void TestBootloader::outsideBytesAreReported()
{
    // A record below the first one's address lies before the image start.
    QByteArray text = HexRecords::extended(0x8005);
    text += HexRecords::data(0x0010, QByteArray::fromHex("0102"));
    text += HexRecords::data(0x0000, QByteArray::fromHex("aabbcc"));
    text += HexRecords::endOfFile();
    QVERIFY(m_window->loadHex(writeHex(text)));
    QVERIFY(warnings().isEmpty());
    QCOMPARE(m_window->hexFile().data(), QByteArray::fromHex("0102"));
    QVERIFY(logText().endsWith(QStringLiteral("3 bytes outside the image were skipped")));
}

void TestBootloader::cancelledDialogClearsImage()
{
    QVERIFY(m_window->loadHex(writeHex(HexRecords::image(Base, testBytes(10)))));
    m_window->slot_pbLoadHex_clicked();
    QCOMPARE(m_prompt->fileDialogs(), QStringList{QStringLiteral("Spec path|Files (*.hex)")});
    QCOMPARE(m_window->hexFile().size(), 0);
    QVERIFY(!button("pbFlash")->isEnabled());
    QVERIFY(warnings().isEmpty());

    // A chosen file is loaded.
    const QByteArray bytes = testBytes(20);
    m_prompt->queueFile(writeHex(HexRecords::image(Base, bytes)));
    m_window->slot_pbLoadHex_clicked();
    QCOMPARE(m_window->hexFile().data(), bytes);
    QVERIFY(button("pbFlash")->isEnabled());
}

void TestBootloader::defaultImage()
{
    // The default image is compiled in only when the build names one (KVL_FIRMWARE_HEX).
    const bool compiledIn = QFile::exists(QStringLiteral(":/project/firmware.hex"));
    QCOMPARE(button("pbDefault")->isEnabled(), compiledIn);
    if (!compiledIn)
        return;
    m_window->slot_pbDefault_clicked();
    QVERIFY(m_window->hexFile().size() > 0);
    QVERIFY(button("pbFlash")->isEnabled());
    QVERIFY(logText().contains(QStringLiteral("File loaded :::/project/firmware.hex")));
}

void TestBootloader::flashWritesBlocks_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("two blocks, no rest") << 512;
    QTest::newRow("block and rest of 44") << 300;
    QTest::newRow("rest only") << 100;
    QTest::newRow("five blocks and rest") << 5 * 256 + 1;
}

void TestBootloader::flashWritesBlocks()
{
    QFETCH(int, size);
    const QByteArray bytes = testBytes(size);
    QVERIFY(m_window->loadHex(writeHex(HexRecords::image(Base, bytes))));
    connectBoard();
    m_window->slot_pbFlash_clicked();

    QList<QByteArray> expected;
    for (int offset = 0; offset < size; offset += 256)
        expected.append(expectedLine(Base + quint32(offset), bytes.mid(offset, 256)));
    expected.append(EndMarkerLine);
    QCOMPARE(m_flash->blockLines(), expected);
    QCOMPARE(m_board->lines(), expected);
    QCOMPARE(m_flash->badBlocks(), 0);
    QVERIFY(m_flash->endMarkerSeen());
    QCOMPARE(m_flash->read(Base, size), bytes);
    QCOMPARE(m_flash->writtenEnd(), Base + quint32(size));
    QVERIFY(warnings().isEmpty());
    QVERIFY(logText().contains(QStringLiteral("Flash...")));
    QVERIFY(logText().contains(QStringLiteral("Finished.")));
    QVERIFY(logText().contains(QStringLiteral("Please restart MCU! it can take up to 10 seconds")));
    auto *progress = m_window->findChild<QProgressBar *>();
    QCOMPARE(progress->maximum(), size / 256);
    QCOMPARE(progress->value(), progress->maximum());
    if (size == 300) {
        QVERIFY(expected.at(1).startsWith("set flash=80050100"));
        QCOMPARE(expected.at(1).mid(26, 8), QByteArray("0000002c"));
    }
}

void TestBootloader::refusedBlockStops_data()
{
    QTest::addColumn<int>("refuseAt");
    // Image of 3 full blocks and a rest block: indices 0-2 full, 3 rest, 4 end marker.
    QTest::newRow("first block") << 0;
    QTest::newRow("middle block") << 1;
    QTest::newRow("last full block") << 2;
    QTest::newRow("rest block") << 3;
    QTest::newRow("end marker") << 4;
}

void TestBootloader::refusedBlockStops()
{
    QFETCH(int, refuseAt);
    QVERIFY(m_window->loadHex(writeHex(HexRecords::image(Base, testBytes(3 * 256 + 10)))));
    connectBoard();
    m_flash->setRefuseAt(refuseAt);
    m_window->slot_pbFlash_clicked();
    QCOMPARE(m_flash->blockCount(), refuseAt + 1);
    QCOMPARE(m_flash->endMarkerSeen(), false);
    QCOMPARE(warnings(), QStringList{QStringLiteral("|Some error during sending appears")});
    QCOMPARE(logText().split(QLatin1Char('\n')).last().trimmed(), QStringLiteral("Error"));
    QVERIFY(!logText().contains(QStringLiteral("Finished.")));
    QVERIFY(button("pbFlash")->isEnabled());
}

void TestBootloader::unansweredBlockFails_data()
{
    QTest::addColumn<int>("silentAt");
    // Image of 2 full blocks and a rest block: 0-1 full, 2 rest, 3 end marker.
    QTest::newRow("full block") << 1;
    QTest::newRow("rest block") << 2;
    QTest::newRow("end marker") << 3;
}

void TestBootloader::unansweredBlockFails()
{
    QFETCH(int, silentAt);
    QVERIFY(m_window->loadHex(writeHex(HexRecords::image(Base, testBytes(2 * 256 + 7)))));
    connectBoard();
    m_link->setTimeout(600);
    m_flash->setSilentAt(silentAt);
    m_window->slot_pbFlash_clicked();
    QCOMPARE(m_flash->blockCount(), silentAt + 1);
    QCOMPARE(warnings(), QStringList{QStringLiteral("|Some error during sending appears")});
    QVERIFY(!logText().contains(QStringLiteral("Finished.")));
}

void TestBootloader::notConnectedSendsNothing()
{
    QVERIFY(m_window->loadHex(writeHex(HexRecords::image(Base, testBytes(300)))));
    m_window->slot_pbFlash_clicked();
    QCOMPARE(warnings(), QStringList{QStringLiteral("|VELMCU board is not connected!")});
    QVERIFY(!logText().contains(QStringLiteral("Flash...")));

    Bootloader unlinked(nullptr);
    QVERIFY(unlinked.loadHex(writeHex(HexRecords::image(Base, testBytes(30)))));
    unlinked.slot_pbFlash_clicked();
    QCOMPARE(warnings().size(), 2);
    QCOMPARE(warnings().last(), QStringLiteral("|VELMCU board is not connected!"));
    QTest::qWait(50);
    QCOMPARE(m_board->lines(), QList<QByteArray>());
}

void TestBootloader::buttonsDisabledWhileFlashing()
{
    const QByteArray bytes = testBytes(4 * 256);
    QVERIFY(m_window->loadHex(writeHex(HexRecords::image(Base, bytes))));
    const QString other = writeHex(HexRecords::image(Base, testBytes(100)));
    connectBoard();
    QList<bool> loadsDuring;
    QList<bool> enabledDuring;
    int progressSteps = 0;
    auto *progress = m_window->findChild<QProgressBar *>();
    connect(progress, &QProgressBar::valueChanged, this, [&]() {
        if (progress->value() == 0)
            return;
        ++progressSteps;
        for (const char *name : {"pbLoadHex", "pbDefault", "pbFlash", "pbRestart"})
            enabledDuring.append(button(name)->isEnabled());
        // A second flash or a load asked for meanwhile does not start.
        m_window->slot_pbFlash_clicked();
        loadsDuring.append(m_window->loadHex(other));
    });
    m_window->slot_pbFlash_clicked();
    QCOMPARE(progressSteps, 4);
    QVERIFY(!enabledDuring.contains(true));
    QCOMPARE(m_flash->blockCount(), 5);
    QCOMPARE(loadsDuring, QList<bool>(4, false));
    QCOMPARE(m_flash->read(Base, bytes.size()), bytes);
    QCOMPARE(m_window->hexFile().data(), bytes);
    QVERIFY(button("pbLoadHex")->isEnabled());
    QVERIFY(button("pbFlash")->isEnabled());
    QVERIFY(button("pbRestart")->isEnabled());
    QCOMPARE(button("pbDefault")->isEnabled(),
             QFile::exists(QStringLiteral(":/project/firmware.hex")));
}

void TestBootloader::restartResetsBoard()
{
    // Without a connection the restart still ends.
    m_window->slot_pbRestart_clicked();
    QVERIFY(logText().endsWith(QStringLiteral("Restarting...\nDone!")));
    QCOMPARE(m_board->controlCount(FakeBoard::CAN), 0);

    connectBoard();
    m_board->setRebootMs(100);
    m_window->slot_pbRestart_clicked();
    QCOMPARE(m_board->controlCount(FakeBoard::CAN), 6);
    QCOMPARE(m_board->rebootCount(), 1);
    const QString log = logText();
    QVERIFY(log.indexOf(QStringLiteral("Restarting...")) >= 0);
    QVERIFY(log.indexOf(QStringLiteral("Done!")) > log.indexOf(QStringLiteral("Restarting...")));
    QVERIFY(button("pbRestart")->isEnabled());
}

void TestBootloader::ignoreBoxTogglesOption()
{
    auto *box = m_window->findChild<QCheckBox *>();
    m_window->setIgnoreVersion(true);
    QVERIFY(box->isChecked());
    QSignalSpy spy(m_window.get(), &Bootloader::signal_ignoreVersionChanged);
    box->click();
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
    QVERIFY(logText().endsWith(QStringLiteral("Compatibility checking is ENABLED")));
    box->click();
    QCOMPARE(spy.size(), 2);
    QCOMPARE(spy.at(1).at(0).toBool(), true);
    QVERIFY(m_window->ignoreVersion());
    QVERIFY(logText().endsWith(QStringLiteral("Compatibility checking is DISABLED")));
}

QTEST_MAIN(TestBootloader)
#include "tst_bootloader.moc"
