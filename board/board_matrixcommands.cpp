// The page's register-bank commands for the matrix chips: the map frames of registers 0, 13
// and 16 with the per-slave MAPENA records, the multi-register commands, the on/off times to
// an address list, and the roof pattern.
#include "board.h"

#include "boardglobals.h"
#include "dialogprogressbar.h"
#include "pxnframe.h"
#include "ui_board.h"

#include <QRegularExpression>

namespace
{

constexpr int RegisterZeroType = 0x20;
constexpr int RegisterZeroPid2 = 0x80; // write, one word, word 0
constexpr int WordBits = 24;

// Identifier byte: the low seven bits and their odd-parity bit in bit 7.
int withParity(int value)
{
    return (value & 0x7F) | (oddParity7(unsigned(value)) << 7);
}

// A word's three bytes, least significant first.
QByteArray wordBytes(quint32 word)
{
    QByteArray bytes;
    for (int shift = 0; shift < WordBits; shift += 8)
        bytes.append(char((word >> shift) & 0xFF));
    return bytes;
}

// The duty windows of the roof pattern for switches 1..12; the mirror runs them backwards.
const int RoofOn[12] = {620, 580, 540, 500, 460, 420, 380, 340, 300, 260, 220, 180};
const int RoofOff[12] = {660, 700, 740, 780, 820, 860, 900, 940, 980, 1020, 40, 80};
constexpr quint8 RoofMirrored = 0x40; // the pattern flag of the roof's direction

// The progress dialog of a multi-register command: shown and updated only while a bound
// button started the command.
class CommandProgress
{
public:
    CommandProgress(QWidget *parent, bool visible) : m_dialog(parent), m_visible(visible)
    {
        if (m_visible)
            m_dialog.show();
    }
    ~CommandProgress() { m_dialog.close(); }
    void step(int value, int maximum)
    {
        if (m_visible)
            m_dialog.setProgress(value, maximum);
    }

private:
    DialogProgressBar m_dialog;
    bool m_visible;
};

} // namespace

// Register 0 through the bank path in service mode; otherwise as a map frame to each slave,
// with the controller's map enable the first time a slave is seen. On the frame path the
// result is whether every frame was delivered (false when no slave could be addressed).
bool Board::writeRegisterZero()
{
    BoardGlobals &g = boardGlobals();
    if (g.BANK.getField(QStringLiteral("[SERVICE]")) == 1)
        return writeBankRegister(0, 1);
    const QByteArray data = wordBytes(g.BANK.value(0, WordBits - 1));
    const QVector<quint8> addresses = mapAddresses();
    bool ok = !addresses.isEmpty();
    for (quint8 address : addresses) {
        const QByteArray frame =
            PxnFrame::build(withParity(address | RegisterZeroType), RegisterZeroPid2, data, true);
        ok = sendMapCommand(address, "0100", frame) && ok;
        if (!mapEnaState[address].known)
            sendLine(QByteArrayLiteral("set P110MAPENA=01"));
        // Whatever the send gave: the next map enable goes out again.
        mapEnaState[address] = {0, true};
    }
    return ok;
}

// Register 13, then, with MAPENA set, the map-enable frame to every slave not known to have
// it. The result is the register write's.
bool Board::writeRegisterThirteen()
{
    const bool ok = writeBankRegister(13, 1);
    if (boardGlobals().BANK.getField(QStringLiteral("[MAPENA]")) != 1)
        return ok;
    for (quint8 address : mapAddresses()) {
        if (mapEnaState[address].known && mapEnaState[address].value != 0)
            continue;
        sendMapCommand(address, "0101", mapEnableFrame(address));
        mapEnaState[address] = {1, true};
    }
    return ok;
}

// Register 14; a written DIMFREQ code is kept for live sending of that slave.
bool Board::writeRegisterFourteen()
{
    if (!writeBankRegister(14, 1))
        return false;
    const int address = slaveAddress();
    if (address >= 0 && address < MaxSlaves)
        dimFreq[address] = int(boardGlobals().BANK.getField(QStringLiteral("[DIMFREQ]")));
    return true;
}

// Register 16 (status); a set error flag is cleared through the controller, after which the
// slave's map enable is no longer taken as known.
bool Board::readRegisterSixteen()
{
    const bool ok = readBankRegister(16);
    Register &bank = boardGlobals().BANK;
    bool flagged = false;
    for (const char *flag : {"[TSD]", "[DIMERR]", "[CAP_UV]", "[VBB_LOW]", "[TIMEOUT]"})
        flagged = flagged || bank.getField(QLatin1String(flag)) == 1;
    const int address = slaveAddress() & 0xFF;
    if (flagged && hasMapRecord(address)) {
        sendMapCommand(quint8(address), "0000", QByteArray(1, '\0'));
        mapEnaState[address].known = false;
    }
    return ok;
}

// Reads or writes the bank words first..last of the slave SA, pausing after each; a failed
// word does not stop the loop. Reads keep the bank images quiet until the end.
bool Board::runBankLoop(int first, int last, bool read, unsigned pauseMs)
{
    BoardGlobals &g = boardGlobals();
    const int address = slaveAddress();
    if (address < 0 || address >= MaxSlaves) { // no slave: nothing to transfer, nor to wait for
        emit signal_log(1, QStringLiteral("SA %1 is not a slave address (0..31)").arg(address));
        return false;
    }
    CommandProgress progress(this, triggeredByControl);
    const bool bankBlocked = read && g.BANK.blockSignals(true);
    const bool bankXBlocked = read && g.BANKX.blockSignals(true);
    bool ok = true;
    for (int word = first; word <= last; ++word) {
        ok = (read ? readBankRegister(word) : writeBankRegister(word, 1)) && ok;
        progress.step(word, last);
        delayMs(pauseMs);
    }
    if (read) {
        g.BANK.blockSignals(bankBlocked);
        g.BANKX.blockSignals(bankXBlocked);
    }
    slot_updateAllControls();
    return ok;
}

// The on/off times (words 1..12 of BANK, through BANKX) to every address of the list, in three
// four-word frames each; SA keeps the last address written.
bool Board::writeOnOffTimes()
{
    BoardGlobals &g = boardGlobals();
    CommandProgress progress(this, triggeredByControl);
    static const QRegularExpression digits(QStringLiteral("^\\d*$"));
    bool ok = true;
    for (const QString &element : onOffAddressList()) {
        bool number = false;
        const int address = element.toInt(&number);
        if (!number || !digits.match(element).hasMatch() || address < 0 || address >= MaxSlaves)
            continue;
        set(QStringLiteral("SA"), address, Variable::InternalKey);
        g.BANKX.assignFrom(g.BANK);
        for (int word : {1, 5, 9}) {
            ok = writeBankXRegister(word, 4) && ok;
            progress.step(word, 12);
            delayMs(100);
        }
    }
    slot_updateAllControls();
    if (ui->chbMAPENA->isChecked())
        sendBroadcastMapEnable(false);
    return ok;
}

// The elements of the address box; an empty box stands for SA.
QStringList Board::onOffAddressList() const
{
    QStringList list = ui->leAddessBox->text().split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (list.isEmpty())
        list.append(QString::number(boardGlobals().SA.value()));
    return list;
}

// ON, OFF and TR of switches 1..12 from the roof table, mirrored on every other run.
bool Board::roofPattern()
{
    const bool mirrored = (patternPhase & RoofMirrored) != 0;
    for (int n = 1; n <= 12; ++n) {
        const int index = mirrored ? 12 - n : n - 1;
        const QString number = QString::number(n);
        set(QStringLiteral("BANK[ON") + number + QLatin1Char(']'), RoofOn[index],
            Variable::InternalKey);
        set(QStringLiteral("BANK[OFF") + number + QLatin1Char(']'), RoofOff[index],
            Variable::InternalKey);
        set(QStringLiteral("BANK[TR") + number + QLatin1Char(']'), n - 1, Variable::InternalKey);
    }
    patternPhase ^= RoofMirrored;
    return true;
}

// The slaves a map frame goes to: every device row's address with BROADCAST 1, else SA. Each
// is taken as a byte; those outside 0..31 are left out with a warning.
QVector<quint8> Board::mapAddresses()
{
    QList<int> candidates = {slaveAddress()};
    if (boardGlobals().BROADCAST.value() == 1)
        candidates = deviceAddresses();
    QVector<quint8> addresses;
    for (int address : candidates)
        if (hasMapRecord(address & 0xFF))
            addresses.append(quint8(address));
    return addresses;
}

// The map command to a slave; true when the controller acknowledged it.
bool Board::sendMapCommand(quint8 address, const char *modeKind, const QByteArray &frame)
{
    QByteArray answer;
    return sendLine(mapCommand(address, modeKind, frame), &answer);
}
