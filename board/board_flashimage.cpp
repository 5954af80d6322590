// The live animation image: built from the duties, written into the controller's flash in
// 256-byte blocks, then the chips' maps enabled and the playback started.
#include "board.h"

#include "animationimage.h"
#include "applethost.h"
#include "boardlog.h"
#include "controlboard.h"
#include "flashblock.h"
#include "pxnframe.h"
#include "ui_board.h"

#include <QTimer>

namespace
{

constexpr unsigned BlockPauseMs = 200;
constexpr quint8 MapEnablePid2 = 0x8F; // burst count 0, command 15 (MAPENA), parity
constexpr quint8 MapEnableOn = 0x01;
constexpr int CommandFrameType = 0x60;

} // namespace

// No data, or a length of 0 or less, gives 0.
quint32 Board::crc32(const quint8 *data, int length)
{
    return data ? FlashBlock::crc32(reinterpret_cast<const char *>(data), length) : 0;
}

// CRC-8 with seed 0xFF and polynomial 0x107 over the bytes in order, each from bit 0 up: the
// register starts at the seed already shifted through the polynomial.
int Board::crc8(QByteArray data)
{
    quint8 reg = 0xF3;
    for (char byte : qAsConst(data)) {
        for (int bit = 0; bit < 8; ++bit) {
            const bool feedback = ((reg >> 7) & 1u) != ((quint8(byte) >> bit) & 1u);
            reg = quint8(reg << 1);
            if (feedback)
                reg ^= 0x07;
        }
    }
    return reg;
}

QByteArray Board::mapEnableFrame(int address)
{
    const int id = (address & 0x1F) | CommandFrameType;
    const quint8 pid1 = quint8(id | (oddParity7(unsigned(id)) << 7));
    QByteArray covered;
    covered.append(char(pid1)).append(char(MapEnablePid2)).append(char(MapEnableOn));
    return char(PxnFrame::Sync) + covered + char(crc8(covered));
}

QByteArray Board::mapCommand(int address, const char *modeAndKind, const QByteArray &frame)
{
    return "set P110MAPENAREG=" + QByteArray::number(address & 0xFF, 16).rightJustified(2, '0') +
           modeAndKind + frame.toHex();
}

QList<int> Board::deviceAddresses() const
{
    QList<int> addresses;
    for (const QString &text : deviceAddressTexts())
        addresses.append(text.trimmed().toInt()); // 0 when it is no number
    return addresses;
}

bool Board::hasMapRecord(int address)
{
    if (address >= 0 && address < MaxSlaves)
        return true;
    emit signal_log(
        1, QStringLiteral("Address %1 is outside 0..31: no map enable for it").arg(address));
    return false;
}

bool Board::sendFlashBlock(quint32 address, const QByteArray &block)
{
    ControlBoard *link = AppletHost::instance()->controlBoard();
    QByteArray answer;
    const bool ok = link && link->send(FlashBlock::line(address, block), &answer);
    if (!ok)
        qCDebug(lcBoard) << "An error appeard while sending";
    return ok;
}

void Board::sendFlashLegacy(quint32 address)
{
    sendFlashBlock(address, QByteArray(AnimationImage::BlockSize, char(0xFF)));
}

bool Board::writeFlashBlocks(const QByteArray &paddedImage)
{
    const QByteArray image = AnimationImage::padded(paddedImage);
    bool all = true;
    flashAddress = flashStartAddress;
    for (int offset = 0; offset < image.size(); offset += AnimationImage::BlockSize) {
        all = sendFlashBlock(flashAddress, image.mid(offset, AnimationImage::BlockSize)) && all;
        flashAddress += AnimationImage::BlockSize;
        delayMs(BlockPauseMs);
    }
    return all;
}

void Board::sendFWData()
{
    const QList<int> rowAddresses = deviceAddresses();
    const QByteArray image =
        AnimationImage::live(rowAddresses, NumberOfRows, NumberOfCols, pixelMap, dutyBySwitch);
    qCDebug(lcBoard) << "cnt" << image.size();
    ui->lbFlashSize->setText(QStringLiteral("Required flash size %1 B").arg(image.size()));
    const QByteArray padded = AnimationImage::padded(image);
    qCDebug(lcBoard) << "Bytes to be written" << padded.size();
    writeFlashBlocks(padded);
    if (ui->cbAutoupdate->isChecked())
        enableMapsAndPlay(rowAddresses);
    sendTimer->stop();
}

// Sends the map-enable frame to every listed chip not yet known enabled, recording each as
// enabled whatever the send gave, then starts the playback.
void Board::enableMapsAndPlay(const QList<int> &rowAddresses)
{
    ControlBoard *link = AppletHost::instance()->controlBoard();
    for (int address : rowAddresses) {
        if (address == -1 || !hasMapRecord(address))
            continue;
        MapEnaRecord &record = mapEnaState[address];
        if (record.known && record.value != 0)
            continue;
        QByteArray answer;
        if (link)
            link->send(mapCommand(address, "0101", mapEnableFrame(address)), &answer);
        record.value = 1;
        record.known = true;
    }
    if (link)
        link->send("set p110animation=01", nullptr);
}
