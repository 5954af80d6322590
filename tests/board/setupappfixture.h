#pragma once

// The program with the board page, the SPI tools and automatic addressing, connected to a
// FakeBoard that answers the controller's set-up commands and carries a driver board's EEPROM.
// Records the page's log lines. Header only.
#include "autoaddressing.h"
#include "boardappfixture.h"
#include "fakeboard_conf.h"
#include "testfiles.h"

#include <QTabWidget>

struct SetupAppFixture : BoardAppFixture {
    // The matrix configuration each connection loads is put where the program finds it.
    bool start()
    {
        if (!TestFiles::installShippedConfiguration() ||
            !launch({MainApp::appletFactory<AutoAddressing>()}))
            return false;
        QObject::connect(page(), &Applet::signal_log, page(), [this](int level, const QString &t) {
            logs.append(QStringLiteral("%1 %2").arg(level).arg(t));
        });
        return true;
    }

    // Connects to the board holding image, or to port; records, logs and boxes are cleared
    // first, so the lines the set-up sent are then in take().
    bool connectWith(FakeSpiEeprom::Image image)
    {
        eeprom.load(FakeSpiEeprom::image(image));
        return connectFresh();
    }
    bool connectFresh(const QString &port = QString())
    {
        app->disconnectBoard();
        board.clearRecords();
        logs.clear();
        boxesBefore = prompt.messages().size();
        return app->connectBoard(port.isEmpty() ? board.devicePath() : port) && app->isConnected();
    }
    QList<QByteArray> take()
    {
        QList<QByteArray> lines = SpiAppFixture::take(board);
        lines.removeAll(QByteArrayLiteral("*IDN?"));
        return lines;
    }
    // The texts of the boxes shown since the last connection, without those of the matrix
    // configuration loader (titled "Error" or "Load configuration").
    QStringList boxes() const
    {
        QStringList texts;
        for (const Prompt::Message &box : prompt.messages().mid(boxesBefore))
            if (box.title != QLatin1String("Error") &&
                box.title != QLatin1String("Load configuration"))
                texts << box.text;
        return texts;
    }
    // The power-stage tabs enabled: "", "KVL52205", "KVL52404" or both.
    QString tabs() const
    {
        const QTabWidget *tabs = widget<QTabWidget>("tabWidget");
        QStringList enabled;
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i).startsWith(QLatin1String("KVL")) && tabs->isTabEnabled(i))
                enabled << tabs->tabText(i);
        return enabled.join(QLatin1Char(' '));
    }

    FakeBoardConf conf{board};
    QStringList logs;
    qsizetype boxesBefore = 0;
};
