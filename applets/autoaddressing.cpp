#include "autoaddressing.h"

#include "appletslog.h"
#include "boardpageaccess.h"
#include "commandpause.h"
#include "configurationcalls.h"
#include "prompt.h"
#include "ui_autoaddressing.h"

namespace
{

constexpr int LastAddress = 31;
constexpr unsigned MaxThreshold = 255;
constexpr int MaxAttempts = 11;
constexpr int AddressingMode = 2; // the operating mode of a chip taking its address
constexpr int RowPauseMs = 1000;

const char *const TurnOffText = "Please turn off the current output for row %1 and click Ok";
const char *const EnableText = "Please enable output for row %1 and click Ok";
const char *const DisableText = "Please disable output for row %1 and click Ok";

AutoAddressing *&current()
{
    static AutoAddressing *applet = nullptr;
    return applet;
}

QString boxTitle()
{
    return QStringLiteral("Auto addressing");
}

} // namespace

AutoAddressing::AutoAddressing(QWidget *parent) : Applet(parent), ui(new Ui::AutoAddressing)
{
    ui->setupUi(this);
    ui->tableWidget->setAccessibleName(QStringLiteral("Devices to address"));
    setWindowTitle(boxTitle());
    current() = this;
}

AutoAddressing::~AutoAddressing()
{
    if (current() == this)
        current() = nullptr;
    delete ui;
}

AutoAddressing *AutoAddressing::instance()
{
    return current();
}

QVariant AutoAddressing::run(const QString & /*command*/, const QVariant & /*args*/)
{
    return QVariant(false);
}

bool AutoAddressing::init()
{
    return true;
}

void AutoAddressing::on_pbAddLine_clicked()
{
    // A cancelled dialog ends the question and adds nothing.
    bool ok;
    const int address = Prompt::integer(tr("Auto addressing"), tr("Address:"), 0, -1, 31, 1, &ok);
    if (!ok)
        return;
    const int threshold =
        Prompt::integer(tr("Auto addressing"), tr("Threshold:"), 0, 0, 255, 1, &ok);
    if (!ok)
        return;
    const int buck = Prompt::integer(tr("Auto addressing"), tr("Buck:"), 0, 0, 99, 1, &ok);
    if (!ok || address == -1 || threshold == 0)
        return;
    appendRow(address, threshold, buck);
}

void AutoAddressing::appendRow(int address, int threshold, int buck)
{
    QTableWidget *table = ui->tableWidget;
    const int row = table->rowCount();
    table->insertRow(row);
    table->setItem(row, 0, new QTableWidgetItem(QString::number(address)));
    table->setItem(row, 1, new QTableWidgetItem(QString::number(threshold)));
    table->setItem(row, 2, new QTableWidgetItem(QString::number(buck)));
}

void AutoAddressing::on_pbWrite_clicked()
{
    const int rows = ui->tableWidget->rowCount();
    if (rows == 0) {
        emit setAddress(-1, -1);
        return;
    }
    for (int index = 0; index < rows; ++index)
        switchOutput(index, readRow(index).buck, false, TurnOffText);
    for (int index = 0; index < rows; ++index) {
        if (!addressRow(index))
            return;
    }
    reportAddresses();
}

AutoAddressing::Row AutoAddressing::readRow(int index) const
{
    return Row{cellNumber(index, 0), cellNumber(index, 1), cellNumber(index, 2)};
}

int AutoAddressing::cellNumber(int row, int column) const
{
    // Text that is not a decimal number reads as 0.
    const QTableWidgetItem *item = ui->tableWidget->item(row, column);
    return item ? item->text().toInt(nullptr, 10) : 0;
}

void AutoAddressing::switchOutput(int index, int buck, bool on, const char *operatorText)
{
    BoardPageAccess *board = BoardPageAccess::instance();
    if (board && buck == 1)
        board->setBuck1Enabled(on);
    else if (board && buck == 2)
        board->setBuck2Enabled(on);
    else
        Prompt::ask(Prompt::Information, boxTitle(),
                    QString::fromLatin1(operatorText).arg(index + 1));
}

bool AutoAddressing::addressRow(int index)
{
    const Row row = readRow(index);
    if (!isValid(row)) {
        Prompt::ask(Prompt::Warning, QStringLiteral("AutoAddressing"),
                    QStringLiteral("Please check the values! Threshold <1;255>, Buck <1;x>, "
                                   "Address < 31"));
        return false;
    }
    if (row.address < 0)
        return true; // a row without an address is skipped
    switchOutput(index, row.buck, true, EnableText);
    if (!reachesAddressingMode(row)) {
        Prompt::ask(Prompt::Critical, boxTitle(),
                    QStringLiteral("There is an error with auto addressing process, please check "
                                   "the current output to LED string."));
        return false;
    }
    switchOutput(index, row.buck, false, DisableText);
    finishRow(index);
    CommandPause::wait(RowPauseMs);
    return true;
}

bool AutoAddressing::isValid(const Row &row)
{
    // A negative threshold fails too: it is compared as an unsigned number.
    if (unsigned(row.threshold) > MaxThreshold || row.address > LastAddress)
        return false;
    return row.buck >= 0;
}

bool AutoAddressing::reachesAddressingMode(const Row &row)
{
    for (int n = 0; n < MaxAttempts; ++n) {
        if (attempt(row))
            return true;
    }
    return false;
}

bool AutoAddressing::attempt(const Row &row)
{
    ConfigurationCalls::set(QStringLiteral("AUTO_ADD[B]"), 1);
    ConfigurationCalls::set(QStringLiteral("AUTO_ADD[AAC]"), 1);
    ConfigurationCalls::run(QStringLiteral("AUTO_ADD_Write"));
    ConfigurationCalls::set(QStringLiteral("ASSIGN_ADD[B]"), 1);
    ConfigurationCalls::set(QStringLiteral("ASSIGN_ADD[AA_ADR]"), row.address);
    ConfigurationCalls::set(QStringLiteral("ASSIGN_ADD[AA_THR]"), row.threshold);
    ConfigurationCalls::run(QStringLiteral("Assign_adr_Write"));
    ConfigurationCalls::set(QStringLiteral("SACONF"), row.address);
    ConfigurationCalls::run(QStringLiteral("OP_MODE_STATUS_READ"));
    const int mode = ConfigurationCalls::get(QStringLiteral("OP_MODE_ST[OPMODE]"));
    qCDebug(lcApplets) << "Mode" << mode;
    return mode == AddressingMode;
}

void AutoAddressing::finishRow(int index)
{
    ConfigurationCalls::set(QStringLiteral("AUTO_ADD[B]"), 0);
    ConfigurationCalls::set(QStringLiteral("AUTO_ADD[AAC]"), 0);
    ConfigurationCalls::run(QStringLiteral("AUTO_ADD_Write"));
    ConfigurationCalls::set(QStringLiteral("CHANGE_MODE[B]"), 0);
    ConfigurationCalls::set(QStringLiteral("CHANGE_MODE[NMD]"), 1);
    ConfigurationCalls::run(QStringLiteral("Change_Mode_Write"));
    if (index != 0)
        return;
    ConfigurationCalls::set(QStringLiteral("WR_PXN_MODE_RQ[B]"), 0);
    ConfigurationCalls::set(QStringLiteral("WR_PXN_MODE_RQ[PMC]"), 1);
    ConfigurationCalls::run(QStringLiteral("Write_PXN_Mode_Rq"));
}

void AutoAddressing::reportAddresses()
{
    int found[2] = {-1, -1};
    int filled = 0;
    for (int index = 0; index < ui->tableWidget->rowCount() && filled < 2; ++index) {
        const int address = readRow(index).address;
        if (address >= 0)
            found[filled++] = address;
    }
    emit setAddress(found[0], found[1]);
}
