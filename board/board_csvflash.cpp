// "Flash MCU": the current CSV script's image written into the controller's flash, optionally
// read back and compared.
#include "board.h"

#include "applethost.h"
#include "boardlog.h"
#include "controlboard.h"
#include "csvreader.h"
#include "prompt.h"
#include "scriptimage.h"
#include "ui_board.h"

#include <cctype>

namespace
{

// "flash=", the address and the length come before the block's data in a read-back answer.
constexpr int ReadHeaderSize = 22;

bool isHexText(const QByteArray &text)
{
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// An answer that carries the block's data must hold block; one without data counts by its
// success alone.
bool answerHolds(const QByteArray &answer, const QByteArray &block)
{
    const QByteArray data = answer.trimmed().mid(ReadHeaderSize);
    if (data.size() != 2 * block.size() || !isHexText(data))
        return true;
    return QByteArray::fromHex(data) == block;
}

} // namespace

void Board::on_pbFlashMCU_clicked()
{
    QByteArray image;
    QString reason;
    if (!ScriptImage::build(*currentScript, &image, &reason)) {
        refuseScript(QStringLiteral("Invalid script: ") + reason);
        return;
    }
    flashScriptImage(image);
}

// A refused script has no size: neither label keeps the previous script's figure. The used-size
// label wraps a refusal onto a second line.
void Board::refuseScript(const QString &reason)
{
    ui->lbFlashSize->setText(QStringLiteral("Required flash size"));
    ui->lbUsedFlashSize->setText(reason);
}

// Shows the sizes and writes image from flashStartAddress on; an image too large is not sent.
void Board::flashScriptImage(const QByteArray &image)
{
    qCDebug(lcBoard) << "cnt" << image.size();
    ui->lbFlashSize->setText(QStringLiteral("Required flash size %1 B").arg(image.size()));
    const QByteArray padded = ScriptImage::padded(image);
    qCDebug(lcBoard) << "Bytes to be written" << padded.size();
    if (padded.size() > ScriptImage::MaxPaddedSize) {
        ui->lbUsedFlashSize->setText(
            QStringLiteral("Reached max size %1 B").arg(ScriptImage::MaxPaddedSize));
        return;
    }
    ui->lbUsedFlashSize->setText(QStringLiteral("Used flash size %1 B").arg(padded.size()));
    writeFlashBlocks(padded);
    if (ui->cbCheckData->isChecked())
        readBackFlash(padded);
}

// Reads every block back; the first failed or differing block ends the pass with a warning.
void Board::readBackFlash(const QByteArray &paddedImage)
{
    ControlBoard *link = AppletHost::instance()->controlBoard();
    flashAddress = flashStartAddress;
    for (int offset = 0; offset < paddedImage.size(); offset += ScriptImage::BlockSize) {
        const QByteArray request = QByteArrayLiteral("get flash=") +
                                   ScriptImage::hex(flashAddress, 8) +
                                   ScriptImage::hex(ScriptImage::BlockSize, 8);
        QByteArray answer;
        if (!link || !link->send(request, &answer, -1) ||
            !answerHolds(answer, paddedImage.mid(offset, ScriptImage::BlockSize))) {
            Prompt::warn(QStringLiteral("KVL52110"),
                         QStringLiteral("An error appeard while sending"));
            return;
        }
        flashAddress += ScriptImage::BlockSize;
    }
}
