// The device groups' actions on the matrix chips, through the configuration applet, and the
// buttons that open the addressing applets.
#include "board.h"

#include "accessiblenames.h"
#include "addressdiscovery.h"
#include "applethost.h"
#include "autoaddressing.h"
#include "boardlog.h"
#include "configuration.h"
#include "ui_board.h"
#include "variable.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>

namespace
{

// Shows an applet's window and checks its menu entry. The entry is checkable: triggering an
// entry that is already checked would hide the window, so only an unchecked one is triggered.
void showApplet(Applet *applet)
{
    if (!applet)
        return;
    QAction *entry = applet->action();
    if (entry && !entry->isChecked())
        entry->trigger();
    else
        applet->showWindow();
}

template <typename T> T *findApplet()
{
    AppletHost *host = AppletHost::instance();
    for (int i = 0; i < host->appletCount(); ++i) {
        if (T *applet = qobject_cast<T *>(host->applet(i)))
            return applet;
    }
    return nullptr;
}

} // namespace

// The row whose widget sent the current signal; -1 when none did.
int Board::senderDeviceRow() const
{
    QObject *source = sender();
    for (int row = 0; row < deviceRows.size(); ++row) {
        if (deviceRows.at(row).widgets.contains(source))
            return row;
    }
    return -1;
}

// The slave address in a row's address edit; -1 when none is set or the text is no number.
int Board::deviceAddress(int row) const
{
    const auto *edit = static_cast<QLineEdit *>(deviceRows.at(row).widgets.first());
    bool ok;
    const int address = edit->text().trimmed().toInt(&ok);
    return ok ? address : -1;
}

// A widget of a row by its binding name.
QWidget *Board::deviceWidget(int row, const char *bindingName) const
{
    for (QWidget *w : deviceRows.at(row).widgets) {
        if (CustomControls::AccessibleNames::bindingName(w) == QLatin1String(bindingName))
            return w;
    }
    return nullptr;
}

// The row of the device action just pressed, after its address has become the configuration
// applet's target; -1 when the row has no address or there is no configuration applet.
int Board::targetDeviceRow()
{
    const int row = senderDeviceRow();
    if (row < 0 || !Configuration::instance())
        return -1;
    const int address = deviceAddress(row);
    if (address == -1)
        return -1;
    qCDebug(lcBoard) << "device address" << address;
    return Configuration::setSaconf(address) ? row : -1;
}

void Board::getAddress(int address, int newAddress)
{
    const int values[] = {address, newAddress};
    for (int row = 0; row < 2 && row < deviceRows.size(); ++row)
        static_cast<QLineEdit *>(deviceRows.at(row).widgets.first())
            ->setText(QString::number(values[row]));
}

void Board::configurationClicked()
{
    if (targetDeviceRow() >= 0)
        showApplet(Configuration::instance());
}

void Board::goToNormalMode()
{
    if (targetDeviceRow() < 0)
        return;
    Configuration *configuration = Configuration::instance();
    configuration->set(QStringLiteral("CHANGE_MODE[NMD]"), 1, Variable::InternalKey);
    configuration->run(QStringLiteral("Change_Mode_Write"), QString());
}

// Reads the chip's operating mode and PXN mode into the row's combos; a read that fails leaves
// its combo as it was. Each field is as wide as its combo is long: OPMODE four bits for the 16
// modes, PMS one bit for the two.
void Board::readMode()
{
    const int row = targetDeviceRow();
    if (row < 0)
        return;
    Configuration *configuration = Configuration::instance();
    const struct {
        const char *command;
        const char *field;
        const char *combo;
    } reads[] = {{"OP_MODE_STATUS_READ", "OP_MODE_ST[OPMODE]", "OPMODE"},
                 {"Read_PXN_Mode_Rq", "R_PXN_MODE_RQ[PMS]", "PXNMODE"}};
    for (const auto &read : reads) {
        if (configuration->run(QLatin1String(read.command), QString()).toBool()) {
            const int index =
                configuration->get(QLatin1String(read.field), Variable::InternalKey).toInt();
            qobject_cast<QComboBox *>(deviceWidget(row, read.combo))->setCurrentIndex(index);
        }
    }
    addressChangedSlot();
}

void Board::on_pbAA_clicked()
{
    showApplet(AutoAddressing::instance());
}

void Board::on_pbAdrDiscovery_clicked()
{
    showApplet(findApplet<AddressDiscovery>());
}

// The service mode: direct switching uses the twelve switch boxes, "OPEN clear" its selection.
void Board::on_comboBox_currentIndexChanged(int index)
{
    if (index != 0 && index != 1)
        return;
    ui->frame_reg0sw->setEnabled(index == 0);
    ui->cb_opnclr->setEnabled(index == 1);
}
