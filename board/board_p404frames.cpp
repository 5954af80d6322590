// KVL52404 frame access: 32-bit SPI frames with a CRC-4, carried by the 32-bit SPI tool,
// moving words between the chip and the page's register map; the voltage readouts on top.
#include "board.h"

#include "boardlog.h"
#include "bytetext.h"
#include "dialogprogressbar.h"
#include "prompt.h"
#include "spiraw4b.h"
#include "toneoutput.h"
#include "variable.h"

#include <QRegularExpression>

#include <memory>

namespace
{

constexpr quint32 CrcSeed = 0xF;
constexpr int MapAddresses = 64;
constexpr int BeepHz = 880;
constexpr int BeepMs = 100;
constexpr quint32 SpiErrBit = 1u << 31;

// Bits 31..25 of a frame (CMD and address) sit in bits 6..0 of the answer's CRC block.
constexpr int FrameHeadShift = 25;
constexpr quint32 FrameHeadMask = 0x7F;
constexpr int BlockAnswerBit = 8; // bits 31..4 of the answer go to bits 35..8
constexpr int BlockLastBit = 35;

// CRC-4 over the nibbles of reg from the highest down to the one at bit lowestBit.
quint32 crcOfNibbles(const Register &reg, int lowestBit)
{
    quint32 crc = CrcSeed;
    for (int low = reg.size() - 4; low >= lowestBit; low -= 4) {
        quint32 nibble = 0;
        for (int bit = 3; bit >= 0; --bit)
            nibble = (nibble << 1) | quint32(reg.bit(low + bit) & 1);
        crc = Board::f_crc_T(nibble, crc);
    }
    return crc;
}

// The progress window of a list operation started from a bound push button.
std::unique_ptr<DialogProgressBar> progressFor(bool fromControl, int count)
{
    if (!fromControl || count <= 1)
        return nullptr;
    auto dialog = std::make_unique<DialogProgressBar>(nullptr);
    dialog->show();
    return dialog;
}

void showProgress(DialogProgressBar *dialog, const QString &address, int index, int count)
{
    if (!dialog)
        return;
    dialog->setText(address);
    dialog->setProgress(index, count);
}

} // namespace

quint32 Board::f_crc_T(quint32 data, quint32 crc)
{
    quint32 reg = crc & 0xF;
    for (int bit = 3; bit >= 0; --bit) {
        const quint32 feedback = ((data >> bit) ^ (reg >> 3)) & 1u;
        reg = ((reg << 1) & 0xF) ^ (feedback ? 0x3u : 0u);
    }
    return reg;
}

quint32 Board::CalculateCrc_T(Register &frame)
{
    if (frame.size() % 4 != 0 || frame.size() < 8)
        return CrcSeed;
    return crcOfNibbles(frame, 4);
}

quint32 Board::CalculateCrc_Ext_T(Register &block)
{
    if (block.size() % 4 != 0 || block.size() < 4)
        return CrcSeed;
    return crcOfNibbles(block, 0);
}

int Board::p404Address(const QString &text)
{
    static const QRegularExpression decimal(QStringLiteral("^[0-9]{1,2}$"));
    if (!decimal.match(text).hasMatch())
        return -1;
    const int address = text.toInt();
    return address < MapAddresses ? address : -1;
}

// Every element must name a map word before any frame goes out.
bool Board::checkP404Addresses(const QStringList &addresses)
{
    for (const QString &text : addresses) {
        if (p404Address(text) < 0) {
            emit signal_log(-1,
                            QStringLiteral("KVL52404: invalid register address \"%1\"").arg(text));
            return false;
        }
    }
    return true;
}

void Board::SPI_err() {}

void Board::onDisconnected() {}

void Board::reportCrcFailure(const QString &text)
{
    emit signal_log(1, text);
    if (!triggeredByControl)
        return;
    ToneOutput::instance()->play(BeepHz, BeepMs);
    Prompt::Message message;
    message.icon = Prompt::NoIcon;
    message.text = text;
    Prompt::show(message);
}

// Stores the answer and checks its CRC over the block of the frame's head and the answer.
void Board::checkAnswerCrc(quint32 frame, quint32 answer, Register &answerRegister)
{
    answerRegister.setValue(answer, true);
    SPI_CRC_EXT_TP404.setValue(0, 7, (frame >> FrameHeadShift) & FrameHeadMask);
    SPI_CRC_EXT_TP404.setValue(BlockAnswerBit, BlockLastBit, answer >> 4);
    const quint32 received = answerRegister.getField(QStringLiteral("[ECRC]"));
    if (received == CalculateCrc_Ext_T(SPI_CRC_EXT_TP404))
        return;
    const bool write = &answerRegister == &SPI_OUT_WR_TP404;
    reportCrcFailure(write ? QStringLiteral("CRC failed, Written data invalid!")
                           : QStringLiteral("CRC failed, Read data invalid!"));
}

// One exchange of the frame in SPI_IN_WR_TP404 (CMD, WRITE_ADDR and WRITE_DATA set by the
// caller). A wrong answer CRC is reported but keeps the data; SPIERR in this answer fails.
bool Board::SPI_Data_Transfere()
{
    SPI_IN_WR_TP404.setField(QStringLiteral("[CRC]"), CalculateCrc_T(SPI_IN_WR_TP404));
    const quint32 cmd = SPI_IN_WR_TP404.getField(QStringLiteral("[CMD]"));
    const quint32 frame = (cmd << 31) |
                          (SPI_IN_WR_TP404.getField(QStringLiteral("[WRITE_ADDR]")) << 25) |
                          (SPI_IN_WR_TP404.getField(QStringLiteral("[WRITE_DATA]")) << 4) |
                          SPI_IN_WR_TP404.getField(QStringLiteral("[CRC]"));
    qCDebug(lcBoard) << "Raw" << Qt::hex << frame;
    if (!spiRaw4B)
        return false;
    forgetP404WordsAfterOthersFrames();
    spiRaw4B->set(QStringLiteral("SPIChannel4B"), int(p404SpiChannel), Variable::InternalKey);
    spiRaw4B->set(QStringLiteral("SpiIn4B[]"), uint(frame), Variable::InternalKey);
    const bool sent = spiRaw4B->transfer();
    p404FramesSeen = spiRaw4B->frameCount();
    if (!sent)
        return false;
    const quint32 answer =
        spiRaw4B->get(QStringLiteral("SpiOut4B[]"), Variable::InternalKey).toUInt();
    checkAnswerCrc(frame, answer, cmd ? SPI_OUT_WR_TP404 : SPI_OUT_RD_TP404);
    return (answer & SpiErrBit) == 0;
}

bool Board::MemoryRead(QStringList addresses)
{
    emit signal_log(0, QStringLiteral("SPIMemoryRead"));
    if (!checkP404Addresses(addresses))
        return false;
    const auto dialog = progressFor(triggeredByControl, addresses.size());
    for (int i = 0; i < addresses.size(); ++i) {
        const QString address = QString::number(p404Address(addresses.at(i)));
        emit signal_log(0, QStringLiteral("Address %1").arg(addresses.at(i)));
        SPI_IN_WR_TP404.setField(QStringLiteral("[CMD]"), 0);
        SPI_IN_WR_TP404.setField(QStringLiteral("[WRITE_ADDR]"), address.toUInt());
        SPI_IN_WR_TP404.setField(QStringLiteral("[WRITE_DATA]"), 0);
        // The map takes the chip's word, which need not be the one the page wrote.
        p404WordsSent.remove(address.toInt());
        if (!SPI_Data_Transfere())
            return false;
        const quint32 data = SPI_OUT_RD_TP404.getField(QStringLiteral("[READ_DATA]"));
        SPI_MAPP404.selectByAttribute(QStringLiteral("ADD"), address)->setValue(data, true);
        followP404Word(address.toInt());
        showProgress(dialog.get(), addresses.at(i), i, addresses.size());
    }
    slot_updateAllControls();
    return !addresses.isEmpty();
}

bool Board::MemoryWrite(QStringList addresses)
{
    emit signal_log(0, QStringLiteral("SPIMemoryWrite"));
    if (!checkP404Addresses(addresses))
        return false;
    const auto dialog = progressFor(triggeredByControl, addresses.size());
    for (int i = 0; i < addresses.size(); ++i) {
        const QString address = QString::number(p404Address(addresses.at(i)));
        showProgress(dialog.get(), addresses.at(i), i, addresses.size());
        emit signal_log(0, QStringLiteral("Address %1").arg(addresses.at(i)));
        const quint32 data = p404Word(address.toInt());
        SPI_IN_WR_TP404.setField(QStringLiteral("[CMD]"), 1);
        SPI_IN_WR_TP404.setField(QStringLiteral("[WRITE_ADDR]"), address.toUInt());
        SPI_IN_WR_TP404.setField(QStringLiteral("[WRITE_DATA]"), data);
        // A word whose write failed may or may not be the chip's.
        p404WordsSent.remove(address.toInt());
        if (!SPI_Data_Transfere())
            return false;
        p404WordsSent.insert(address.toInt(), data);
    }
    return !addresses.isEmpty();
}

// What the page knows the chip holds is forgotten: the chip was reset or rewritten otherwise.
void Board::forgetP404Words()
{
    p404WordsSent.clear();
    if (spiRaw4B)
        p404FramesSeen = spiRaw4B->frameCount();
}

// Only a line to the KVL52404's chip-select data can change the chip; most lines name other
// items, and are looked through without a copy.
void Board::onRawLine(const QByteArray &line)
{
    if (containsIgnoringCase(line, p404DataName))
        forgetP404Words();
}

// Frames of the 32-bit SPI tool that the page did not send (a person's or a script's, through
// the tool) may have rewritten the chip.
void Board::forgetP404WordsAfterOthersFrames()
{
    if (spiRaw4B && spiRaw4B->frameCount() != p404FramesSeen)
        forgetP404Words();
}
