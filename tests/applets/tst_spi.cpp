// The three SPI tools on the simulated board: the lines of 16-bit and 32-bit transfers, of the
// EEPROM's instructions, block reads and page writes, and the readers of the board's EEPROM.
#include "logrecorder.h"
#include "spiappfixture.h"
#include "variable.h"

#include <QLoggingCategory>
#include <QtTest>
#include <utility>

namespace
{

enum Tool { Raw, Wide, Eeprom };
const char *const DataName[] = {"SPI0CS0DATA", "SPILEDCS5DATA", "SPI0CS3DATA"};
const char *const OutName[] = {"SpiOut[]", "SpiOut4B[]", "DataOut[]"};
Applet *tool(int t)
{
    return t == Raw ? spiRaw : t == Wide ? spiRaw4B : (Applet *)spiEEPROM;
}
quint32 out(int t)
{
    return tool(t)->get(OutName[t], Variable::InternalKey).toUInt();
}
void put(int t, const QString &name, const QVariant &v)
{
    tool(t)->set(name, v, Variable::InternalKey);
}

// One transfer of each tool (the EEPROM's status read); its result.
bool transfer(int t, quint32 request = 0x1234)
{
    if (t == Eeprom)
        return spiEEPROM->run("readStatus", QVariant()).toBool();
    put(t, t == Raw ? "SpiIn[]" : "SpiIn4B[]", uint(request));
    return t == Raw ? spiRaw->transfer() : spiRaw4B->transfer();
}

// The traces of the EEPROM block readers, without the frame traces.
QStringList traced;
QtMessageHandler previousHandler = nullptr;
void recordTrace(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtDebugMsg)
        previousHandler(type, context, text);
    else if (!text.startsWith("Written data to") && !text.startsWith("Data"))
        traced << text;
}
QStringList takeTraces()
{
    return std::exchange(traced, {});
}

QList<int> fieldsOf(const DriverParams &p)
{
    return {p.w0, p.w1, p.b0, p.b1,  p.w2,  p.w3, p.w4, p.w5,  p.b2,  p.w6, p.w7, p.w8,
            p.w9, p.b3, p.b4, p.w10, p.w11, p.b5, p.b6, p.w12, p.w13, p.b7, p.b8};
}
QList<int> fieldsOf(const BuckParams &p)
{
    return {p.w0, p.w1, p.w2, p.b0, p.b1, p.b2, p.w3, p.w4,  p.w5,
            p.b3, p.b4, p.b5, p.w6, p.w7, p.w8, p.w9, p.w10, p.w11};
}
QList<int> fieldsOf(const BoostParams &p)
{
    return {p.w0, p.w1, p.w2, p.b0, p.b1, p.b2, p.w3, p.w4, p.w5, p.b3, p.b4, p.b5, p.b6};
}
DeviceConfig configAt(int paramsAddress)
{
    DeviceConfig config;
    config.paramsAddress = quint8(paramsAddress);
    config.valid = true;
    return config;
}
QList<QByteArray> setGet(const QByteArray &value)
{
    return {"set SPI0CS3DATA=" + value, "get SPI0CS3DATA"};
}

} // namespace

class TestSpi : public QObject
{
    Q_OBJECT

    SpiAppFixture f;

private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("kvl.applets.debug=true"));
        previousHandler = qInstallMessageHandler(recordTrace);
        QVERIFY(f.start());
        // The items each tool offers to its form and to requests.
        QCOMPARE(spiRaw->itemNames(), QString("SpiIn SpiOut SPIFreq").split(' '));
        QCOMPARE(spiRaw4B->itemNames(),
                 QString("SpiIn4B SpiOut4B SPIFreq4B SPIChannel4B CRCValid CRCType").split(' '));
        QCOMPARE(spiEEPROM->itemNames(),
                 QString("EEPROMFreq EEPROMChannel OpCode Address DataIn DataOut").split(' '));
        // A fresh window's byte write puts byte 0 at address 0.
        f.take();
        QCOMPARE(spiEEPROM->run("writeByte", QVariant()), QVariant(true));
        QCOMPARE(f.take(), setGet("0406000000") + setGet("0402000000"));
    }
    // Each tool's pointer names its newest window and none once that one is gone.
    void cleanupTestCase()
    {
        qInstallMessageHandler(previousHandler);
        const auto *raw = new SpiRaw;
        const auto *wide = new SpiRaw4B;
        const auto *eeprom = new SpiEEPROM;
        QVERIFY(spiRaw == raw && spiRaw4B == wide && spiEEPROM == eeprom);
        delete raw;
        delete wide;
        delete eeprom;
        QVERIFY(!spiRaw && !spiRaw4B && !spiEEPROM);
    }

    void init()
    {
        f.eeprom.load(FakeSpiEeprom::image(FakeSpiEeprom::Kvl52404Board));
        spiEEPROM->run("disableWrite", QVariant());
        put(Wide, "SPIChannel4B", 5);
        put(Eeprom, "EEPROMChannel", 3);
        f.eeprom.clearViolations();
        f.take();
        takeTraces();
    }

    // An answer that is not a word of the tool's width fails the transfer whole: false, the
    // output kept, one error entry.
    void answers_data()
    {
        QTest::addColumn<QString>("row"); // tool (Raw, Wide, Eeprom)|answer|word, "-": fails
        for (const char *row :
             {"R|SPI0CS0DATA=02BEEF|beef", "R|SPI0CS0DATA=07beef|beef",
              "R|SPI0CS0DATA=020001 SPI0CS0DATA=020002|1", "R|SPI0CS0DATA=02zz|-",
              "R|SPI0CS0DATA=02+bee|-", "R|SPI0CS0DATA=02|-", "R|SPI0CS0DATA=03abcdef|-",
              "R|SPI0CS1DATA=02beef|-", "R|SPI0CS0DATA=err|-",
              "W|SPILEDCS5DATA=04FFFFFFF0|fffffff0", "W|SPILEDCS5DATA=05ffffffff0|-",
              "W|SPILEDCS5DATA=04fffffffg|-", "E|SPI0CS3DATA=04ffffffA5|a5",
              "E|SPI0CS3DATA=09ff0f|f", "E|SPI0CS3DATA=2|-", "E|SPI0CS3DATA=04ffffff0g|-"})
            QTest::newRow(row) << QString(row);
    }
    void answers()
    {
        QFETCH(QString, row);
        const int tool = int(QString("RWE").indexOf(row[0]));
        const QString word = row.section('|', 2);
        put(tool, OutName[tool], 0x5A);
        f.spi.scriptAnswer(DataName[tool], row.section('|', 1, 1).toLatin1());
        QSignalSpy log(::tool(tool), &Applet::signal_log);
        QCOMPARE(transfer(tool), word != "-");
        QCOMPARE(out(tool), word != "-" ? word.toUInt(nullptr, 16) : 0x5Au);
        if (tool != Eeprom)
            QCOMPARE(QList<QList<QVariant>>(log),
                     QList<QList<QVariant>>(word == "-", {-1, "SPI data transfer failed"}));
        const QByteArray set[] = {"021234", "0400001234", "0405000000"};
        QCOMPARE(f.take(), (QList<QByteArray>{QByteArray("set ") + DataName[tool] + "=" + set[tool],
                                              QByteArray("get ") + DataName[tool]}));
    }

    // A refused set sends no get; without a board nothing is sent; the "Transfer" command.
    void refusedAndDisconnected()
    {
        FakeBoard refusing;
        FakeBoardSpi spi(refusing);
        refusing.refuse("SPI0CS0DATA");
        QVERIFY(f.connectTo(refusing));
        QVERIFY(!transfer(Raw, 0xABCD));
        QCOMPARE(SpiAppFixture::take(refusing), QList<QByteArray>{"set SPI0CS0DATA=02abcd"});
        f.app->disconnectBoard();
        for (int t : {Raw, Wide, Eeprom})
            QVERIFY(!transfer(t));
        QVERIFY(f.connectTo(f.board));
        QVERIFY(f.take().isEmpty());
        QCOMPARE(spiRaw->run("Transfer", QVariant()), QVariant(true)); // the console's command
        QCOMPARE(f.take(), (QList<QByteArray>{"set SPI0CS0DATA=021234", "get SPI0CS0DATA"}));
        // Reading or writing every parameter (as a register file's import does) talks to
        // nobody and fails nothing.
        const qsizetype messages = f.prompt.messages().size();
        for (int t : {Raw, Wide, Eeprom})
            QVERIFY(tool(t)->readParameters("*") && tool(t)->writeParameters("*"));
        QVERIFY(f.take().isEmpty() && f.prompt.messages().size() == messages);
    }

    // "calcCRC" replaces the low nibble by the CRC-4; a status word, a corrupted answer CRC and
    // a chip select without a device.
    void kvl52404()
    {
        put(Wide, "SpiIn4B[]", 0x8000000Fu);
        QCOMPARE(spiRaw4B->run("calcCRC", QVariant()), QVariant(true));
        QCOMPARE(spiRaw4B->get("SpiIn4B[]", Variable::InternalKey).toUInt(), 0x80000005u);
        const auto field = [](const char *name) {
            return spiRaw4B->get(name, Variable::InternalKey).toDouble();
        };
        put(Wide, "SPIChannel4B", 0);
        for (const bool corrupt : {false, true}) {
            f.spi.setCorruptAnswerCrc(corrupt);
            QVERIFY(transfer(Wide, 0x6E000009));
            QCOMPARE((QList<double>{field("SpiOut4B[31:25]"), field("SpiOut4B[24:4]"),
                                    field("CRCValid")}),
                     (QList<double>{0, 400, corrupt ? 0.0 : 1.0}));
        }
        f.spi.setCorruptAnswerCrc(false);
        QCOMPARE(f.take().mid(2),
                 (QList<QByteArray>{"set SPILEDCS0DATA=046e000009", "get SPILEDCS0DATA"}));
        put(Wide, "SPIChannel4B", 5);
        QVERIFY(transfer(Wide, 0x1A000002));
        QCOMPARE(out(Wide), 0xFFFFFFFFu);
    }

    // Speeds round to the nearest hertz; command names match whole and by case.
    // A request may name each of the EEPROM's commands without a warning; an unknown name gets
    // one.
    void eepromRequestNames()
    {
        LogRecorder logs(f.app);
        for (const char *name : {"setEEPROMFreq", "writeByte", "readStatus", "eraseAll"}) {
            QVariant args = QVariantList(); // a request without arguments
            QVERIFY(f.app->run(QString("SpiEEPROM.") + name, args, nullptr));
        }
        QCOMPARE(logs.texts(), QStringList{"Request \"run SpiEEPROM.eraseAll\": SpiEEPROM has "
                                           "no command eraseAll"});
        f.take();
    }

    void speeds()
    {
        QVERIFY(spiRaw->set("SPIFreq", 10000, Variable::OutsideKey));
        f.checkCommand(spiRaw, "setSPIFreq", true, "set SPI0CS0SPEED=10000000");
        QVERIFY(spiRaw4B->set("SPIFreq4B", 1.001, Variable::OutsideKey));
        f.checkCommand(spiRaw4B, "setSPIFreq4B", true, "set SPILEDCS5SPEED=1001");
        // A clock below a tool's least is refused; the one accepted before stays. Chip selects
        // start at 0.
        QVERIFY(!spiRaw4B->set("SPIFreq4B", 0, Variable::OutsideKey));
        QVERIFY(!spiRaw->set("SPIFreq", 0, Variable::OutsideKey));
        f.checkCommand(spiRaw4B, "setSPIFreq4B", true, "set SPILEDCS5SPEED=1001");
        f.checkCommand(spiRaw, "setSPIFreq", true, "set SPI0CS0SPEED=10000000");
        QVERIFY(spiRaw4B->set("SPIChannel4B", 0, Variable::OutsideKey));
        f.checkCommand(spiRaw4B, "setSPIFreq4B", true, "set SPILEDCS0SPEED=1001");
        // By name, a clock takes what its edit takes: a real number in kHz where the edit is a
        // real-number edit. A whole-number edit's clock, a channel, a count keep whole numbers.
        const auto setByName = [this](const QString &name, double value) {
            QVariant v(value);
            return f.app->set(name, v);
        };
        QVERIFY(setByName("SpiRaw4B.SPIFreq4B", 312.5));
        QVERIFY(!setByName("SpiRaw4B.SPIFreq4B", 0.5));
        f.checkCommand(spiRaw4B, "setSPIFreq4B", true, "set SPILEDCS0SPEED=312500");
        for (const char *name : {"SpiRaw.SPIFreq", "SpiRaw4B.SPIChannel4B",
                                 "SpiEEPROM.EEPROMChannel", "SpiEEPROM.DataIn"})
            QVERIFY2(!setByName(name, 2.5), name);
        f.checkCommand(spiRaw, "setSPIFreq", true, "set SPI0CS0SPEED=10000000");
        QVERIFY(spiEEPROM->set("EEPROMFreq", 4.1, Variable::OutsideKey));
        QVERIFY(spiEEPROM->set("EEPROMChannel", 15, Variable::OutsideKey));
        f.checkCommand(spiEEPROM, "setEEPROMFreq", true, "set SPILEDCS15SPEED=4100000");
        QVERIFY(spiEEPROM->set("EEPROMChannel", 0, Variable::OutsideKey)); // 0 to 15
        QVERIFY(!spiEEPROM->set("OpCode", 0, Variable::OutsideKey));       // 1 to 6
        QVERIFY(spiEEPROM->set("DataIn", 0, Variable::OutsideKey));        // 0 to 255
        f.checkCommand(spiEEPROM, "setEEPROMFreq", true, "set SPILEDCS0SPEED=4100000");
        for (const char *name : {"transfer", "Transfer()", "", "readByte "})
            f.checkCommand(tool(name[0] == 'r'   ? Eeprom
                                : name[0] == 't' ? Wide
                                                 : Raw),
                           name, false, "");
    }

    // Each instruction's frame; a write sets the latch first; without it nothing changes.
    void eepromInstructions()
    {
        for (const QString step :
             {"readStatus 0405000000", "writeStatus 0401000000", "readByte 0403012300",
              "enableWrite 0406000000", "disableWrite 0404000000"}) {
            put(Eeprom, "Address", 0x123);
            QCOMPARE(spiEEPROM->run(step.section(' ', 0, 0), QVariant()), QVariant(true));
            QCOMPARE(f.take(), setGet(step.section(' ', 1).toLatin1()));
        }
        put(Eeprom, "Address", 0x10);
        put(Eeprom, "DataIn", 0xAB);
        QCOMPARE(spiEEPROM->run("writeByte", QVariant()), QVariant(true));
        QCOMPARE(f.take(), setGet("0406000000") + setGet("04020010ab"));
        QCOMPARE(spiEEPROM->run("readByte", QVariant()), QVariant(true));
        QCOMPARE(out(Eeprom), 0xABu);
        QCOMPARE(f.take(), setGet("0403001000")); // the written byte does not stay in the frame
        f.eeprom.clearViolations(); // the status write without the latch
        f.eeprom.refuseTransfer(1);
        put(Eeprom, "Address", 0x20);
        QCOMPARE(spiEEPROM->run("writeByte", QVariant()), QVariant(true));
        QCOMPARE(f.eeprom.bytes(0x20, 1), QByteArray("\xff"));
        QCOMPARE(f.eeprom.violations().size(), 1);
        // Block reads in frames of at most 252 bytes; a failed frame ends one with ok false.
        f.take();
        bool ok = false;
        QCOMPARE(spiEEPROM->readBlock(0x1FF, 255, &ok), f.eeprom.bytes(0x1FF, 255).toHex());
        QVERIFY(ok);
        QCOMPARE(f.take(), setGet("ff0301ff" + QByteArray(504, '0')) + setGet("060302fb000000"));
        QCOMPARE(spiEEPROM->readBlock(4095, 2, &ok), f.eeprom.bytes(4095, 2).toHex());
        QCOMPARE(f.take(), setGet("05030fff0000"));
        f.eeprom.refuseTransfer(2);
        QCOMPARE(spiEEPROM->readBlock(0, 254, &ok), f.eeprom.bytes(0, 252).toHex() + "0000");
        QVERIFY(!ok);
        f.spi.scriptAnswer("SPI0CS3DATA", "SPI0CS3DATA=05ffffff0g0f");
        QCOMPARE(spiEEPROM->readBlock(0x100, 2, &ok), QByteArray("0g0f"));
        QVERIFY(!ok);
        f.spi.scriptAnswer("SPI0CS3DATA", "SPI0CS3DATA=05ffffff0a"); // one byte short
        spiEEPROM->readBlock(0x100, 2, &ok);
        QVERIFY(!ok);
    }

    // 70 bytes from 0x1E in chunks that end at page ends, each after the write cycle ended;
    // a cycle that outlasts ten status reads fails with a box and writes nothing more.
    void writeBlock()
    {
        QByteArray data;
        for (int k = 0; k < 70; ++k)
            data.append(char(k * 7 + 1));
        const QList<QByteArray> expected{"set SPI0CS3DATA=0502001e" + data.mid(0, 2).toHex(),
                                         "set SPI0CS3DATA=23020020" + data.mid(2, 32).toHex(),
                                         "set SPI0CS3DATA=23020040" + data.mid(34, 32).toHex(),
                                         "set SPI0CS3DATA=07020060" + data.mid(66, 4).toHex()};
        for (const int cycleReads : {9, 10}) {
            init();
            f.eeprom.setWriteCycleReads(cycleReads);
            const qsizetype messages = f.prompt.messages().size();
            QCOMPARE(spiEEPROM->writeBlock(0x1E, data.toHex()), cycleReads < 10);
            QList<QByteArray> writes = f.take();
            writes.removeIf([](const QByteArray &line) { return line.mid(18, 2) != "02"; });
            QCOMPARE(writes, expected.mid(0, cycleReads < 10 ? 4 : 1));
            QCOMPARE(f.eeprom.bytes(0x20, 1), cycleReads < 10 ? data.mid(2, 1) : "\xff");
            QStringList boxes;
            for (const Prompt::Message &box : f.prompt.messages().mid(messages))
                boxes << box.title + '|' + box.text;
            QCOMPARE(boxes, cycleReads < 10
                                ? QStringList()
                                : QStringList{"EEPROM error|Problem with SPI communication"});
            QVERIFY(f.eeprom.violations().isEmpty());
        }
        f.eeprom.setWriteCycleReads(0);
        // A page write the board refuses ends the block there, and the block fails.
        init();
        f.eeprom.refuseTransfer(4); // status, write enable, status, then the first page
        QVERIFY(!spiEEPROM->writeBlock(0x1E, data.toHex()));
        QList<QByteArray> writes = f.take();
        writes.removeIf([](const QByteArray &line) { return line.mid(18, 2) != "02"; });
        QCOMPARE(writes, expected.mid(0, 1));
        QCOMPARE(f.eeprom.bytes(0x1E, 3), QByteArray("\xff\xff\xff"));
        // Text that is not whole hexadecimal bytes is refused before anything is sent.
        for (const QByteArray text : {"abc", "0g", "0a 0b"}) {
            QSignalSpy log(spiEEPROM, &Applet::signal_log);
            QVERIFY(!spiEEPROM->writeBlock(0x10, text));
            QCOMPARE(log.size(), 1);
            QCOMPARE(log.first().first(), QVariant(-1)); // an error
            QVERIFY(f.take().isEmpty());
        }
    }

    // The configuration block and its check copy at +480; a wrong length, a check byte that
    // is not the complement, or a refused frame: not valid, and the traces say why.
    void deviceConfig()
    {
        const DeviceConfig c = spiEEPROM->readDeviceConfig();
        QVERIFY(c.valid);
        QCOMPARE((QList<int>{c.byte0, c.bytes1to3, c.bytes4to6, c.byte7, c.byte8, c.chipCode,
                             c.byte10, c.byte11, c.byte12, c.byte13, c.paramsAddress}),
                 (QList<int>{1, 4660, 65537, 7, 128, 12, 254, 11, 12, 13, 64}));
        const QByteArray zeros(30, '0');
        QCOMPARE(f.take(),
                 setGet("0403000000") + setGet("12030001" + zeros) + setGet("120301e1" + zeros));
        const QString at15 = "Position: 3 , length: 15";
        const QString length = "EEPROM is not connected or data length are not valid!";
        const QString invalid = "EEPROM is not connected or config data are not valid!";
        const struct {
            int address; // the byte changed to value; -1: the value-th transfer refused
            int value;
            QStringList messages;
        } cases[] = {{-2, 0, {at15}},
                     {0, 14, {"Position: 3 , length: 14", length}},
                     {481, 0, {at15, "Error at position: 0", invalid}},
                     {490, 0, {at15, "Error at position: 9", invalid}},
                     {495, 0, {at15, "Error at position: 14", invalid}},
                     {-1, 1, {"Position: 3 , length: 0", length}},
                     {-1, 2, {at15, invalid}},
                     {-1, 3, {at15, invalid}}};
        for (const auto &c : cases) {
            init();
            if (c.address >= 0)
                f.eeprom.setByte(c.address, quint8(c.value));
            else if (c.address == -1)
                f.eeprom.refuseTransfer(c.value);
            QCOMPARE(spiEEPROM->readDeviceConfig().valid, c.address == -2);
            QCOMPARE(takeTraces(), QStringList{"Read device config from EEPROM"} + c.messages);
        }
        // A length answer that is no hexadecimal text reads 0, whatever digits stand where the
        // byte goes.
        init();
        f.spi.scriptAnswer("SPI0CS3DATA", "SPI0CS3DATA=04ffffff0fz");
        QVERIFY(!spiEEPROM->readDeviceConfig().valid);
        QCOMPARE(takeTraces().mid(1, 1), QStringList{"Position: 3 , length: 0"});
    }

    // The KVL52205 board's block, then the KVL52404's, which leaves w4, w5 and b2 alone; a
    // failed read says why, turns valid false and keeps every field. The fields beyond a
    // shorter block read 0.
    void driverBlocks()
    {
        const DriverParams &p = spiEEPROM->driverParams;
        f.eeprom.load(FakeSpiEeprom::image(FakeSpiEeprom::Kvl52205Board));
        spiEEPROM->readDeviceParams(spiEEPROM->readDeviceConfig());
        QVERIFY(p.valid);
        QCOMPARE(fieldsOf(p), (QList<int>{100, 120, 1, 2,    768, 1024, 200, 330, 3, 0, 0, 0,
                                          0,   4,   0, 4369, 0,   5,    0,   255, 0, 6, 0}));
        f.eeprom.load(FakeSpiEeprom::image(FakeSpiEeprom::Kvl52404Board));
        f.take();
        spiEEPROM->readDeviceParamsP404(configAt(0x40));
        QCOMPARE(fieldsOf(p),
                 (QList<int>{47, 256, 17, 34,    4660,  65535, 200, 330, 3,     1000, 2,  3,
                             4,  51,  68, 48879, 51966, 85,    102, 258, 42330, 119,  136}));
        const QByteArray zeros(64, '0');
        QCOMPARE(f.take(),
                 setGet("0403004000") + setGet("23030041" + zeros) + setGet("23030221" + zeros));
        takeTraces();
        const QList<int> before = fieldsOf(p);
        for (int position : {3, 17})
            f.eeprom.setByte(0x41 + 480 + position, 0);
        spiEEPROM->readDeviceParamsP404(configAt(0x40));
        QVERIFY(!p.valid);
        QCOMPARE(fieldsOf(p), before);
        QCOMPARE(takeTraces(),
                 (QStringList{"Read device params from EEPROM - 404", "Error at position: 3",
                              "Error at position: 17",
                              "EEPROM is not connected or eeprom data are not valid!"}));
        f.eeprom.setByte(0x40, 0);
        spiEEPROM->readDeviceParams(configAt(0x40));
        QCOMPARE(takeTraces(),
                 (QStringList{"Read device params from EEPROM",
                              "EEPROM is not connected or boost data are not valid!"}));
        f.eeprom.load(FakeSpiEeprom::image(FakeSpiEeprom::Kvl52205Board));
        f.eeprom.setByte(0x40, 10);
        spiEEPROM->readDeviceParams(configAt(0x40));
        QVERIFY(p.valid);
        QCOMPARE((QList<int>{p.w3, p.w4, p.w5, p.b2, p.b3, p.w10, p.b5, p.w12, p.b7}),
                 (QList<int>{1024, 0, 0, 0, 0, 0, 0, 0, 0}));
    }

    // The five other readers each decode a 27-byte block (byte k holding k + 1) by their own
    // table into their own record, and name their record kind when the length is bad.
    void otherReaders()
    {
        const QString params = "Read device params from EEPROM";
        const QString buck = "EEPROM is not connected or buck data are not valid!";
        const QString boost = "EEPROM is not connected or boost data are not valid!";
        const QList<int> stage{513, 1284, 2055, 3, 6, 9, 2826, 3340, 3854};
        const struct {
            void (SpiEEPROM::*read)(DeviceConfig);
            QString title, lengthMessage;
            QList<int> fields;
        } readers[] = {
            {&SpiEEPROM::readDeviceParamsV1, params, buck,
             {513, 1284, 0, 3, 6, 0, 2055, 2569, 0, 11, 12, 13, 0, 0, 0, 0, 0, 0}},
            {&SpiEEPROM::readDeviceParamsV3, params, buck,
             stage + QList<int>{16, 17, 18, 0, 0, 0, 0, 0, 0}},
            {&SpiEEPROM::readDeviceParams402, "Read device params from EEPROM - 402/403", buck,
             stage + QList<int>{0, 0, 0, 4368, 4882, 5396, 5910, 6424, 6938}},
            {&SpiEEPROM::readBoostParams401, "Read device params from Boost 401 EEPROM", boost,
             {1027, 1541, 0, 7, 8, 0, 2569, 3083, 0, 1, 2, 13, 14}},
            {&SpiEEPROM::readDeviceParamsV2, params, boost, stage + QList<int>{0, 0, 0, 0}}};
        QByteArray block;
        for (int k = 0; k < 27; ++k)
            block.append(char(k + 1));
        for (const auto &r : readers) {
            const bool isBuck = r.fields.size() == 18;
            const auto record = [isBuck] {
                return isBuck ? fieldsOf(spiEEPROM->buckParams) : fieldsOf(spiEEPROM->boostParams);
            };
            QByteArray image = FakeSpiEeprom::image(FakeSpiEeprom::Blank);
            FakeSpiEeprom::storeBlock(image, 0x40, block);
            f.eeprom.load(image);
            spiEEPROM->buckParams = BuckParams();
            spiEEPROM->boostParams = BoostParams();
            const QList<int> driver = fieldsOf(spiEEPROM->driverParams);
            takeTraces();
            (spiEEPROM->*r.read)(configAt(0x40));
            QCOMPARE(record(), r.fields);
            QVERIFY(isBuck ? spiEEPROM->buckParams.valid : spiEEPROM->boostParams.valid);
            QCOMPARE(fieldsOf(spiEEPROM->driverParams), driver);
            QCOMPARE(takeTraces(), QStringList{r.title});
            f.eeprom.setByte(0x40, 0);
            (spiEEPROM->*r.read)(configAt(0x40));
            QCOMPARE(takeTraces(), (QStringList{r.title, r.lengthMessage}));
            QCOMPARE(record(), r.fields);
        }
    }
};

QTEST_MAIN(TestSpi)
#include "tst_spi.moc"
