// The configuration command frames on a simulated board with chips at 1 and 7: the exact lines
// of every write, the reads filling the registers, and the commands' effect on the chips.
#include "configurationappfixture.h"
#include "configurationregisters.h"
#include "logrecorder.h"
#include "pipename.h"
#include "pxnregisters.h"
#include "register.h"
#include "variable.h"

#include <QLineEdit>
#include <QLocalSocket>
#include <QtTest>

namespace
{

const QByteArray Get = QByteArrayLiteral("get SER2DATA");

QByteArray hexBytes(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// "set SER2PXNDATA=" with the write lead byte and SYNC, the two identifiers, the data and the
// chips' own CRC.
QByteArray frameLine(const char *pids, const char *data)
{
    const QByteArray covered = hexBytes(pids) + hexBytes(data);
    const QByteArray frame = "\x55" + covered + char(FakeMatrixBus::crc8(covered));
    QByteArray head;
    head.append(char(14)).append(char(frame.size()));
    return "set SER2PXNDATA=" + head.toHex() + frame.toHex();
}

// A read request: SYNC and the two identifiers, no CRC.
QByteArray requestLine(const char *pids, int lead = 14)
{
    QByteArray frame = "\x55" + hexBytes(pids);
    QByteArray head;
    head.append(char(lead)).append(char(frame.size()));
    return "set SER2PXNDATA=" + head.toHex() + frame.toHex();
}

Register *commandRegister(const QString &name)
{
    for (Register *reg : configurationRegisters().commands())
        if (reg->name() == name)
            return reg;
    return nullptr;
}

quint32 field(const QString &name)
{
    const int open = int(name.indexOf('['));
    Register *reg = commandRegister(name.left(open));
    return reg ? reg->getField(name.mid(open)) : 0xFFFFFFFFu;
}

// "REG[FIELD]=value" items written straight into the command registers.
void setFields(const QStringList &items)
{
    for (const QString &item : items) {
        const QStringList parts = item.split('=');
        const int open = int(parts[0].indexOf('['));
        Register *reg = commandRegister(parts[0].left(open));
        QVERIFY2(reg && reg->setField(parts[0].mid(open), parts[1].toUInt(nullptr, 0)),
                 qPrintable(item));
    }
}

} // namespace

class TestConfigurationFrames : public QObject
{
    Q_OBJECT

    ConfigurationAppFixture f;
    int m_violations = 0;

    QVariant run(const QString &command) { return f.configuration()->run(command, QVariant()); }
    QList<QByteArray> take() { return f.take(); }
    void setSaconf(int address) { QVERIFY(Configuration::setSaconf(address)); }
    int chipOpmode(int k) const { return f.bus.chip(k).opmode; }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        QVERIFY(f.configuration());
        QCOMPARE(f.configuration()->objectName(), QString("Configuration"));
    }

    // Every test starts from cleared payloads, chips in normal mode at 250 kbit/s.
    void init()
    {
        for (Register *reg : configurationRegisters().commands())
            reg->fill(0, -1, 16);
        f.configuration()->slot_updateAllControls();
        for (int k = 0; k < 2; ++k)
            f.bus.editChip(k, [](FakeMatrixChip &chip) {
                chip.opmode = 4;
                chip.cspeed = 1;
                chip.pms = 0;
                chip.words[FakeMatrixChip::MapenaWord] = 0;
            });
        take();
    }

    void cleanup() { QCOMPARE(f.bus.violations().size(), m_violations); }

    void writeLines_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("saconf");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("AUTO_ADD, length code cleared")
            << "AUTO_ADD_Write" << QStringList{"AUTO_ADD[AAC]=1", "AUTO_ADD[BC]=3"} << 5
            << frameLine("e5 04", "01");
        QTest::newRow("AUTO_ADD broadcast, NA bits not sent")
            << "AUTO_ADD_Write" << QStringList{"AUTO_ADD[B]=1", "AUTO_ADD[NA]=63"} << 1
            << frameLine("61 04", "80");
        QTest::newRow("I2C request") << "Write_I2CEEPROM_Request"
                                     << QStringList{"I2C_EEPROM_RQ[EESA]=5", "I2C_EEPROM_RQ[NA]=15",
                                                    "I2C_EEPROM_RQ[EEBA]=0x20"}
                                     << 20 << frameLine("f4 02", "05 20");
        QTest::newRow("I2C write")
            << "Write_I2CEEPROM"
            << QStringList{"I2C_EEPROM_WRITE[EESA]=3",  "I2C_EEPROM_WRITE[B]=1",
                           "I2C_EEPROM_WRITE[EEBA]=16", "I2C_EEPROM_WRITE[DATA3]=1",
                           "I2C_EEPROM_WRITE[DATA4]=2", "I2C_EEPROM_WRITE[DATA10]=0xFF"}
            << 20 << frameLine("f4 01", "83 10 01 02 00 00 00 00 00 ff");
        QTest::newRow("assign address sent as stored")
            << "Assign_adr_Write"
            << QStringList{"ASSIGN_ADD[AA_ADR]=9", "ASSIGN_ADD[NA]=3", "ASSIGN_ADD[B]=1",
                           "ASSIGN_ADD[AA_THR]=80"}
            << 0 << frameLine("e0 85", "e9 50");
        QTest::newRow("change mode at 31")
            << "Change_Mode_Write" << QStringList{"CHANGE_MODE[NMD]=1", "CHANGE_MODE[NA]=63"} << 31
            << frameLine("7f 0d", "01");
        QTest::newRow("software reset") << "SW_Reset_Write" << QStringList{"SW_RESET[SWRST]=1"}
                                        << 20 << frameLine("f4 0e", "01");
        QTest::newRow("MAPENA to SACONF") << "MAPENA_Write"
                                          << QStringList{"MAPENA[MAPENA]=1", "MAPENA[CNT_RST]=1",
                                                         "MAPENA[WDT_SEL]=2", "MAPENA[NA]=7"}
                                          << 20 << frameLine("f4 8f", "0b");
        QTest::newRow("PXN mode") << "Write_PXN_Mode_Rq"
                                  << QStringList{"WR_PXN_MODE_RQ[PMC]=1", "WR_PXN_MODE_RQ[NA]=1"}
                                  << 20 << frameLine("f4 07", "01");
    }
    void writeLines()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, fields);
        QFETCH(int, saconf);
        QFETCH(QByteArray, line);
        setFields(fields);
        setSaconf(saconf);
        QCOMPARE(run(command), QVariant(true));
        QCOMPARE(take(), QList<QByteArray>{line});
        QCOMPARE(pxnRegisters().W_BANK.getField("[SA]"), quint32(saconf));
    }

    void uartSpeedLines()
    {
        setFields({"UART[CSPEED]=1"});
        setSaconf(20);
        QCOMPARE(run("UART_Speed_Write"), QVariant(true));
        QCOMPARE(take(), (QList<QByteArray>{frameLine("f4 8c", "01"), "set SER2BAUD=250000"}));
    }

    // A refused frame: no baud command, false.
    void uartSpeedFrameRefused()
    {
        setFields({"UART[CSPEED]=2"});
        setSaconf(1);
        f.bus.failNext("SER2PXNDATA");
        QCOMPARE(run("UART_Speed_Write"), QVariant(false));
        QCOMPARE(take(), QList<QByteArray>{frameLine("61 8c", "02")});
        QCOMPARE(f.bus.rate(), 250000);
    }

    void uartSpeedMovesChipsAndBoard()
    {
        setFields({"UART[B]=1", "UART[CSPEED]=2"});
        setSaconf(1);
        QCOMPARE(run("UART_Speed_Write"), QVariant(true));
        QCOMPARE(take(), (QList<QByteArray>{frameLine("61 8c", "82"), "set SER2BAUD=500000"}));
        QCOMPARE(f.bus.rate(), 500000);
        for (int address : {1, 7}) {
            setSaconf(address);
            QCOMPARE(run("Read_slave_ident"), QVariant(true));
        }
        setFields({"UART[CSPEED]=1"});
        QCOMPARE(run("UART_Speed_Write"), QVariant(true));
        QCOMPARE(f.bus.rate(), 250000);
    }

    // The chips moved but the board did not follow: false, and they no longer answer.
    void uartSpeedBaudRefused()
    {
        setFields({"UART[B]=1", "UART[CSPEED]=2"});
        setSaconf(7);
        f.bus.failNext("SER2BAUD");
        QCOMPARE(run("UART_Speed_Write"), QVariant(false));
        QCOMPARE(f.bus.chip(1).cspeed, 2);
        QCOMPARE(f.bus.rate(), 250000);
        QCOMPARE(run("Read_slave_ident"), QVariant(false));
    }

    void readSlaveIdent_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QList<quint32>>("ident");
        QTest::newRow("chip at 1") << 1 << true << QList<quint32>{1, 0x23, 1, 7, 10, 20};
        QTest::newRow("chip at 7") << 7 << true << QList<quint32>{1, 0x23, 1, 7, 11, 21};
        QTest::newRow("nobody at 3") << 3 << false << QList<quint32>{0, 0, 0, 0, 0, 0};
    }
    void readSlaveIdent()
    {
        QFETCH(int, address);
        QFETCH(bool, result);
        QFETCH(QList<quint32>, ident);
        setFields({"ID_SLAVE[DEV_ID]=99", "ID_SLAVE[DLT_Y_AXIS]=99"});
        setSaconf(address);
        QCOMPARE(run("Read_slave_ident"), QVariant(result));
        const QList<quint32> read = {field("ID_SLAVE[DEV_ID]"),     field("ID_SLAVE[ANA_ID]"),
                                     field("ID_SLAVE[DIG_ID]"),     field("ID_SLAVE[DLT_W]"),
                                     field("ID_SLAVE[DLT_X_AXIS]"), field("ID_SLAVE[DLT_Y_AXIS]")};
        QCOMPARE(read, ident);
        QCOMPARE(pxnRegisters().W_BANK.getField("[SA]"), quint32(address));
        QCOMPARE(take().size(), result ? 2 : 4); // one attempt, or two
    }

    void failedReadRetriesOnce()
    {
        setSaconf(3);
        QCOMPARE(run("Read_slave_ident"), QVariant(false));
        QCOMPARE(take(),
                 (QList<QByteArray>{requestLine("e3 80"), Get, requestLine("e3 80", 28), Get}));
    }

    // The form shows what the read brought.
    void readRefreshesForm()
    {
        setSaconf(7);
        QCOMPARE(run("Read_slave_ident"), QVariant(true));
        auto *edit = f.configuration()->findChild<QLineEdit *>("leDLT1");
        QVERIFY(edit);
        QCOMPARE(edit->text().toUInt(nullptr, 0), 11u);
    }

    void eepromRoundTripAtChip7()
    {
        setSaconf(7);
        QStringList items = {"I2C_EEPROM_WRITE[EESA]=2", "I2C_EEPROM_WRITE[EEBA]=0x40"};
        for (int n = 3; n <= 10; ++n)
            items << QString("I2C_EEPROM_WRITE[DATA%1]=%2").arg(n).arg(0xA0 + n);
        setFields(items);
        QCOMPARE(run("Write_I2CEEPROM"), QVariant(true));
        setFields({"I2C_EEPROM_RQ[EESA]=2", "I2C_EEPROM_RQ[EEBA]=0x40"});
        QCOMPARE(run("Write_I2CEEPROM_Request"), QVariant(true));
        QCOMPARE(run("Read_I2CEEPROM"), QVariant(true));
        for (int n = 3; n <= 10; ++n)
            QCOMPARE(field(QString("I2C_EEPROM_READ[DATA%1]").arg(n)), quint32(0xA0 + n));
        QCOMPARE(field("I2C_EEPROM_READ[EESA]"), 2u);
        QCOMPARE(field("I2C_EEPROM_READ[EEBA]"), 0x40u);
        QCOMPARE(field("I2C_EEPROM_READ[EES]"), 2u);
        QCOMPARE(f.bus.chip(0).eeprom[2].mid(0x40, 8), QByteArray(8, char(0xFF)));
    }

    void changeModeShowsInRead()
    {
        f.bus.editChip(0, [](FakeMatrixChip &chip) { chip.opmode = 1; });
        setSaconf(1);
        QCOMPARE(run("OP_MODE_STATUS_READ"), QVariant(true));
        QCOMPARE(field("OP_MODE_ST[OPMODE]"), 1u);
        setFields({"CHANGE_MODE[NMD]=1"});
        QCOMPARE(run("Change_Mode_Write"), QVariant(true));
        QCOMPARE(run("OP_MODE_STATUS_READ"), QVariant(true));
        QCOMPARE(field("OP_MODE_ST[OPMODE]"), 4u);
    }

    void pxnModeShowsInRead()
    {
        setFields({"WR_PXN_MODE_RQ[PMC]=1"});
        setSaconf(7);
        QCOMPARE(run("Write_PXN_Mode_Rq"), QVariant(true));
        QCOMPARE(run("Read_PXN_Mode_Rq"), QVariant(true));
        QCOMPARE(field("R_PXN_MODE_RQ[PMS]"), 1u);
        setSaconf(1);
        QCOMPARE(run("Read_PXN_Mode_Rq"), QVariant(true));
        QCOMPARE(field("R_PXN_MODE_RQ[PMS]"), 0u);
    }

    void softwareResetShowsInRead()
    {
        setFields({"SW_RESET[SWRST]=1"});
        setSaconf(7);
        QCOMPARE(run("SW_Reset_Write"), QVariant(true));
        QCOMPARE(run("OP_MODE_STATUS_READ"), QVariant(true));
        QCOMPARE(field("OP_MODE_ST[OPMODE]"), 1u);
        QCOMPARE(chipOpmode(0), 4); // the chip at 1 was not addressed
    }

    // Only rows holding a slave address get a frame; the AND of the frames decides.
    void mapenaToDeviceRows_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("refused");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QList<int>>("addresses");
        QTest::newRow("3, 7, x, 40")
            << QStringList{"3", "7", "x", "40"} << 0 << true << QList<int>{3, 7};
        QTest::newRow("first refused") << QStringList{"3", " 7 "} << 1 << false << QList<int>{7};
        QTest::newRow("edges") << QStringList{"0", "31", "32"} << 0 << true << QList<int>{0, 31};
        QTest::newRow("no valid row")
            << QStringList{"", "-1", "32", "3.5"} << 0 << false << QList<int>{};
        QTest::newRow("no rows") << QStringList{} << 0 << false << QList<int>{};
    }
    void mapenaToDeviceRows()
    {
        QFETCH(QStringList, rows);
        QFETCH(int, refused);
        QFETCH(bool, result);
        QFETCH(QList<int>, addresses);
        FakeDeviceRows page(rows);
        setFields({"MAPENA[B]=1", "MAPENA[MAPENA]=1"});
        setSaconf(1);
        const int before = int(f.bus.frames().size());
        if (refused)
            f.bus.failNext("SER2PXNDATA", refused);
        QCOMPARE(run("MAPENA_Write"), QVariant(result));
        QList<int> sent;
        for (const auto &frame : f.bus.frames().mid(before)) {
            QCOMPARE(frame.second.mid(2, 2), hexBytes("8f 81"));
            sent << (quint8(frame.second.at(1)) & 31);
        }
        QCOMPARE(sent, addresses);
        QCOMPARE(take().size(), int(addresses.size()) + refused);
    }

    void mapenaWithoutBoardPage()
    {
        setFields({"MAPENA[B]=1"});
        QVERIFY(!BoardPageAccess::instance());
        QCOMPARE(run("MAPENA_Write"), QVariant(false));
        QVERIFY(take().isEmpty());
    }

    void mapenaReachesChip()
    {
        setFields({"MAPENA[MAPENA]=1"});
        setSaconf(7);
        QCOMPARE(run("MAPENA_Write"), QVariant(true));
        QCOMPARE(f.bus.chip(1).words[FakeMatrixChip::MapenaWord] & 1u, 1u);
        QCOMPARE(f.bus.chip(0).words[FakeMatrixChip::MapenaWord] & 1u, 0u);
    }

    // SACONF keeps its range, but an address beyond the five-bit field reaches no chip.
    void saconfBeyondSlaveAddresses_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("saconf");
        QTest::newRow("write 32") << "AUTO_ADD_Write" << 32;
        QTest::newRow("read 34") << "Read_slave_ident" << 34;
        QTest::newRow("UART 33") << "UART_Speed_Write" << 33;
        QTest::newRow("MAPENA 32") << "MAPENA_Write" << 32;
        QTest::newRow("read all 32") << "Read_all_conf" << 32;
    }
    void saconfBeyondSlaveAddresses()
    {
        QFETCH(QString, command);
        QFETCH(int, saconf);
        LogRecorder logs(f.configuration());
        setSaconf(saconf);
        QCOMPARE(run(command), QVariant(false));
        QVERIFY(take().isEmpty());
        const QString warning = QString("SACONF %1 is not a slave address (0..31)").arg(saconf);
        QCOMPARE(logs.entries(), (QList<QPair<int, QString>>{{1, warning}}));
    }

    void setSaconfRange_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("0") << 0 << true;
        QTest::newRow("34") << 34 << true;
        QTest::newRow("35") << 35 << false;
        QTest::newRow("-1") << -1 << false;
    }
    void setSaconfRange()
    {
        QFETCH(int, address);
        QFETCH(bool, accepted);
        QVERIFY(Configuration::setSaconf(9));
        QCOMPARE(Configuration::setSaconf(address), accepted);
        QCOMPARE(int(configurationRegisters().SACONF.value()), accepted ? address : 9);
    }

    void readAll()
    {
        setSaconf(1);
        QCOMPARE(run("Read_all_conf"), QVariant(true));
        QCOMPARE(take(), (QList<QByteArray>{requestLine("61 80"), Get, requestLine("61 86"), Get,
                                            requestLine("61 08"), Get, requestLine("61 83"), Get}));
        QCOMPARE(field("ID_SLAVE[DLT_X_AXIS]"), 10u);
        QCOMPARE(field("OP_MODE_ST[OPMODE]"), 4u);
        QCOMPARE(field("I2C_EEPROM_READ[DATA3]"), 0xFFu);
        QCOMPARE(f.configuration()->findChild<QLineEdit *>("leDLT1")->text().toUInt(nullptr, 0),
                 10u);
    }

    // A failing read does not stop the others; the result is false.
    void readAllGoesOnAfterFailure()
    {
        setSaconf(1);
        f.bus.injectFault(FakeMatrixBus::NoChipAnswer, 2);
        QCOMPARE(run("Read_all_conf"), QVariant(false));
        QCOMPARE(take().size(), 10);
        QCOMPARE(field("ID_SLAVE[DEV_ID]"), 0u);
        QCOMPARE(field("OP_MODE_ST[OPMODE]"), 4u);
        QCOMPARE(field("I2C_EEPROM_READ[DATA10]"), 0xFFu);
    }

    void commandNames()
    {
        QCOMPARE(run("read_slave_ident"), QVariant(false));
        QCOMPARE(run("Read_slave_ident()"), QVariant(false));
        QVERIFY(take().isEmpty());
    }

    // An outside request reaches the applet by its object name.
    void runThroughPipe()
    {
        setSaconf(1);
        QLocalSocket socket;
        socket.connectToServer(PipeName::localName(PipeName::pipePath("KVL52110")));
        QVERIFY(socket.waitForConnected(5000));
        socket.write("run\tConfiguration.Read_slave_ident\n");
        QTRY_VERIFY_WITH_TIMEOUT(socket.state() == QLocalSocket::UnconnectedState, 20000);
        QCOMPARE(socket.readAll(), QByteArray("i1"));
        QCOMPARE(field("ID_SLAVE[DLT_Y_AXIS]"), 20u);
    }
};

QTEST_MAIN(TestConfigurationFrames)
#include "tst_configurationframes.moc"
