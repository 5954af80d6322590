#pragma once

// The program's application object with the SPI tools, the frame and configuration applets and
// the board page, connected to a FakeBoard with two matrix chips at 1 and 2 and the
// controller's map commands. Pauses of the page
// return at once and are recorded, with whether a progress dialog was showing. Header only.
#include "board.h"
#include "boardglobals.h"
#include "configuration.h"
#include "dialogprogressbar.h"
#include "fakeboard_flash.h"
#include "fakeboard_playback.h"
#include "pxnappfixture.h"
#include "variable.h"

#include <QApplication>

// The board page with its help table and the flag of a command started by a bound button.
class BoardProbe : public Board
{
public:
    const QMap<QString, QString> &help() const { return functions; }
    QVariant runFromButton(const QString &command, const QVariant &args)
    {
        triggeredByControl = true;
        const QVariant result = run(command, args);
        triggeredByControl = false;
        return result;
    }
};

struct BoardCommandsFixture : PxnAppFixture {
    BoardCommandsFixture() { Board::setDelayHook(&BoardCommandsFixture::pause); }
    ~BoardCommandsFixture() { Board::setDelayHook(nullptr); }

    bool start()
    {
        bus.addChip(1, 4, 1);
        bus.addChip(2, 4, 2);
        app->setAppletFactories({[]() -> Applet * { return new SpiRaw; },
                                 []() -> Applet * { return new SpiEEPROM; },
                                 []() -> Applet * { return new PxnProbe; },
                                 []() -> Applet * { return new Configuration; },
                                 []() -> Applet * { return new BoardProbe; },
                                 []() -> Applet * { return new SpiRaw4B; }});
        if (!app->init())
            return false;
        app->start();
        return connectTo(board);
    }

    BoardProbe *page() const
    {
        return static_cast<BoardProbe *>(app->findApplet(QStringLiteral("Board"), MainApp::ByName));
    }
    template <typename T> T *widget(const char *name) const
    {
        return page()->findChild<T *>(QLatin1String(name));
    }

    QVariant run(const QString &command, const QVariant &args = QString())
    {
        return page()->run(command, args);
    }
    // Writes an item of the page with the internal key.
    void setPage(const QString &name, const QVariant &value)
    {
        QVERIFY2(page()->set(name, value, Variable::InternalKey), qPrintable(name));
    }
    quint32 pageItem(const QString &name)
    {
        return page()->get(name, Variable::InternalKey).toUInt();
    }

    // The lines sent since the last take that start with prefix.
    QList<QByteArray> take(const QByteArray &prefix)
    {
        QList<QByteArray> lines = SpiAppFixture::take();
        lines.removeIf([&prefix](const QByteArray &line) { return !line.startsWith(prefix); });
        return lines;
    }
    using SpiAppFixture::take;

    // One pause, with the value of the progress dialog then showing (-1: none showing).
    struct Pause {
        unsigned ms;
        int progress;
    };
    static void pause(unsigned ms)
    {
        int progress = -1;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<DialogProgressBar *>(w); dialog && w->isVisible())
                progress = dialog->value();
        pauses().append({ms, progress});
    }
    static QList<Pause> &pauses()
    {
        static QList<Pause> list;
        return list;
    }

    FakeBoardFlash flash{board};
    FakeBoardPlayback playback{board, bus, flash};
};
