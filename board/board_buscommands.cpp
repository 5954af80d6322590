// The page's commands for the chips' serial bus: its rate, the map enable of the matrix chips
// and the operating mode of a device row's chip, through the configuration applet.
#include "board.h"

#include "boardglobals.h"
#include "configuration.h"
#include "ui_board.h"

#include <QComboBox>

#include <iterator>

namespace
{

// Rates offered by the rate box, by index.
const int BusRates[] = {125000, 250000, 500000, 1000000};
constexpr int OpModeComboIndex = 4; // position of the OPMODE combo in a device row

// Writes the configuration applet's items with the internal key, then runs its command.
void runConfiguration(const QList<QPair<QString, int>> &items, const QString &command)
{
    Configuration *configuration = Configuration::instance();
    if (!configuration)
        return;
    for (const auto &item : items)
        configuration->set(item.first, item.second, Variable::InternalKey);
    configuration->run(command, QString());
}

} // namespace

// "set SER2BAUD=" with the rate typed in leUART, or the rate box's choice when none is typed.
void Board::setSerialBusRate()
{
    const int typed = ui->leUART->text().toInt();
    if (typed < 0) {
        emit signal_log(-1, QStringLiteral("Board: serial-bus rate %1 refused").arg(typed));
        return;
    }
    const int index = ui->cbBAUDRATE->currentIndex();
    int rate = typed;
    if (rate == 0 && index >= 0 && index < int(std::size(BusRates)))
        rate = BusRates[index];
    if (rate > 0)
        sendLine("set SER2BAUD=" + QByteArray::number(rate));
}

// Starts the one-step animation on a real port without broadcast; otherwise the matrix chips'
// map enable goes out as a configuration frame.
void Board::enableMapping()
{
    if (currentPort() != QLatin1String("mockup") && boardGlobals().BROADCAST.value() == 0)
        sendLine(QByteArrayLiteral("set p110animation=01"));
    else
        sendBroadcastMapEnable(true);
}

// The configuration applet's MAPENA frame with B, MAPENA and CNT_RST set (and WDT_SEL
// cleared when asked).
void Board::sendBroadcastMapEnable(bool withWatchdogSelect)
{
    QList<QPair<QString, int>> items = {{QStringLiteral("MAPENA[B]"), 1},
                                        {QStringLiteral("MAPENA[MAPENA]"), 1},
                                        {QStringLiteral("MAPENA[CNT_RST]"), 1}};
    if (withWatchdogSelect)
        items.append({QStringLiteral("MAPENA[WDT_SEL]"), 0});
    runConfiguration(items, QStringLiteral("MAPENA_Write"));
}

// Reads the operating mode of the chip of a device row into the row's OPMODE combo. False
// in every case (nothing is sent without a row or an address).
bool Board::readOperatingMode(int row)
{
    bool ok = false;
    const int address = deviceRowAddress(row, &ok);
    Configuration *configuration = Configuration::instance();
    if (!ok || !configuration || !Configuration::setSaconf(address))
        return false;
    configuration->run(QStringLiteral("OP_MODE_STATUS_READ"), QString());
    const int mode =
        configuration->get(QStringLiteral("OP_MODE_ST[OPMODE]"), Variable::InternalKey).toInt();
    if (auto *combo = qobject_cast<QComboBox *>(deviceRows[row].widgets.value(OpModeComboIndex)))
        combo->setCurrentIndex(mode);
    addressChangedSlot();
    return false;
}

// Sends the chip of a device row the change-to-normal-mode command. False in every case.
bool Board::changeToNormalMode(int row)
{
    bool ok = false;
    const int address = deviceRowAddress(row, &ok);
    if (!ok || !Configuration::setSaconf(address))
        return false;
    runConfiguration({{QStringLiteral("CHANGE_MODE[NMD]"), 1}},
                     QStringLiteral("Change_Mode_Write"));
    return false;
}

// The address typed in a device row's edit (a text that is no number reads 0); *ok tells
// whether the row exists and its address is not negative.
int Board::deviceRowAddress(int row, bool *ok) const
{
    const auto *edit = row >= 0 && row < deviceRows.size()
                           ? qobject_cast<const QLineEdit *>(deviceRows[row].widgets.value(0))
                           : nullptr;
    const int address = edit ? edit->text().toInt() : -1;
    if (ok)
        *ok = address >= 0;
    return address;
}
