// Playback of the animations in the controller's flash: the single script's START, PAUSE and
// CONTINUE, its delay, and the script list written back to back and started as one sequence.
#include "board.h"

#include "applethost.h"
#include "controlboard.h"
#include "csvreader.h"
#include "scriptimage.h"
#include "ui_board.h"

namespace
{

constexpr int MaxListedScripts = 255;
// The firmware-update area begins here; the scripts must end below it.
constexpr quint32 FirmwareArea = 0x80050000u;

} // namespace

// The board's answers to playback commands are not looked at.
void Board::sendPlayback(const QByteArray &command)
{
    if (ControlBoard *link = AppletHost::instance()->controlBoard())
        link->send(command, nullptr, -1);
}

void Board::on_pbStartAnimation_clicked()
{
    sendPlayback(QByteArrayLiteral("set p110animation=") +
                 ScriptImage::hex(quint32(ui->sbLoops->value()), 2));
}

void Board::on_pbStopAnimation_clicked()
{
    sendPlayback(QByteArrayLiteral("set p110stopanim"));
    sendPlayback(QByteArrayLiteral("set P110MAPENA=01"));
}

void Board::on_pbContinueAnimation_clicked()
{
    sendPlayback(QByteArrayLiteral("set p110contanim"));
}

void Board::on_sbDelay_valueChanged(int value)
{
    currentScript->delay = quint8(value);
}

// Every image of the list, built before anything is written. False, with the reason shown,
// when a script is refused or the list does not fit the command or the flash.
bool Board::buildListImages(QList<QByteArray> *images)
{
    if (scriptList.size() > MaxListedScripts) {
        refuseScript(QStringLiteral("Invalid script list: more than 255 scripts"));
        return false;
    }
    quint64 end = FlashStartAddress;
    for (const std::shared_ptr<CSVReader> &script : std::as_const(scriptList)) {
        QByteArray image;
        QString reason;
        if (!ScriptImage::build(*script, &image, &reason)) {
            refuseScript(QStringLiteral("Invalid script: ") + reason);
            return false;
        }
        const int size = int(ScriptImage::padded(image).size());
        if (size > ScriptImage::MaxPaddedSize) {
            refuseScript(QStringLiteral("Reached max size %1 B").arg(ScriptImage::MaxPaddedSize));
            return false;
        }
        if (!images->isEmpty())
            end += ScriptImage::BlockSize; // the gap after the previous script
        end += quint64(size);
        images->append(image);
    }
    if (end > FirmwareArea) {
        refuseScript(QStringLiteral("Invalid script list: it ends past 0x80050000"));
        return false;
    }
    return true;
}

// Each script starts one block beyond the end of the one before; the command lists every
// script's start.
void Board::on_pbStartScript_clicked()
{
    ui->cbCheckData->setChecked(false);
    QList<QByteArray> images;
    if (!buildListImages(&images))
        return;
    QByteArray starts = ScriptImage::hex(FlashStartAddress, 8);
    for (int i = 0; i < images.size(); ++i) {
        currentScript = scriptList.at(i);
        flashScriptImage(images.at(i));
        const quint32 size = quint32(ScriptImage::padded(images.at(i)).size());
        flashStartAddress += size + ScriptImage::BlockSize;
        if (i + 1 < images.size())
            starts += ScriptImage::hex(flashStartAddress, 8);
    }
    sendPlayback(QByteArrayLiteral("set p110script=") +
                 ScriptImage::hex(quint32(ui->sbScriptLoops->value()), 2) +
                 ScriptImage::hex(quint32(images.size()), 2) + starts);
    flashStartAddress = FlashStartAddress;
}
