// The page's commands for the chips' serial bus: its rate, the map enable of the matrix chips
// and the operating mode of a device row's chip, through the configuration applet.
#include "board.h"

#include "boardglobals.h"
#include "configuration.h"
#include "ui_board.h"

#include <QComboBox>
#include <QList>

namespace
{

// Rates offered by the rate box, by index.
const QList<int> BusRates = {125000, 250000, 500000, 1000000};

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
    const int rate = typed > 0 ? typed : BusRates.value(ui->cbBAUDRATE->currentIndex());
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

// Reads the operating mode of the chip of a device row into the row's OPMODE combo, whose 16
// items are the four-bit field's values. False in every case (nothing is sent without a row
// or an address).
bool Board::readOperatingMode(int row)
{
    Configuration *configuration = Configuration::instance();
    if (!configuration || !targetRow(row))
        return false;
    configuration->run(QStringLiteral("OP_MODE_STATUS_READ"), QString());
    const int mode =
        configuration->get(QStringLiteral("OP_MODE_ST[OPMODE]"), Variable::InternalKey).toInt();
    qobject_cast<QComboBox *>(deviceWidget(row, "OPMODE"))->setCurrentIndex(mode);
    addressChangedSlot();
    return false;
}

// Sends the chip of a device row the change-to-normal-mode command. False in every case.
bool Board::changeToNormalMode(int row)
{
    if (targetRow(row))
        runConfiguration({{QStringLiteral("CHANGE_MODE[NMD]"), 1}},
                         QStringLiteral("Change_Mode_Write"));
    return false;
}

// Makes the address of a device row the configuration applet's target; false (nothing
// changed) when the row does not exist or its address is none or not a slave's.
bool Board::targetRow(int row)
{
    if (row < 0 || row >= deviceRows.size())
        return false;
    const int address = deviceAddress(row);
    return address >= 0 && Configuration::setSaconf(address);
}
