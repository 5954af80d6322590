#pragma once

// The program with the frame and configuration applets and the board page, connected to a
// FakeBoard with two matrix chips at 1 and 2, its flash and the controller's map, playback and
// script commands. The page's pauses return at once and are recorded. Header only.
#include "boardappfixture.h"
#include "configuration.h"
#include "fakeboard_flash.h"
#include "fakeboard_playback.h"
#include "fakeboard_scripts.h"
#include "pxnappfixture.h"
#include "scriptcsv.h"
#include "testfiles.h"

#include <QTableWidget>

struct BoardCommandsFixture : BoardPageFixture<PxnAppFixture> {
    BoardCommandsFixture()
    {
        pauses().clear();
        Board::setDelayHook([](unsigned ms) { pauses().append(ms); });
    }
    ~BoardCommandsFixture() { Board::setDelayHook(nullptr); }

    bool start()
    {
        bus.addChip(1, 4, 1);
        bus.addChip(2, 4, 2);
        if (!launch({MainApp::appletFactory<PxnProbe>(), MainApp::appletFactory<Configuration>()}))
            return false;
        // The connection's set-up gives the script table its columns; make sure it has them.
        if (auto *table = widget<QTableWidget>("tableAnimationScripts"); table->columnCount() == 0)
            table->setColumnCount(4);
        return connectTo(board);
    }

    // The lines sent since the last take that start with prefix.
    QList<QByteArray> take(const QByteArray &prefix)
    {
        QList<QByteArray> lines = SpiAppFixture::take();
        lines.removeIf([&prefix](const QByteArray &line) { return !line.startsWith(prefix); });
        return lines;
    }
    using SpiAppFixture::take;

    // Loads a matrix file of the four counts and the row lines; returns the boxes it showed.
    int load(int devices, int pixels, int rows, int cols, const QByteArrayList &lines)
    {
        const qsizetype before = prompt.messages().size();
        if (TestFiles::write("matrix.txt",
                             QString::asprintf("NumberOfDevices %d\nPixelsPerDevice "
                                               "%d\nNumberOfRows %d\nNumberOfCols %d\n",
                                               devices, pixels, rows, cols)
                                     .toLatin1() +
                                 lines.join('\n')))
            page()->loadConfiguration("matrix.txt");
        return int(prompt.messages().size() - before);
    }
    // Writes an animation script (CSV) of devices at addresses with its step rows and loads it
    // through the page's button, its file dialog answered with the file.
    void loadScript(const QString &name, int devices, const QByteArray &addresses,
                    const QByteArray &rows)
    {
        QVERIFY(TestFiles::write(name, ScriptCsv::script(devices, addresses, rows)));
        prompt.queueFile(QFileInfo(name).absoluteFilePath());
        page()->on_pbLoadCSV_clicked();
    }
    // The duty registers of the first count switches, as "d1 d2 ...".
    QString duties(int count)
    {
        QStringList out;
        for (int n = 1; n <= count; ++n)
            out.append(QString::number(page()->dcRegister(quint8(n))));
        return out.join(' ');
    }
    // Sets the duty registers from switch 1 on to the values of "d1 d2 ...".
    void setDuties(const QString &text)
    {
        const QStringList values = text.split(' ');
        for (int n = 1; n <= values.size(); ++n)
            QVERIFY(page()->setDcRegister(quint8(n), quint16(values.at(n - 1).toInt())));
    }
    // A flash block line as the board records it (without the CR that ends it).
    static QByteArray blockLine(quint32 address, const QByteArray &block)
    {
        return "set flash=" + QByteArray::number(address, 16) +
               QByteArray::number(FakeBoardFlash::crc32(block), 16).rightJustified(8, '0') +
               "00000100" + block.toHex();
    }
    // The duty steps of the live animation image in the flash; empty when none is framed there.
    QByteArray liveSteps() const
    {
        const QByteArray image = flash.read(Board::FlashStartAddress, 256);
        if (!image.startsWith("START"))
            return QByteArray();
        const int begin = 8 + quint8(image.at(6)); // the header and one byte per device
        const qsizetype end = image.lastIndexOf("END");
        return end < begin ? QByteArray() : image.mid(begin, end - begin);
    }
    // Two rows of twelve switches numbered from 1.
    inline static const QByteArrayList TwoRows = {"1 2 3 4 5 6 7 8 9 10 11 12",
                                                  "13 14 15 16 17 18 19 20 21 22 23 24"};

    static QList<unsigned> &pauses()
    {
        static QList<unsigned> list;
        return list;
    }

    FakeBoardFlash flash{board};
    FakeBoardPlayback playback{board, bus, flash};
    FakeBoardScripts scripts{board, flash};
};
