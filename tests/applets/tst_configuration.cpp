// The configuration window's command frames on a simulated board with chips at 1 and 7: the
// exact lines of the writes, the reads filling the registers, the UART speed change, MAPENA to
// the board page's device rows, the refusal of addresses beyond the chips', and the form.
#include "configurationappfixture.h"
#include "configurationregisters.h"
#include "controlboard.h"
#include "logrecorder.h"
#include "pipename.h"
#include "pushbutton.h"

#include <QLineEdit>
#include <QLocalSocket>
#include <QtTest>

namespace
{

const QByteArray Get = "get SER2DATA";

// A frame's line: lead byte, count, SYNC, the identifiers, the data and (for a write) the CRC.
QByteArray frameLine(const char *pids, const char *data = nullptr, int lead = 14)
{
    const QByteArray covered = QByteArray::fromHex(QByteArray(pids) + (data ? data : ""));
    QByteArray frame = "\x55" + covered;
    if (data)
        frame += char(FakeMatrixBus::crc8(covered));
    return "set SER2PXNDATA=" + (QByteArray(1, char(lead)) + char(frame.size())).toHex() +
           frame.toHex();
}

Register *command(const QString &name)
{
    for (Register *reg : configurationRegisters().commands())
        if (reg->name() == name)
            return reg;
    return nullptr;
}

// "REG[FIELD]" of a command register.
quint32 field(const QString &name)
{
    return command(name.section('[', 0, 0))->getField('[' + name.section('[', 1));
}

// "REG[FIELD]=value" items written straight into the command registers.
void setFields(const QStringList &items)
{
    for (const QString &item : items)
        QVERIFY(command(item.section('[', 0, 0))
                    ->setField('[' + item.section('[', 1).section('=', 0, 0),
                               item.section('=', 1).toUInt(nullptr, 0)));
}

} // namespace

class TestConfiguration : public QObject
{
    Q_OBJECT

    ConfigurationAppFixture f;
    QVariant run(const QString &name) { return f.configuration()->run(name, QVariant()); }

private slots:
    void initTestCase() { QVERIFY(f.start()); }

    // Cleared payloads, chips in normal mode at 250 kbit/s, no violation afterwards.
    void init()
    {
        for (Register *reg : configurationRegisters().commands())
            reg->fill(0, -1, 16);
        for (int k = 0; k < 2; ++k)
            f.bus.editChip(k, [](FakeMatrixChip &chip) {
                chip.opmode = 4;
                chip.cspeed = 1;
            });
        f.take();
    }
    void cleanup() { QVERIFY(f.bus.violations().isEmpty()); }

    // Each write command's frame to SACONF; fields outside a frame's data are not sent.
    void writeLines_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("saconf");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("AUTO_ADD") << "AUTO_ADD_Write"
                                  << QStringList{"AUTO_ADD[AAC]=1", "AUTO_ADD[BC]=3"} << 5
                                  << frameLine("e504", "01");
        QTest::newRow("AUTO_ADD broadcast")
            << "AUTO_ADD_Write" << QStringList{"AUTO_ADD[B]=1", "AUTO_ADD[NA]=63"} << 1
            << frameLine("6104", "80");
        QTest::newRow("I2C request") << "Write_I2CEEPROM_Request"
                                     << QStringList{"I2C_EEPROM_RQ[EESA]=5", "I2C_EEPROM_RQ[NA]=15",
                                                    "I2C_EEPROM_RQ[EEBA]=0x20"}
                                     << 20 << frameLine("f402", "0520");
        QTest::newRow("I2C write")
            << "Write_I2CEEPROM"
            << QStringList{"I2C_EEPROM_WRITE[EESA]=3", "I2C_EEPROM_WRITE[B]=1",
                           "I2C_EEPROM_WRITE[EEBA]=16", "I2C_EEPROM_WRITE[DATA3]=1",
                           "I2C_EEPROM_WRITE[DATA10]=0xFF"}
            << 20 << frameLine("f401", "831001000000000000ff");
        QTest::newRow("assign address") << "Assign_adr_Write"
                                        << QStringList{"ASSIGN_ADD[AA_ADR]=9", "ASSIGN_ADD[NA]=3",
                                                       "ASSIGN_ADD[B]=1", "ASSIGN_ADD[AA_THR]=80"}
                                        << 0 << frameLine("e085", "e950");
        QTest::newRow("change mode")
            << "Change_Mode_Write" << QStringList{"CHANGE_MODE[NMD]=1", "CHANGE_MODE[NA]=63"} << 31
            << frameLine("7f0d", "01");
        QTest::newRow("reset") << "SW_Reset_Write" << QStringList{"SW_RESET[SWRST]=1"} << 20
                               << frameLine("f40e", "01");
        QTest::newRow("PXN mode") << "Write_PXN_Mode_Rq"
                                  << QStringList{"WR_PXN_MODE_RQ[PMC]=1", "WR_PXN_MODE_RQ[NA]=1"}
                                  << 20 << frameLine("f407", "01");
        QTest::newRow("UART speed") << "UART_Speed_Write" << QStringList{"UART[CSPEED]=1"} << 20
                                    << frameLine("f48c", "01") + "\nset SER2BAUD=250000";
    }
    void writeLines()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, fields);
        QFETCH(int, saconf);
        QFETCH(QByteArray, line);
        setFields(fields);
        QVERIFY(Configuration::setSaconf(saconf));
        QCOMPARE(run(command), QVariant(true));
        QCOMPARE(f.take(), line.split('\n'));
    }

    // The chips and the board move to 500 kbit/s together; a refused frame sends no baud
    // command; a refused baud command leaves the chips unreachable and fails.
    void uartSpeed()
    {
        setFields({"UART[B]=1", "UART[CSPEED]=2"});
        QVERIFY(Configuration::setSaconf(1));
        f.bus.failNext("SER2PXNDATA");
        QCOMPARE(run("UART_Speed_Write"), QVariant(false));
        QCOMPARE(f.take(), QList<QByteArray>{frameLine("618c", "82")});
        QCOMPARE(run("UART_Speed_Write"), QVariant(true));
        QCOMPARE(f.bus.rate(), 500000);
        QCOMPARE(run("Read_slave_ident"), QVariant(true));
        setFields({"UART[CSPEED]=1"});
        f.bus.failNext("SER2BAUD");
        QCOMPARE(run("UART_Speed_Write"), QVariant(false));
        QCOMPARE(f.bus.rate(), 500000);
        QCOMPARE(run("Read_slave_ident"), QVariant(false));
        QVERIFY(f.app->controlBoard()->send("set SER2BAUD=250000", nullptr));
    }

    // The identification of a chip, retried once (lead 1c) and zeroed when nobody answers.
    void readSlaveIdent()
    {
        for (const auto &[address, ident] : {std::pair{7, QList<quint32>{1, 0x23, 1, 7, 11, 21}},
                                             {3, QList<quint32>{0, 0, 0, 0, 0, 0}}}) {
            setFields({"ID_SLAVE[DEV_ID]=99", "ID_SLAVE[DLT_Y_AXIS]=99"});
            QVERIFY(Configuration::setSaconf(address));
            QCOMPARE(run("Read_slave_ident"), QVariant(address == 7));
            QCOMPARE((QList<quint32>{field("ID_SLAVE[DEV_ID]"), field("ID_SLAVE[ANA_ID]"),
                                     field("ID_SLAVE[DIG_ID]"), field("ID_SLAVE[DLT_W]"),
                                     field("ID_SLAVE[DLT_X_AXIS]"), field("ID_SLAVE[DLT_Y_AXIS]")}),
                     ident);
        }
        QCOMPARE(f.take().mid(2),
                 (QList<QByteArray>{frameLine("e380"), Get, frameLine("e380", nullptr, 28), Get}));
    }

    // Every read in turn; a failing read does not stop the others.
    void readAll()
    {
        QVERIFY(Configuration::setSaconf(1));
        QCOMPARE(run("Read_all_conf"), QVariant(true));
        QCOMPARE(f.take(), (QList<QByteArray>{frameLine("6180"), Get, frameLine("6186"), Get,
                                              frameLine("6108"), Get, frameLine("6183"), Get}));
        QCOMPARE(field("OP_MODE_ST[OPMODE]"), 4u);
        QCOMPARE(f.configuration()->findChild<QLineEdit *>("leDLT1")->text().toUInt(nullptr, 0),
                 10u);
        f.bus.injectFault(FakeMatrixBus::NoChipAnswer, 2);
        QCOMPARE(run("Read_all_conf"), QVariant(false));
        QCOMPARE(f.take().size(), 10);
        QCOMPARE(field("ID_SLAVE[DEV_ID]"), 0u);
        QCOMPARE(field("I2C_EEPROM_READ[DATA10]"), 0xFFu);
    }

    // Only rows holding a slave address get a frame; the AND of the frames decides; without
    // the board page nothing is sent.
    void mapenaToDeviceRows()
    {
        setFields({"MAPENA[B]=1", "MAPENA[MAPENA]=1"});
        QCOMPARE(run("MAPENA_Write"), QVariant(false));
        for (const auto &[rows, result, addresses] :
             {std::tuple{QStringList{"3", " 7 ", "x", "0", "31", "32", "-1", "3.5", ""}, true,
                         "3 7 0 31"},
              {QStringList{}, false, ""}}) {
            FakeDeviceRows page(rows);
            QCOMPARE(run("MAPENA_Write"), QVariant(result));
            QStringList sent;
            for (const QByteArray &line : f.take())
                sent << QString::number(QByteArray::fromHex(line.mid(22, 2)).at(0) & 31);
            QCOMPARE(sent.join(' '), QString(addresses));
        }
        QCOMPARE(f.bus.chip(1).words[FakeMatrixChip::MapenaWord] & 1u, 1u);
    }

    // SACONF keeps its range 0..34, but an address beyond the five-bit field reaches no chip.
    void saconfBeyondSlaveAddresses()
    {
        QVERIFY(!Configuration::setSaconf(35) && !Configuration::setSaconf(-1));
        for (const char *name : {"AUTO_ADD_Write", "Read_slave_ident", "UART_Speed_Write",
                                 "MAPENA_Write", "Read_all_conf"}) {
            LogRecorder logs(f.configuration());
            QVERIFY(Configuration::setSaconf(34));
            QCOMPARE(run(name), QVariant(false));
            QCOMPARE(logs.texts(), QStringList{"SACONF 34 is not a slave address (0..31)"});
        }
        QVERIFY(f.take().isEmpty());
        QCOMPARE(run("read_slave_ident"), QVariant(false));
    }

    // An outside request reaches the applet by its object name; each button of the form runs
    // its command.
    void pipeAndButtons()
    {
        QVERIFY(Configuration::setSaconf(1));
        QLocalSocket socket;
        socket.connectToServer(PipeName::localName(PipeName::pipePath("KVL52110")));
        QVERIFY(socket.waitForConnected(5000));
        socket.write("run\tConfiguration.Read_slave_ident\n");
        QTRY_VERIFY_WITH_TIMEOUT(socket.state() == QLocalSocket::UnconnectedState, 20000);
        QCOMPARE(socket.readAll(), QByteArray("i1"));
        QCOMPARE(field("ID_SLAVE[DLT_Y_AXIS]"), 20u);
        const auto buttons = f.configuration()->findChildren<CustomControls::PushButton *>();
        QCOMPARE(buttons.size(), 14);
        for (CustomControls::PushButton *button : buttons) {
            f.take();
            button->click();
            QVERIFY2(!f.take().isEmpty() || button->accessibleName() == "MAPENA_Write()",
                     qPrintable(button->accessibleName()));
        }
    }
};

QTEST_MAIN(TestConfiguration)
#include "tst_configuration.moc"
