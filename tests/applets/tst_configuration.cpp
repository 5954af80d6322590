// The configuration window's frames on a simulated board with chips at 1 and 7: writes, reads,
// the UART speed, MAPENA to the board page's rows, addresses beyond the chips' refused.
#include "accessiblenames.h"
#include "configurationappfixture.h"
#include "configurationregisters.h"
#include "controlboard.h"
#include "logrecorder.h"
#include "secondprojectprompt.h"

#include <QComboBox>
#include <QLineEdit>
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

} // namespace

class TestConfiguration : public QObject
{
    Q_OBJECT

    ConfigurationAppFixture f;
    SecondItemPrompt prompt; // the second project, "TO1/TO2"
    QVariant run(const QString &name) { return f.configuration()->run(name, QVariant()); }
    quint32 field(const QString &name) { return f.item("Configuration." + name); }
    // "REG[FIELD]=value" items written by name, as pipe requests write them.
    void setFields(const QStringList &items)
    {
        for (const QString &item : items)
            QVERIFY2(f.setItem("Configuration." + item.section('=', 0, 0),
                               item.section('=', 1).toUInt(nullptr, 0)),
                     qPrintable(item));
    }

private slots:
    // A TO1/TO2 project has no frame counter and no watchdog selection.
    void initTestCase()
    {
        QVERIFY(f.start() && f.app->projectType() == "TO1/TO2");
        for (const char *name : {"label_101", "lineEdit", "label_67", "cmREG0D_3_5"})
            QVERIFY(!f.configuration()->findChild<QWidget *>(name)->isEnabledTo(f.configuration()));
        for (const char *name : {"cbPMC", "cbPMS", "cbAAC"})
            QCOMPARE(f.configuration()->findChild<QComboBox *>(name)->count(), 2);
        delete new Configuration; // a second window neither takes the program's place nor ends it
        QCOMPARE(Configuration::instance(), f.configuration());
    }

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

    // Each write command's frame to SACONF ("command SACONF fields identifiers data"); fields
    // outside a frame's data are not sent. An unknown command fails.
    void writeLines()
    {
        for (const QString row :
             {"AUTO_ADD_Write 5 AUTO_ADD[AAC]=1,AUTO_ADD[BC]=3 e504 01",
              "Write_I2CEEPROM_Request 20 I2C_EEPROM_RQ[EESA]=5,I2C_EEPROM_RQ[NA]=15,"
              "I2C_EEPROM_RQ[EEBA]=0x20 f402 0520",
              "Write_I2CEEPROM 20 I2C_EEPROM_WRITE[EESA]=3,I2C_EEPROM_WRITE[B]=1,"
              "I2C_EEPROM_WRITE[EEBA]=16,I2C_EEPROM_WRITE[DATA3]=1,I2C_EEPROM_WRITE[DATA10]=0xFF "
              "f401 831001000000000000ff",
              "Assign_adr_Write 0 ASSIGN_ADD[AA_ADR]=9,ASSIGN_ADD[NA]=3,ASSIGN_ADD[B]=1,"
              "ASSIGN_ADD[AA_THR]=80 e085 e950",
              "Change_Mode_Write 31 CHANGE_MODE[NMD]=1,CHANGE_MODE[NA]=63 7f0d 01",
              "SW_Reset_Write 20 SW_RESET[SWRST]=1 f40e 01",
              "Write_PXN_Mode_Rq 20 WR_PXN_MODE_RQ[PMC]=1,WR_PXN_MODE_RQ[NA]=1 f407 01",
              "UART_Speed_Write 20 UART[CSPEED]=1 f48c 01",
              "MAPENA_Write 20 MAPENA[MAPENA]=1,MAPENA[CNT_RST]=1,MAPENA[WDT_SEL]=2,MAPENA[NA]=7 "
              "f48f 0b"}) {
            const QStringList c = row.split(' ');
            init();
            setFields(c[2].split(','));
            QVERIFY(Configuration::setSaconf(c[1].toInt()));
            QCOMPARE(run(c[0]), QVariant(true));
            QList<QByteArray> lines{frameLine(qPrintable(c[3]), qPrintable(c[4]))};
            if (c[0] == "UART_Speed_Write")
                lines << "set SER2BAUD=250000";
            QCOMPARE(f.take(), lines);
        }
        QCOMPARE(run("AUTO_ADD"), QVariant(false)); // no such command
        QVERIFY(f.take().isEmpty());
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
        QCOMPARE(run("Read_slave_ident"), QVariant(false));
        QVERIFY(f.app->controlBoard()->send("set SER2BAUD=250000", nullptr));
    }

    // The identification of a chip, retried once (lead 1c) and zeroed when nobody answers, and
    // shown; a length code left in the register is not sent.
    void readSlaveIdent()
    {
        for (const auto &[address, ident] : {std::pair{7, QList<quint32>{1, 0x23, 1, 7, 11, 21}},
                                             {3, QList<quint32>{0, 0, 0, 0, 0, 0}}}) {
            setFields({"ID_SLAVE[DEV_ID]=99", "ID_SLAVE[DLT_Y_AXIS]=99", "ID_SLAVE[BC]=2"});
            QVERIFY(Configuration::setSaconf(address));
            QCOMPARE(run("Read_slave_ident"), QVariant(address == 7));
            // The form shows what was read.
            QCOMPARE(f.configuration()->findChild<QLineEdit *>("leDLT1")->text().toUInt(nullptr, 0),
                     ident[4]);
            QCOMPARE((QList<quint32>{field("ID_SLAVE[DEV_ID]"), field("ID_SLAVE[ANA_ID]"),
                                     field("ID_SLAVE[DIG_ID]"), field("ID_SLAVE[DLT_W]"),
                                     field("ID_SLAVE[DLT_X_AXIS]"), field("ID_SLAVE[DLT_Y_AXIS]")}),
                     ident);
        }
        QCOMPARE(f.take().mid(2),
                 (QList<QByteArray>{frameLine("e380"), Get, frameLine("e380", nullptr, 28), Get}));
        // Every read in turn; a failing read does not stop the others.
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

    // A command read, one or all four, sets the frame window's length to one word and shows
    // it, also offline (where the read fails).
    void readShowsFrameLength()
    {
        QLineEdit *length = nullptr;
        for (QLineEdit *edit : f.pxn()->findChildren<QLineEdit *>())
            length =
                CustomControls::AccessibleNames::bindingName(edit) == "W_BANK[BC]" ? edit : length;
        QVERIFY(Configuration::setSaconf(1));
        for (const bool online : {true, false}) {
            if (!online)
                f.app->disconnectBoard();
            for (const char *command : {"OP_MODE_STATUS_READ", "Read_all_conf"}) {
                QVERIFY(f.pxn()->set("W_BANK[BC]", 3, Variable::InternalKey));
                QCOMPARE(length->text(), QString("3"));
                QCOMPARE(run(command), QVariant(online));
                QCOMPARE(length->text(), QString("0"));
            }
        }
        QVERIFY(f.connectTo(f.board));
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
        QCOMPARE(run("MAPENA_Write"), QVariant(false)); // the board page went away
        QVERIFY(f.take().isEmpty());
        QCOMPARE(f.bus.chip(1).words[FakeMatrixChip::MapenaWord] & 1u, 1u);
    }

    // SACONF keeps its range 0..34, but an address beyond the five-bit field reaches no chip;
    // 0 and 31 are addresses like any other.
    void saconfBeyondSlaveAddresses()
    {
        QVERIFY(!Configuration::setSaconf(35) && !Configuration::setSaconf(-1));
        const QStringList names{"AUTO_ADD_Write", "Read_slave_ident", "UART_Speed_Write",
                                "MAPENA_Write", "Read_all_conf"};
        for (const QString &name : names) {
            LogRecorder logs(f.configuration());
            QVERIFY(Configuration::setSaconf(34));
            QCOMPARE(run(name), QVariant(false));
            QCOMPARE(logs.texts(), QStringList{"SACONF 34 is not a slave address (0..31)"});
            QCOMPARE(logs.entries().value(0).first, 1); // a warning
        }
        QVERIFY(f.take().isEmpty());
        for (const int address : {0, 31}) {
            QVERIFY(Configuration::setSaconf(address));
            for (const QString &name : names) {
                LogRecorder logs(f.configuration());
                run(name);
                QVERIFY2(!f.take().isEmpty(), qPrintable(name));
                QCOMPARE(logs.texts(), QStringList());
            }
        }
    }
};

QTEST_MAIN(TestConfiguration)
#include "tst_configuration.moc"
