#include "configuration.h"

#include "appletcommands.h"
#include "applethost.h"
#include "appletslog.h"
#include "boardpageaccess.h"
#include "configurationregisters.h"
#include "controlboard.h"
#include "pxn.h"
#include "pxnframe.h"
#include "register.h"
#include "variable.h"

#include "ui_configuration.h"

namespace
{

constexpr int MaxSlaveAddress = 31; // the five-bit SA field

Configuration *&current()
{
    static Configuration *configuration = nullptr;
    return configuration;
}

QString fieldName(const QString &field)
{
    return QLatin1Char('[') + field + QLatin1Char(']');
}

// Points the frame layer (and the raw-frame window) at the target chip.
bool pointFrameLayerAt(int address)
{
    Pxn *pxn = Pxn::instance();
    return pxn && pxn->set(QStringLiteral("W_BANK[SA]"), address, Variable::InternalKey);
}

// A device row's address text as a slave address, or -1.
int rowAddress(const QString &text)
{
    bool ok;
    const int address = text.trimmed().toInt(&ok);
    return ok && address >= 0 && address <= MaxSlaveAddress ? address : -1;
}

} // namespace

// One command of run(): a read of answerBytes bytes, or a write whose first payload byte is
// rebuilt from the named fields, each shifted to its place (no fields: sent as stored).
struct Configuration::Command {
    enum Kind { Read, Write, UartSpeed, Mapena, ReadAll };

    QString name;
    QString help;
    Kind kind;
    Register ConfigurationRegisters::*reg;
    QList<QPair<QString, int>> firstByte;
    int answerBytes{}; // reads only
};

const QList<Configuration::Command> &Configuration::commands()
{
    using R = ConfigurationRegisters;
    // clang-format off
    static const QList<Command> table = {
        {"Read_slave_ident", "Read slave identification", Command::Read, &R::ID_SLAVE, {}, 6},
        {"OP_MODE_STATUS_READ", "Read OP mode", Command::Read, &R::OP_MODE_ST, {}, 1},
        {"Write_I2CEEPROM_Request", "Send request by I2C to EEPROM", Command::Write,
         &R::I2C_EEPROM_RQ, {{"B", 7}, {"EESA", 0}}},
        {"Write_I2CEEPROM", "Write by I2C to EEPROM", Command::Write, &R::I2C_EEPROM_WRITE,
         {{"B", 7}, {"EESA", 0}}},
        {"Read_I2CEEPROM", "Read by I2C to EEPROM", Command::Read, &R::I2C_EEPROM_READ, {}, 10},
        {"AUTO_ADD_Write", "Write auto address control", Command::Write, &R::AUTO_ADD,
         {{"B", 7}, {"AAC", 0}}},
        {"Assign_adr_Write", "Write Assign address", Command::Write, &R::ASSIGN_ADD, {}},
        {"UART_Speed_Write", "Write UART speed", Command::UartSpeed, &R::UART,
         {{"B", 7}, {"CSPEED", 0}}},
        {"Change_Mode_Write", "Write mode", Command::Write, &R::CHANGE_MODE,
         {{"B", 7}, {"NMD", 0}}},
        {"SW_Reset_Write", "Write SW reset", Command::Write, &R::SW_RESET,
         {{"B", 7}, {"SWRST", 0}}},
        {"MAPENA_Write", "Write MAPENA", Command::Mapena, &R::MAPENA,
         {{"B", 7}, {"WDT_SEL", 2}, {"CNT_RST", 1}, {"MAPENA", 0}}},
        {"Write_PXN_Mode_Rq", "Write PXN mode request", Command::Write, &R::WR_PXN_MODE_RQ,
         {{"B", 7}, {"PMC", 0}}},
        {"Read_PXN_Mode_Rq", "Read PXN mode request", Command::Read, &R::R_PXN_MODE_RQ, {}, 1},
        {"Read_all_conf", "Read all config registers", Command::ReadAll, nullptr, {}},
    };
    // clang-format on
    return table;
}

Configuration::Configuration(QWidget *parent) : Applet(parent), ui(new Ui::Configuration)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Configuration frame"));
    if (!current()) // the program makes one; a later one does not take its place
        current() = this;
}

Configuration::~Configuration()
{
    if (current() == this)
        current() = nullptr;
    delete ui;
}

Configuration *Configuration::instance()
{
    return current();
}

bool Configuration::setSaconf(int address)
{
    return configurationRegisters().SACONF.setValue(address, Variable::InternalKey);
}

bool Configuration::init()
{
    ConfigurationRegisters &r = configurationRegisters();
    for (Register *reg : {&r.ID_SLAVE, &r.OP_MODE_ST, &r.I2C_EEPROM_WRITE, &r.I2C_EEPROM_READ,
                          &r.I2C_EEPROM_RQ, &r.AUTO_ADD, &r.ASSIGN_ADD, &r.WR_PXN_MODE_RQ,
                          &r.R_PXN_MODE_RQ, &r.CHANGE_MODE, &r.UART, &r.SW_RESET, &r.MAPENA})
        addRegister(reg);
    addVariable(&r.SACONF);

    // The frame counter and the watchdog selection do not exist on TO1 chips.
    if (AppletHost::instance()->projectType().contains(QLatin1String("TO1"))) {
        for (QWidget *widget :
             {static_cast<QWidget *>(ui->label_101), static_cast<QWidget *>(ui->lineEdit),
              static_cast<QWidget *>(ui->label_67), static_cast<QWidget *>(ui->cmREG0D_3_5)})
            widget->setEnabled(false);
    }
    const QStringList pxnModes = {QStringLiteral("0. Slave"), QStringLiteral("1. Repeater-Slave")};
    ui->cbPMC->addItems(pxnModes);
    ui->cbPMS->addItems(pxnModes);
    ui->cbAAC->addItems({QStringLiteral("0. AA Disabled"), QStringLiteral("1. AA Enabled")});
    return true;
}

// Each command's help entry is added before its name is compared, so an unknown or empty
// command leaves all fourteen.
QVariant Configuration::run(const QString &command, const QVariant & /*args*/)
{
    for (const Command &c : commands()) {
        if (AppletCommands::offer(functions, command, c.name, c.help))
            return perform(c);
    }
    return false;
}

bool Configuration::perform(const Command &command)
{
    switch (command.kind) {
    case Command::Mapena:
        return writeMapena(command);
    case Command::ReadAll:
        return readAll();
    default:
        break;
    }
    const int address = targetAddress();
    if (address < 0)
        return false;
    Register &reg = configurationRegisters().*command.reg;
    if (command.kind == Command::UartSpeed)
        return writeUartSpeed(command, address);
    if (command.kind == Command::Write)
        return writeFrame(reg, command, address);
    if (!pointFrameLayerAt(address))
        return false;
    const bool result = readFrame(reg, command.answerBytes, true);
    slot_updateAllControls();
    return result;
}

// SACONF as a slave address, or -1. It may hold up to 34, which the five-bit SA field would
// turn into another chip's address: such a target gets nothing.
int Configuration::targetAddress()
{
    const int address = int(configurationRegisters().SACONF.value());
    if (address >= 0 && address <= MaxSlaveAddress)
        return address;
    emit signal_log(1, QStringLiteral("SACONF %1 is not a slave address (0..31)").arg(address));
    return -1;
}

bool Configuration::writeFrame(Register &reg, const Command &command, int address)
{
    reg.setField(QStringLiteral("[BC]"), 0);
    reg.setField(QStringLiteral("[SA]"), quint32(address));
    if (!pointFrameLayerAt(address))
        return false;
    reg.setField(QStringLiteral("[P1]"), quint32(oddParity7(*reg.select(0, 6))));
    reg.setField(QStringLiteral("[P2]"), quint32(oddParity7(*reg.select(8, 14))));
    const auto field = [&reg](const char *name) { return reg.getField(fieldName(name)); };
    const int pid1 = int(field("P1") << 7 | field("FT") << 5 | field("SA"));
    const int pid2 = int(field("P2") << 7 | field("BC") << 5 | field("CSID"));

    QByteArray payload = reg.toByteArray(true, false).mid(2);
    if (!command.firstByte.isEmpty() && !payload.isEmpty()) {
        quint32 first = 0;
        for (const QPair<QString, int> &part : command.firstByte)
            first |= reg.getField(fieldName(part.first)) << part.second;
        payload[0] = char(first & 0xFF);
    }
    qCDebug(lcApplets) << "pid1 = " << pid1 << " pid2 = " << pid2;
    return Pxn::instance()->sendFrame(pid1, pid2, payload);
}

bool Configuration::readFrame(Register &reg, int answerBytes, bool refresh)
{
    return Pxn::instance()->readCommandFrame(reg, answerBytes, refresh);
}

// The controller's second UART follows the chips to the new speed once they have it.
bool Configuration::writeUartSpeed(const Command &command, int address)
{
    static const int Rates[] = {125000, 250000, 500000, 1000000};
    Register &reg = configurationRegisters().UART;
    if (!writeFrame(reg, command, address))
        return false;
    const int rate = Rates[reg.getField(QStringLiteral("[CSPEED]")) & 3];
    ControlBoard *board = AppletHost::instance()->controlBoard();
    return board && board->send("set SER2BAUD=" + QByteArray::number(rate), nullptr);
}

// With B 1 one frame goes to each board-page device row whose address text is a slave address;
// otherwise one frame to SACONF. True when every frame was accepted (and at least one went).
bool Configuration::writeMapena(const Command &command)
{
    Register &reg = configurationRegisters().MAPENA;
    QList<int> targets;
    if (reg.getField(QStringLiteral("[B]")) == 1) {
        const BoardPageAccess *page = BoardPageAccess::instance();
        for (const QString &text : page ? page->deviceAddressTexts() : QStringList()) {
            const int address = rowAddress(text);
            if (address < 0)
                qCDebug(lcApplets) << "MAPENA_Write: device row address" << text << "skipped";
            else
                targets.append(address);
        }
    } else {
        const int address = targetAddress();
        if (address < 0)
            return false;
        targets.append(address);
    }
    bool result = !targets.isEmpty();
    for (int address : std::as_const(targets))
        result = writeFrame(reg, command, address) && result;
    return result;
}

// All four reads run whatever the others gave; the form and the frame window (whose length
// code the reads set) are refreshed once at the end.
bool Configuration::readAll()
{
    const int address = targetAddress();
    if (address < 0 || !pointFrameLayerAt(address))
        return false;
    ConfigurationRegisters &r = configurationRegisters();
    bool result = readFrame(r.ID_SLAVE, 6, false);
    result = readFrame(r.OP_MODE_ST, 1, false) && result;
    result = readFrame(r.R_PXN_MODE_RQ, 1, false) && result;
    result = readFrame(r.I2C_EEPROM_READ, 10, false) && result;
    Pxn::instance()->slot_updateAllControls();
    slot_updateAllControls();
    return result;
}
