#pragma once

// The program with the board page, the SPI tools and automatic addressing, connected to a
// FakeBoard that answers the controller's set-up commands and carries a driver board's EEPROM.
// Records the page's log lines. Header only.
#include "autoaddressing.h"
#include "board.h"
#include "fakeboard_conf.h"
#include "fakeboard_pwm.h"
#include "spiappfixture.h"
#include "testfiles.h"

#include <QDir>

#include <QTabWidget>
#include <QtTest>

struct SetupAppFixture : SpiAppFixture {
    bool start()
    {
        app->setAppletFactories(
            {[]() -> Applet * { return new SpiRaw; }, []() -> Applet * { return new SpiEEPROM; },
             []() -> Applet * { return new AutoAddressing; },
             []() -> Applet * { return new Board; }, []() -> Applet * { return new SpiRaw4B; }});
        // The matrix configuration each connection loads, where the program finds it.
        if (!TestFiles::installShippedConfiguration() || !app->init())
            return false;
        app->start();
        QObject::connect(page(), &Applet::signal_log, page(),
                         [this](int level, const QString &text) {
                             logs.append(QStringLiteral("%1 %2").arg(level).arg(text));
                         });
        return true;
    }

    // Connects to the board holding image, with the records, logs and boxes cleared first;
    // the lines the set-up sent are then in take().
    bool connectWith(FakeSpiEeprom::Image image)
    {
        app->disconnectBoard();
        eeprom.load(FakeSpiEeprom::image(image));
        return connectFresh();
    }
    bool connectFresh()
    {
        app->disconnectBoard();
        board.clearRecords();
        logs.clear();
        boxesBefore = prompt.messages().size();
        return app->connectBoard(board.devicePath()) && app->isConnected();
    }
    // The lines the board received since the last call, without the link's own
    // identification and rate lines.
    QList<QByteArray> take()
    {
        QList<QByteArray> lines = SpiAppFixture::take(board);
        lines.removeAll(QByteArrayLiteral("*IDN?"));
        return lines;
    }
    bool connectMockup()
    {
        app->disconnectBoard();
        return app->connectBoard(QStringLiteral("mockup"));
    }
    // The message boxes shown since the last connection, without those of the matrix
    // configuration loader (titled "Error" or "Load configuration").
    QList<Prompt::Message> boxes() const
    {
        QList<Prompt::Message> shown = prompt.messages().mid(boxesBefore);
        shown.removeIf([](const Prompt::Message &box) {
            return box.title == QLatin1String("Error") ||
                   box.title == QLatin1String("Load configuration");
        });
        return shown;
    }

    Board *page() const
    {
        return qobject_cast<Board *>(app->findApplet(QStringLiteral("Board"), MainApp::ByName));
    }
    template <typename T> T *widget(const char *name) const
    {
        return page()->findChild<T *>(QLatin1String(name));
    }
    // Whether the tab with text is enabled; false also when no tab has the text.
    bool tabEnabled(const QString &text) const
    {
        const QTabWidget *tabs = widget<QTabWidget>("tabWidget");
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->tabText(i) == text)
                return tabs->isTabEnabled(i);
        }
        return false;
    }

    FakeBoardConf conf{board};
    FakeBoardPwm pwm{board};
    QStringList logs;
    qsizetype boxesBefore = 0;
};
