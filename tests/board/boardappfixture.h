#pragma once

// The program's application object with the board page, connected to a FakeBoard with the
// controller's PWM outputs. Header only.
#include "board.h"
#include "fakeboard_pwm.h"
#include "spiappfixture.h"

#include <QtTest>

struct BoardAppFixture : SpiAppFixture {
    bool start()
    {
        app->setAppletFactories({[]() -> Applet * { return new Board; }});
        if (!app->init())
            return false;
        app->start();
        return connectTo(board);
    }

    Board *page() const
    {
        return qobject_cast<Board *>(app->findApplet(QStringLiteral("Board"), MainApp::ByName));
    }

    // A named widget of the page's form.
    template <typename T> T *widget(const char *name) const
    {
        T *w = page() ? page()->findChild<T *>(QLatin1String(name)) : nullptr;
        if (!w)
            qWarning("no widget %s", name);
        return w;
    }

    // Name-based write and read of "Board.ITEM[FIELD]", as pipe requests make them.
    bool setItem(const QString &name, QVariant value) { return app->set(name, value); }
    bool getItem(const QString &name, QVariant *value) { return app->get(name, value); }

    FakeBoardPwm pwm{board};
};
