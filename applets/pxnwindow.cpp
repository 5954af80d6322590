// The raw-frame window of Pxn: its two commands and the data edits that follow each frame's
// length.
#include "pxn.h"

#include "appletcommands.h"
#include "pxnregisters.h"
#include "register.h"
#include "variable.h"

#include <QWidget>

namespace
{

// The layout value for which the data edits were last re-evaluated.
int &lastBankLayout()
{
    static int layout = 0;
    return layout;
}

int lengthCode(Register &frame)
{
    return int(frame.getField(QStringLiteral("[BC]")));
}

} // namespace

int Pxn::dataLength(int bc, int layout)
{
    // Layout 0 fills whole 3-byte groups; layouts 1 and 2 end one or two bytes earlier in the
    // last group, alternating with the parity of the length code.
    static const int lengths[3][4] = {{3, 6, 9, 12}, {2, 4, 8, 10}, {1, 5, 7, 11}};
    return lengths[qBound(0, layout, 2)][qBound(0, bc, 3)];
}

int Pxn::bankLayout()
{
    return int(pxnRegisters().Bank_layout.value());
}

QVariant Pxn::run(const QString &command, const QVariant & /*args*/)
{
    if (AppletCommands::offer(functions, command, QStringLiteral("Write_raw_data"),
                              QStringLiteral("Write raw data to register bank")))
        return writeRawData();
    if (AppletCommands::offer(functions, command, QStringLiteral("Read_raw_data"),
                              QStringLiteral("Read raw data from register bank")))
        return readRawData();
    return false;
}

bool Pxn::writeRawData()
{
    Register &frame = pxnRegisters().W_BANK;
    const QPair<int, int> pid = frameIdentifiers(frame, "RBA");
    const int length = dataLength(lengthCode(frame), bankLayout());
    const QByteArray data = frame.toByteArray(true, false).mid(2, length);
    const bool result = sendFrame(pid.first, pid.second, data);
    dumpBytes(data);
    slot_updateAllControls();
    return result;
}

bool Pxn::readRawData()
{
    Register &frame = pxnRegisters().R_BANK;
    const QPair<int, int> pid = frameIdentifiers(frame, "RBA");
    const int length = dataLength(lengthCode(frame), bankLayout());
    QByteArray data;
    unsigned crc = 0;
    const bool result = requestFrame(pid.first, pid.second, data, crc, length, RepeatLead);
    dumpBytes(data);
    if (result)
        frame.setFromByteArray(data, length * 8, 16, 1, false);
    slot_updateAllControls();
    return result;
}

bool Pxn::updateItem(int mode, const QString &name)
{
    if (mode != 0)
        return true;
    if (name == QLatin1String("W_BANK") || name == QLatin1String("R_BANK"))
        enableDataEdits(name);
    else if (name == QLatin1String("Bank_layout"))
        followBankLayout();
    return true;
}

void Pxn::followBankLayout()
{
    const int layout = bankLayout();
    if (layout == lastBankLayout())
        return;
    writeParameters(QStringLiteral("W_BANK;R_BANK"));
    lastBankLayout() = layout;
}

void Pxn::enableDataEdits(const QString &frame)
{
    const bool write = frame == QLatin1String("W_BANK");
    PxnRegisters &registers = pxnRegisters();
    const int length =
        dataLength(lengthCode(write ? registers.W_BANK : registers.R_BANK), bankLayout());
    const std::array<QWidget *, 12> &edits = write ? m_writeData : m_readData;
    for (size_t i = 0; i < edits.size(); ++i)
        edits[i]->setEnabled(int(i) < length);
}

void Pxn::onDisconnected() {}

// Puts nothing on the bus: reads do nothing here and writes only re-apply the enabling rule.
void Pxn::onConnected()
{
    readParameters(QStringLiteral("*"));
    writeParameters(QStringLiteral("*"));
    slot_updateAllControls();
}
