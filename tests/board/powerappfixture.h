#pragma once

// The program's application object with the board page and the SPI tools it writes the
// driver chips through, connected to a FakeBoard with a KVL52205 and a KVL52404. Header only.
#include "boardappfixture.h"

struct PowerAppFixture : BoardAppFixture {
    bool start()
    {
        app->setAppletFactories(
            {[]() -> Applet * { return new SpiRaw; }, []() -> Applet * { return new SpiEEPROM; },
             []() -> Applet * { return new Board; }, []() -> Applet * { return new SpiRaw4B; }});
        if (!app->init())
            return false;
        app->start();
        return connectTo(board);
    }
};
