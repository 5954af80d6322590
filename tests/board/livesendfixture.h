#pragma once

// The board page with the frame and configuration applets, connected to a FakeBoard with its
// flash, two matrix chips at 1 and 2 and the playback commands. Pauses of the page return at
// once and are recorded. LiveSendProbe reaches the page's matrix and the pieces of its passes.
// Header only.
#include "board.h"
#include "boardglobals.h"
#include "configuration.h"
#include "controlboard.h"
#include "fakeboard_flash.h"
#include "fakeboard_playback.h"
#include "fakematrixbus.h"
#include "pxn.h"
#include "spiappfixture.h"

#include <QTimer>

struct LiveSendProbe {
    using Grid = QVector<QVector<quint8>>;

    static void setMatrix(Board *page, int devices, const Grid &grid, int cols,
                          const QVector<int> &duties)
    {
        page->NumberOfDevices = quint8(devices);
        page->NumberOfRows = quint8(grid.size());
        page->NumberOfCols = quint8(cols);
        page->pixelMap = grid;
        page->dutyBySwitch = duties;
    }
    static QVector<int> &duties(Board *page) { return page->dutyBySwitch; }
    static QVector<int> &dimFreq(Board *page) { return page->dimFreq; }
    static Board::MapEnaRecord &mapRecord(Board *page, int address)
    {
        return page->mapEnaState[address];
    }
    static quint32 flashAddress(Board *page) { return page->flashAddress; }
    static QTimer *sendTimer(Board *page) { return page->sendTimer; }
    static void sendDeviceRow(Board *page, int d, int address) { page->sendDeviceRow(d, address); }
    static void enableMapsAndPlay(Board *page, const QList<int> &addresses)
    {
        page->enableMapsAndPlay(addresses);
    }
    static void timeout(Board *page) { page->onSendTimeout(); }
};

struct LiveSendFixture : SpiAppFixture {
    LiveSendFixture()
    {
        pauses().clear();
        Board::setDelayHook([](unsigned ms) { pauses().append(ms); });
    }
    ~LiveSendFixture() { Board::setDelayHook(nullptr); }

    static QList<unsigned> &pauses()
    {
        static QList<unsigned> list;
        return list;
    }

    bool start()
    {
        bus.addChip(1, 4, 1);
        bus.addChip(2, 4, 2);
        app->setAppletFactories({[]() -> Applet * { return new Pxn; },
                                 []() -> Applet * { return new Configuration; },
                                 []() -> Applet * { return new Board; }});
        if (!app->init())
            return false;
        app->start();
        return connectTo(board);
    }

    Board *page() const
    {
        return qobject_cast<Board *>(app->findApplet(QStringLiteral("Board"), MainApp::ByName));
    }
    template <typename T> T *widget(const char *name) const
    {
        return page() ? page()->findChild<T *>(QLatin1String(name)) : nullptr;
    }
    // A field of BANKX as the page holds it.
    static quint32 bankX(const QString &field)
    {
        return boardGlobals().BANKX.getField(QLatin1Char('[') + field + QLatin1Char(']'));
    }
    // Switches between the simulator and the "mockup" port; the records start empty.
    bool useMockup()
    {
        app->disconnectBoard();
        const bool ok = app->connectBoard(QStringLiteral("mockup"));
        board.clearRecords();
        return ok;
    }
    bool useBoard() { return connectTo(board); }

    FakeMatrixBus bus{board};
    FakeBoardFlash flash{board};
    FakeBoardPlayback playback{board, bus, flash};
};
