#pragma once

// The program's application object with the three SPI tools, connected to a FakeBoard with its
// SPI chip selects and the board's EEPROM; prompts answered by a RecordingPrompt (header only, for
// tests that link the applets).
#include "applet.h"
#include "fakeboard.h"
#include "fakeboard_spi.h"
#include "fakespieeprom.h"
#include "mainapp.h"
#include "recordingprompt.h"
#include "spieeprom.h"
#include "spiraw.h"
#include "spiraw4b.h"
#include "toneoutput.h"

#include <QList>
#include <QSignalSpy>
#include <QTest>

// Tones of the log window's error beep go nowhere.
class SilentTones : public ToneOutput
{
public:
    SilentTones() { ToneOutput::install(this); }
    ~SilentTones() override { ToneOutput::install(nullptr); }
    void play(int, int) override {}
};

struct SpiAppFixture {
    // Builds and starts the application with SpiRaw, SpiEEPROM and SpiRaw4B and connects the
    // board.
    bool start()
    {
        return launch({MainApp::appletFactory<SpiRaw>(), MainApp::appletFactory<SpiEEPROM>(),
                       MainApp::appletFactory<SpiRaw4B>()}) &&
               connectTo(board);
    }

    // Builds and starts the application with factories' applets, not yet connected.
    bool launch(const QList<MainApp::AppletFactory> &factories)
    {
        app->setAppletFactories(factories);
        if (!app->init())
            return false;
        app->start();
        return true;
    }

    // Connects the application to other; afterwards its records are empty.
    bool connectTo(FakeBoard &other)
    {
        app->disconnectBoard();
        if (!app->connectBoard(other.devicePath()) || !app->isConnected())
            return false;
        other.clearRecords();
        return true;
    }

    // The lines other received since the last call, without the rate lines the application
    // sends on its own around connecting.
    static QList<QByteArray> take(FakeBoard &other)
    {
        QList<QByteArray> lines = other.lines();
        other.clearRecords();
        lines.removeIf([](const QByteArray &line) { return line.startsWith("set baudrate="); });
        return lines;
    }
    QList<QByteArray> take() { return take(board); }

    // Runs command on applet and checks its result and the line sent (none for an empty line).
    void checkCommand(Applet *applet, const QString &command, bool result, const QByteArray &line)
    {
        QCOMPARE(applet->run(command, QVariant()), QVariant(result));
        QCOMPARE(take(), line.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{line});
    }

    // Whether the applet's tool window keeps the form's width and height.
    static bool hasFixedWindow(Applet *applet, const QSize &formSize)
    {
        const QWidget *window = applet->container();
        return window && window->minimumSize() == window->maximumSize() &&
               applet->size() == formSize;
    }

    ~SpiAppFixture() { app->shutdown(); }

    SilentTones tones;
    RecordingPrompt prompt;
    FakeBoard board;
    FakeBoardSpi spi{board};
    FakeSpiEeprom eeprom{spi};
    MainApp *app = MainApp::instance();
};
