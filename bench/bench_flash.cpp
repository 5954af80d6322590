// Flashes a 128 KiB image (16 KiB in the short mode) through the firmware-update window to the
// simulated board on a pseudo-terminal and compares the time with the time the same bytes need
// on a serial line at 2304000 and at 115200 baud (8N1: 10 bits per byte).

#include "benchenv.h"
#include "bootloader.h"
#include "controlboard.h"
#include "fakeboard.h"
#include "fakeboard_flash.h"
#include "flashblock.h"
#include "prompt.h"

#include "../tests/link/hexrecords.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace
{

QByteArray imageBytes(int size)
{
    QByteArray bytes(size, '\0');
    quint32 x = 100;
    for (char &c : bytes) {
        x = x * 214013u + 2531011u;
        c = char(x >> 16);
    }
    return bytes;
}

// Bytes the flash puts on the line: every block line with its CR and the LF the link adds,
// the end marker, and one answer line "flash:ok" with its line end per line.
qint64 wireBytes(const QByteArray &image)
{
    qint64 total = 0;
    int lines = 0;
    for (int offset = 0; offset < image.size(); offset += FlashBlock::BlockSize, ++lines) {
        const QByteArray block = image.mid(offset, FlashBlock::BlockSize);
        total += FlashBlock::line(FlashBlock::BaseAddress + quint32(offset), block).size() + 1;
    }
    total += FlashBlock::endMarker().size() + 1;
    ++lines;
    return total + qint64(lines) * qint64(sizeof("flash:ok"));
}

double wireSeconds(qint64 bytes, int baud)
{
    return double(bytes) * 10.0 / baud;
}

} // namespace

int main(int argc, char **argv)
{
    BenchEnvironment env(argc, argv);
    if (const int code = env.checkStart())
        return code;
    QApplication app(argc, argv);
    DefaultPrompt quiet;
    Prompt::install(&quiet);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.hex"));
    const int imageSize = BenchEnvironment::pick(128, 16) * 1024;
    const QByteArray image = imageBytes(imageSize);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(HexRecords::image(FlashBlock::BaseAddress, image)) < 0) {
            return env.cannotStart(QStringLiteral("cannot write ") + path);
        }
    }

    FakeBoard board;
    FakeBoardFlash flash(board);
    ControlBoard link;
    if (!board.isValid() || !link.connectBoard(board.devicePath())) {
        return env.cannotStart(QStringLiteral("cannot connect to the simulated board"));
    }
    Bootloader window(&link);
    if (!window.loadHex(path))
        return env.cannotStart(QStringLiteral("the update window did not load ") + path);

    QElapsedTimer timer;
    timer.start();
    window.slot_pbFlash_clicked();
    const double seconds = timer.nsecsElapsed() / 1e9;

    const bool ok =
        flash.endMarkerSeen() && flash.read(FlashBlock::BaseAddress, imageSize) == image;
    const qint64 bytes = wireBytes(image);
    const double turbo = wireSeconds(bytes, 2304000);
    const double standard = wireSeconds(bytes, 115200);
    std::printf("flash of %d bytes in %d blocks: %s\n", imageSize,
                imageSize / FlashBlock::BlockSize, ok ? "image verified" : "IMAGE MISMATCH");
    std::printf("bytes on the line (both directions): %lld\n", static_cast<long long>(bytes));
    std::printf("measured over the pseudo-terminal:   %8.3f s\n", seconds);
    std::printf("wire time at 2304000 baud:           %8.3f s   measured/wire = %.3f\n", turbo,
                seconds / turbo);
    std::printf("wire time at  115200 baud:           %8.3f s   measured/wire = %.3f\n", standard,
                seconds / standard);
    return ok ? 0 : 1;
}
