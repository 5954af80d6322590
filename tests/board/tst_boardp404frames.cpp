// KVL52404 frames through the 32-bit SPI tool to a simulated KVL52404 on a pseudo-terminal:
// frame words and CRCs, map reads and writes, address checks, CRC and SPIERR answers, and the
// voltage readouts.
#include "boardglobals.h"
#include "powerappfixture.h"
#include "powerprobe.h"

#include <QMutex>
#include <QtTest>

namespace
{

const QByteArray Get = QByteArrayLiteral("get SPILEDCS0DATA");

QList<QByteArray> frame(quint32 word)
{
    return {QByteArrayLiteral("set SPILEDCS0DATA=04") +
                QByteArray::number(word, 16).rightJustified(8, '0'),
            Get};
}

// Counts the tones of one frequency, from any thread.
class CountingTones : public ToneOutput
{
public:
    explicit CountingTones(int frequency) : m_frequency(frequency) { install(this); }
    ~CountingTones() override { install(nullptr); }
    void play(int frequencyHz, int) override
    {
        QMutexLocker lock(&m_mutex);
        m_count += frequencyHz == m_frequency;
    }
    int count()
    {
        QMutexLocker lock(&m_mutex);
        return m_count;
    }

private:
    QMutex m_mutex;
    int m_frequency;
    int m_count = 0;
};

QStringList logTexts(const QSignalSpy &spy, int level)
{
    QStringList texts;
    for (const QList<QVariant> &args : spy)
        if (args.at(0).toInt() == level)
            texts << args.at(1).toString();
    return texts;
}

QStringList list(std::initializer_list<const char *> items)
{
    QStringList texts;
    for (const char *item : items)
        texts << QLatin1String(item);
    return texts;
}

} // namespace

class TestBoardP404Frames : public QObject
{
    Q_OBJECT

    PowerAppFixture f;
    Board *page = nullptr;

    quint32 map(const char *field)
    {
        return page
            ->get(QStringLiteral("SPI_MAPP404[%1]").arg(QLatin1String(field)),
                  Variable::InternalKey)
            .toUInt();
    }
    void setMap(const char *field, quint32 value)
    {
        QVERIFY(page->set(QStringLiteral("SPI_MAPP404[%1]").arg(QLatin1String(field)), value,
                          Variable::InternalKey));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        page = f.page();
        QVERIFY(page);
        // The set-up wrote the model while the page was offline; bring the widgets level, so
        // that the refresh after a read acts on nothing.
        page->slot_updateAllControls();
    }

    void init() { f.take(); }

    void cleanup()
    {
        QCOMPARE(f.spi.violations(), QStringList());
        f.spi.setCorruptAnswerCrc(false);
        PowerProbe::setFromButton(page, false);
    }

    void crcStep_data()
    {
        QTest::addColumn<uint>("data");
        QTest::addColumn<uint>("crc");
        QTest::addColumn<uint>("result");
        QTest::newRow("0 from 0") << 0u << 0u << 0u;
        QTest::newRow("1 from 0") << 1u << 0u << 3u;
        QTest::newRow("8 from 0") << 8u << 0u << 0xBu; // x^7 mod x^4 + x + 1
        QTest::newRow("0 from 15") << 0u << 15u << 2u;
        QTest::newRow("only the low nibble") << 0x31u << 0u << 3u;
    }

    void crcStep()
    {
        QFETCH(uint, data);
        QFETCH(uint, crc);
        QFETCH(uint, result);
        QCOMPARE(Board::f_crc_T(data, crc), quint32(result));
    }

    void crcSizes()
    {
        Register odd(30, QStringLiteral("odd"));
        Register nibble(4, QStringLiteral("nibble"));
        Register empty;
        QCOMPARE(Board::CalculateCrc_T(odd), 15u);
        QCOMPARE(Board::CalculateCrc_T(nibble), 15u);
        QCOMPARE(Board::CalculateCrc_Ext_T(empty), 15u);
        QCOMPARE(Board::CalculateCrc_Ext_T(odd), 15u);
        nibble.setValue(0x6, true);
        QCOMPARE(Board::CalculateCrc_Ext_T(nibble), Board::f_crc_T(0x6, 15));
        // A block ending in its own CRC checks to 0.
        Register block(8, QStringLiteral("block"));
        block.setValue(0x60 | Board::f_crc_T(0x6, 15), true);
        QCOMPARE(Board::CalculateCrc_Ext_T(block), 0u);
        QCOMPARE(Board::CalculateCrc_T(block), Board::f_crc_T(0x6, 15));
    }

    void addresses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("address");
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("63") << "63" << 63;
        QTest::newRow("07") << "07" << 7;
        QTest::newRow("64") << "64" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("-1") << "-1" << -1;
        QTest::newRow("+5") << "+5" << -1;
        QTest::newRow("space") << " 5" << -1;
        QTest::newRow("hex") << "0x5" << -1;
        QTest::newRow("100") << "100" << -1;
    }

    void addresses()
    {
        QFETCH(QString, text);
        QFETCH(int, address);
        QCOMPARE(Board::p404Address(text), address);
    }

    // A list with an element that names no word sends nothing at all.
    void refusedLists_data()
    {
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<QString>("bad");
        QTest::newRow("last") << list({"1", "x"}) << "x";
        QTest::newRow("empty element") << list({"", "2"}) << "";
        QTest::newRow("64") << list({"5", "64", "6"}) << "64";
    }

    void refusedLists()
    {
        QFETCH(QStringList, addresses);
        QFETCH(QString, bad);
        for (bool write : {false, true}) {
            QSignalSpy log(page, &Applet::signal_log);
            QVERIFY(!(write ? page->MemoryWrite(addresses) : page->MemoryRead(addresses)));
            QCOMPARE(f.take(), QList<QByteArray>());
            const QStringList errors = logTexts(log, -1);
            QCOMPARE(errors.size(), 1);
            QVERIFY2(errors.first().contains(QLatin1Char('"') + bad + QLatin1Char('"')),
                     qPrintable(errors.first()));
        }
    }

    void emptyLists()
    {
        QVERIFY(!page->MemoryRead({}));
        QVERIFY(!page->MemoryWrite({}));
        QCOMPARE(f.take(), QList<QByteArray>());
    }

    void readFrame()
    {
        f.spi.setKvl52404Word(55, 0x100);
        QSignalSpy log(page, &Applet::signal_log);
        QVERIFY(page->MemoryRead({QStringLiteral("55")}));
        QCOMPARE(f.take(), frame(0x6E000009));
        QCOMPARE(map("VBST"), 0x100u);
        QCOMPARE(logTexts(log, 0), list({"SPIMemoryRead", "Address 55"}));
        QCOMPARE(logTexts(log, 1), QStringList());
    }

    void writeFrame()
    {
        setMap("BUCK1_EN", 1);
        setMap("BUCK2_EN", 1);
        f.take();
        QVERIFY(page->MemoryWrite({QStringLiteral("13")}));
        QCOMPARE(f.take(), frame(0x9A000035));
        QCOMPARE(f.spi.kvl52404Word(13), 3u);
    }

    void readsInOrder()
    {
        f.spi.setKvl52404Word(5, 0x12345);
        f.spi.setKvl52404Word(6, 0x1F);
        QVERIFY(page->MemoryRead(list({"5", "06"})));
        const QList<QByteArray> lines = f.take();
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines.at(0).startsWith("set SPILEDCS0DATA=040a"));
        QVERIFY(lines.at(2).startsWith("set SPILEDCS0DATA=040c"));
        QCOMPARE(map("BUCK2_IAVG"), 0x45u);
        QCOMPARE(map("BUCK2_FREQ"), 0x1Fu);
    }

    // A wrong answer CRC keeps the data and the result and always leaves a warning; the beep
    // and the box only come from a bound push button.
    void corruptAnswers_data()
    {
        QTest::addColumn<bool>("fromButton");
        QTest::addColumn<bool>("write");
        QTest::newRow("read") << false << false;
        QTest::newRow("write") << false << true;
        QTest::newRow("read from button") << true << false;
        QTest::newRow("write from button") << true << true;
    }

    void corruptAnswers()
    {
        QFETCH(bool, fromButton);
        QFETCH(bool, write);
        CountingTones tones(880);
        const int boxes = f.prompt.messages().size();
        f.spi.setKvl52404Word(3, 0x777);
        setMap("BUCK2_DIM_DUTY", 0x21);
        f.spi.setCorruptAnswerCrc(true);
        PowerProbe::setFromButton(page, fromButton);
        QSignalSpy log(page, &Applet::signal_log);
        QVERIFY(write ? page->MemoryWrite({QStringLiteral("7")})
                      : page->MemoryRead({QStringLiteral("3")}));
        const QString text = write ? QStringLiteral("CRC failed, Written data invalid!")
                                   : QStringLiteral("CRC failed, Read data invalid!");
        QCOMPARE(logTexts(log, 1), QStringList{text});
        if (write)
            QCOMPARE(f.spi.kvl52404Word(7) >> 2 & 0xFF, 0x21u);
        else
            QCOMPARE(map("BUCK1_DIM_DUTY"), (0x777u >> 2) & 0xFF);
        QCOMPARE(tones.count(), fromButton ? 1 : 0);
        const QList<Prompt::Message> messages = f.prompt.messages();
        QCOMPARE(messages.size(), boxes + (fromButton ? 1 : 0));
        if (fromButton)
            QCOMPARE(messages.last().text, text);
    }

    // SPIERR in the answer just received fails the list there; the next clean answer passes.
    void spiErrors()
    {
        f.spi.scriptAnswer("SPILEDCS0DATA", "SPILEDCS0DATA=0480000000");
        QVERIFY(!page->MemoryRead(list({"1", "2"})));
        QCOMPARE(f.take().size(), 2);
        QVERIFY(page->MemoryRead(list({"1", "2"})));
        QCOMPARE(f.take().size(), 4);
        f.spi.scriptAnswer("SPILEDCS0DATA", "SPILEDCS0DATA=0480000000");
        QVERIFY(!page->MemoryWrite(list({"1", "2"})));
        QCOMPARE(f.take().size(), 2);
        QVERIFY(page->MemoryWrite({QStringLiteral("2")}));
        QVERIFY(page->MemoryRead({QStringLiteral("3")}));
    }

    void boostReadout()
    {
        f.spi.setKvl52404Word(55, 400);
        QVERIFY(page->readVBoost());
        QCOMPARE(boardGlobals().BoostVoltageMeas.value(), 54.6875);
        QCOMPARE(f.take(), frame(0x6E000009));
    }

    void ledReadouts_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<bool>("halfRange");
        QTest::addColumn<double>("volts");
        QTest::newRow("1 half") << 1 << true << 17.5;
        QTest::newRow("1 full") << 1 << false << 35.0;
        QTest::newRow("2 half") << 2 << true << 17.5;
        QTest::newRow("2 full") << 2 << false << 35.0;
    }

    void ledReadouts()
    {
        QFETCH(int, channel);
        QFETCH(bool, halfRange);
        QFETCH(double, volts);
        const int control = channel == 1 ? 2 : 6;
        const int measured = channel == 1 ? 35 : 42;
        f.spi.setKvl52404Word(control, halfRange ? 1u << 14 : 0u);
        f.spi.setKvl52404Word(measured, 256);
        QVERIFY(page->readVLed(channel));
        const Variable &v = channel == 1 ? boardGlobals().VLED1 : boardGlobals().VLED2;
        QCOMPARE(v.value(), volts);
        const QList<QByteArray> lines = f.take();
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.at(0).mid(20, 2),
                 QByteArray::number(control << 1, 16).rightJustified(2, '0'));
    }

    void otherChannels()
    {
        QVERIFY(!page->readVLed(0));
        QVERIFY(!page->readVLed(3));
        QCOMPARE(f.take(), QList<QByteArray>());
    }

    void voltageButtons()
    {
        f.spi.setKvl52404Word(42, 0x1AB);
        page->on_pbBCK2VLED_clicked();
        QCOMPARE(map("VLED2"), 0x1ABu);
        QCOMPARE(f.take().size(), 2);
        page->on_pbBCK1VLED_clicked();
        QCOMPARE(f.take().first().mid(18, 4), QByteArrayLiteral("0446"));
    }

    // Last: the refusal stays for the rest of the run.
    void transferFailure()
    {
        f.board.refuse("SPILEDCS0DATA");
        QVERIFY(!page->MemoryRead(list({"1", "2"})));
        QVERIFY(!page->MemoryWrite(list({"1", "2"})));
        QVERIFY(!page->readVBoost());
        QVERIFY(!page->readVLed(1));
        const QList<QByteArray> lines = f.take();
        QCOMPARE(lines.size(), 4); // one refused frame each
    }
};

QTEST_MAIN(TestBoardP404Frames)
#include "tst_boardp404frames.moc"
