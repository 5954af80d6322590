// The hardware set-up at every connection: the controller's SPI chip selects, second UART and
// PWM outputs, the LED-driver detection with its power-stage tab and defaults, and the reset of
// the page's board state. Also the two M-LVDS transceiver buttons.
#include "board.h"

#include "applethost.h"
#include "autoaddressing.h"
#include "boardglobals.h"
#include "boardlog.h"
#include "controlboard.h"
#include "driverboarddescription.h"
#include "spip205.h"
#include "spiraw4b.h"
#include "ui_board.h"

#include <QHeaderView>

namespace
{

const QString MockupPort = QStringLiteral("mockup");
const QString P205Tab = QStringLiteral("KVL52205");
const QString P404Tab = QStringLiteral("KVL52404");
const QString DefaultConfiguration = QStringLiteral("configuration/Configuration12.txt");

// Chip select 0 carries the KVL52205's words, chip select 3 the driver board's EEPROM.
const QList<QByteArray> SpiSetup{
    "set SPI0CONF",       "set SPI0CS0CONF", "set SPI0CS0SPEED=300000", "set SPI0CS0CPOL=0",
    "set SPI0CS0NCPHA=1", "set SPI0CS3CONF", "set SPI0CS3SPEED=300000", "set SPI0CS3CPOL=0",
    "set SPI0CS3NCPHA=1"};
// The second UART is the matrix chips' bus.
const QList<QByteArray> UartSetup{"set DIO03DIR=1",   "set DIO03CONF=00", "set DIO04DIR=1",
                                  "set DIO04CONF=00", "set SER2CONF",     "set SER2BAUD=250000"};
// PWM 0 and 2 are the LED-control lines of the driver's channels, PWM 1 the boost clock.
const QList<QByteArray> PwmSetup{"set PWM0CONF",      "set PWM0FREQ=1000", "set PWM0DUTY=50",
                                 "set PWM0START",     "set PWM1CONF",      "set PWM1FREQ=300000",
                                 "set PWM1DUTY=50",   "set PWM1START",     "set PWM2CONF",
                                 "set PWM2FREQ=1000", "set PWM2DUTY=50",   "set PWM2START"};

// The KVL52205's registers 1 to 10 at power-up, written in this order (register 2 last).
struct P205Default {
    int address;
    quint16 value;
};
constexpr P205Default P205Defaults[] = {{1, 413}, {3, 474}, {4, 24},   {5, 24},    {6, 544},
                                        {7, 435}, {8, 12},  {9, 1023}, {10, 1023}, {2, 43}};

const QStringList ScriptColumns{QStringLiteral("Name"), QStringLiteral("Delay"),
                                QStringLiteral("Steps"), QStringLiteral("File")};

} // namespace

void Board::onConnected()
{
    setupHardware();
}

void Board::setupHardware()
{
    p205WordsHeld = 0; // the chips of this connection have had none of the page's words yet
    forgetP404Words();
    const bool mockup = currentPort() == MockupPort;
    if (!mockup) {
        qCDebug(lcBoard) << "---SPI Setup---";
        sendSetupCommands(SpiSetup);
        qCDebug(lcBoard) << "---UART Setup---";
        sendSetupCommands(UartSetup);
        qCDebug(lcBoard) << "---PWM Setup---";
        sendSetupCommands(PwmSetup);
        boardGlobals().BOOSTPWM.setValue(1, Variable::InternalKey); // PWM 1 runs now
    }
    setupLedDriver(mockup);
    resetPage();
    // The set-up wrote the model while the page was offline: the controls now show it, those
    // bound to no item too, and showing it sends nothing.
    slot_updateAllControls();
    showBuckEnables();
}

// The driver's frames go through the 32-bit SPI tool, whose controls would follow each one,
// its map reads refresh the whole page each time, and its defaults redraw the current plots
// many times over: the tool's controls, the page and the plots show the last ones only, once
// the driver is set up (the page first, so that the plots are drawn from what it shows).
void Board::setupLedDriver(bool mockup)
{
    holdBuckPlots(true);
    {
        const RefreshHold frames(spiRaw4B);
        const RefreshHold page(this);
        detectLedDriver(mockup);
    }
    holdBuckPlots(false);
}

void Board::detectLedDriver(bool mockup)
{
    qCDebug(lcBoard) << "---LED Driver Setup---";
    const bool detected = readDriverEepromConfig();
    ui->gbLEDDRIVER->setVisible(detected);
    if (!detected)
        setPowerTabsEnabled(false, false);
    else if (mockup)
        setPowerTabsEnabled(true, true);
    else
        configureDriver();
}

// The detected chip's tab, chip-select set-up and defaults; any valid configuration then holds
// the LED-control lines static on (and so not dimmed).
void Board::configureDriver()
{
    const QString chip = DriverBoardDescription().chipTypeName(quint32(driverConfig.chipCode));
    if (chip == QLatin1String("KVL52404BUCK") || chip == QLatin1String("KVL52404"))
        configureP404Driver();
    else if (chip == QLatin1String("KVL52205"))
        configureP205Driver();
    BoardGlobals &globals = boardGlobals();
    for (Variable *ledControl : {&globals.LEDCTRL1, &globals.LEDCTRL2})
        ledControl->setValue(1, Variable::InternalKey);
    for (Variable *pwm : {&globals.PWM1, &globals.PWM2})
        pwm->setValue(0, Variable::InternalKey);
    sendPwmSettings(0, 100, 0);
    sendPwmSettings(2, 100, 0);
}

void Board::configureP404Driver()
{
    setPowerTabsEnabled(false, true);
    qCDebug(lcBoard) << "VELmcu SPILEDCS configuration";
    emit signal_log(0, QStringLiteral("Configure SPILED@%1 P404").arg(p404SpiChannel));
    const QByteArray chipSelect = "set SPILEDCS" + QByteArray::number(p404SpiChannel);
    sendSetupCommands({"set SPILEDCONF", chipSelect + "SPEED=300000", chipSelect + "CPOL=0",
                       chipSelect + "NCPHA=1"});
    writeP404Defaults();
    readVBoost();
    readVLed(1);
    readVLed(2);
}

// The register image holds what the chip receives, and the model items show it: the boost
// set point, the thresholds, the off-times and the enables the power-up values hold.
void Board::configureP205Driver()
{
    setPowerTabsEnabled(true, false);
    emit signal_log(0, QStringLiteral("Configure SPI@%1 P205").arg(0));
    sendSetupCommands(SpiSetup);
    for (const P205Default &entry : P205Defaults)
        p205RegisterImage[entry.address] = entry.value;
    // Straight into the model: the page is not online yet, and no bound widget may react.
    showP205Image();
    BoardGlobals &globals = boardGlobals();
    const int boostCode = int(globals.BOOSTP205.getField(QStringLiteral("[VSETPOINT]")));
    globals.BoostVoltage.setValue(boostVoltageOfCode(boostCode), Variable::InternalKey);
    for (const P205Default &entry : P205Defaults)
        writeP205Register(entry.address);
}

// The page's board state: the default matrix, the address hand-over from automatic
// addressing, the per-slave bookkeeping and the script table. A configuration that does not
// load leaves the previous matrix in place.
void Board::resetPage()
{
    loadConfiguration(AppletHost::instance()->dataPath(DefaultConfiguration));
    if (AutoAddressing *addressing = AutoAddressing::instance())
        connect(addressing, &AutoAddressing::setAddress, this, &Board::getAddress,
                Qt::UniqueConnection);
    dimFreq.fill(0, MaxSlaves);
    scriptList.clear();
    QTableWidget *table = ui->tableAnimationScripts;
    table->setRowCount(0);
    table->setColumnCount(int(ScriptColumns.size()));
    table->setHorizontalHeaderLabels(ScriptColumns);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    lastFadingLevel = 0;
    for (MapEnaRecord &record : mapEnaState)
        record.known = false;
    ui->gbTest->hide();
    ui->gb_UARTspd->hide();
    for (int i = 0; i < ui->tabWidget->count(); ++i) {
        if (ui->tabWidget->tabText(i) == QLatin1String("Application"))
            ui->tabWidget->setCurrentIndex(i);
    }
    showWindow(); // a reconnection may have hidden it
}

// Enables or disables the power-stage tabs, found by their texts.
void Board::setPowerTabsEnabled(bool p205, bool p404)
{
    QTabWidget *tabs = ui->tabWidget;
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->tabText(i) == P205Tab)
            tabs->setTabEnabled(i, p205);
        else if (tabs->tabText(i) == P404Tab)
            tabs->setTabEnabled(i, p404);
    }
}

// One command per transaction; a refusal is logged by the link and the rest still goes out.
void Board::sendSetupCommands(const QList<QByteArray> &commands)
{
    ControlBoard *link = AppletHost::instance()->controlBoard();
    if (!link)
        return;
    for (const QByteArray &command : commands)
        link->send(command, nullptr);
}

void Board::on_pbLVDSEN_clicked()
{
    sendSetupCommands({"set DIO22CONF=00", "set DIO22DIR=0", "set DIO22=0"});
}

void Board::on_pbLVDSDIS_clicked()
{
    sendSetupCommands({"set DIO22CONF=00", "set DIO22DIR=1", "set DIO22=0"});
}
