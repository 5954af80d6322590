// Live sending: the bank operations on the slave SA and the pass that writes every device
// row's twelve channel windows into its chip's bank; the send timer picks this pass or the
// flash image by the port at each timeout.
#include "board.h"

#include "applethost.h"
#include "boardglobals.h"
#include "boardlog.h"
#include "configuration.h"
#include "controlboard.h"
#include "heldinput.h"
#include "phasecalculator.h"
#include "pxn.h"
#include "ui_board.h"

#include <QElapsedTimer>
#include <QTimer>

namespace
{

constexpr int Channels = 12;
constexpr int MaxBurst = 4; // words per bank frame

// Bank frames of n channel words, words 1..n: runs of up to four words, as (first, count).
QVector<QPair<quint8, quint8>> burstList(int n)
{
    QVector<QPair<quint8, quint8>> bursts;
    int count = 0;
    for (int word = 1; word <= n; ++word) {
        count = count == MaxBurst ? 1 : count + 1;
        if (!bursts.isEmpty() && bursts.last().first == word - count + 1)
            bursts.last().second = quint8(count);
        else
            bursts.append({quint8(word), quint8(count)});
    }
    return bursts;
}

bool transfer(Register &image, int word, bool read, quint8 count)
{
    Pxn *pxn = Pxn::instance();
    if (!pxn)
        return false;
    const BoardGlobals &globals = boardGlobals();
    const int sa = int(globals.SA.value());
    const quint8 broadcast = int(globals.BROADCAST.value()) == 1 ? 1 : 0;
    return pxn->transferBank(image, sa, word, read, count, broadcast);
}

} // namespace

bool Board::readBankRegister(int word)
{
    return transfer(boardGlobals().BANK, word, true, 0);
}

bool Board::writeBankRegister(int word, quint8 count)
{
    return transfer(boardGlobals().BANK, word, false, count);
}

bool Board::writeBankXRegister(int word, quint8 count)
{
    return transfer(boardGlobals().BANKX, word, false, count);
}

void Board::wireSendTimer()
{
    connect(sendTimer, &QTimer::timeout, this, &Board::onSendTimeout, Qt::UniqueConnection);
}

// The port decides at each timeout: the bank pass on "mockup", the flash image elsewhere.
// Either sends several lines, with pauses that serve events: requests wait until it is done.
// A timeout within another command's pause comes again once that command is done.
void Board::onSendTimeout()
{
    if (HeldInput::isBusy()) {
        sendTimer->start(LiveSendDelayMs);
        return;
    }
    const auto requestsWait = AppletHost::instance()->requestHold();
    if (currentPort() == QLatin1String("mockup"))
        sendData();
    else
        sendFWData();
}

void Board::on_cbBroadcast_clicked(bool)
{
    wireSendTimer();
}

void Board::sendData()
{
    qCDebug(lcBoard) << "Send data to devices";
    QElapsedTimer pass;
    pass.start();
    const QList<int> addresses = deviceAddresses();
    const int devices = qMin(int(NumberOfDevices), int(addresses.size()));
    for (int d = 0; d < devices; ++d)
        sendDeviceRow(d, addresses.at(d));
    qCDebug(lcBoard) << "The slow operation took" << pass.elapsed() << "milliseconds";
    if (ui->cbAutoupdate->isChecked() && currentPort() != QLatin1String("mockup"))
        broadcastMapEnable();
    sendTimer->stop();
}

PhaseCalculator *Board::phaseCalculator(int address)
{
    for (auto it = phaseCalculators.crbegin(); it != phaseCalculators.crend(); ++it)
        if (it->second == address)
            return it->first;
    phaseCalculators.append({new PhaseCalculator, address});
    return phaseCalculators.last().first;
}

// Device row d owns switches 12d + 1 .. 12d + 12; switches the layout lacks count as duty 0.
void Board::sendDeviceRow(int d, int address)
{
    if (address == -1)
        return;
    if (address < 0 || address >= MaxSlaves) {
        emit signal_log(1, QStringLiteral("Device row %1: address %2 is outside 0..31, not sent")
                               .arg(d + 1)
                               .arg(address));
        return;
    }
    set(QStringLiteral("SA"), address, Variable::InternalKey);
    const int code = dimFreq.value(address);
    const int mode = unsigned(code) < unsigned(MaxSlaves) ? code : 0;
    qCDebug(lcBoard) << "Device:" << d << "Addr:" << address;
    qCDebug(lcBoard) << "DIMFREQ" << mode;
    const int first = Channels * d;
    int duty[Channels], start[Channels], end[Channels], index[Channels];
    for (int i = 0; i < Channels; ++i)
        duty[i] = dutyBySwitch.value(first + i);
    QElapsedTimer timer;
    timer.start();
    phaseCalculator(address)->computePhases(Channels, mode, duty, start, end, index);
    qCDebug(lcBoard) << "The calculation operation took" << timer.elapsed() << "milliseconds";
    for (int i = 0; i < Channels && first + i < dutyBySwitch.size(); ++i)
        dutyBySwitch[first + i] = duty[i];
    for (int n = 1; n <= Channels; ++n) {
        const QString channel = QString::number(n) + QLatin1Char(']');
        set(QStringLiteral("BANKX[ON") + channel, start[n - 1], Variable::InternalKey);
        set(QStringLiteral("BANKX[OFF") + channel, end[n - 1], Variable::InternalKey);
        set(QStringLiteral("BANKX[TR") + channel, index[n - 1], Variable::InternalKey);
    }
    timer.restart();
    for (const auto &burst : burstList(Channels)) {
        qCDebug(lcBoard) << "addr" << burst.first << "count" << burst.second;
        writeBankXRegister(burst.first, burst.second);
    }
    qCDebug(lcBoard) << "The sending operation took" << timer.elapsed() << "milliseconds";
}

// Re-enables the mapping of every chip after a pass on a real board.
void Board::broadcastMapEnable()
{
    if (Configuration *configuration = Configuration::instance()) {
        for (const char *field : {"MAPENA[B]", "MAPENA[MAPENA]", "MAPENA[CNT_RST]"})
            configuration->set(QLatin1String(field), 1, Variable::InternalKey);
        configuration->run(QStringLiteral("MAPENA_Write"), QString());
    }
    if (ControlBoard *link = AppletHost::instance()->controlBoard())
        link->send("set P110MAPENA=01", nullptr);
}
