#pragma once

// The program's application object with the frame applet Pxn, connected to a FakeBoard with
// the matrix bus (two chips at 1 and 7 in normal mode) and the SPI chip selects; the
// KVL52205's register 6 switches the chips' supply outputs. Header only.
#include "fakematrixbus.h"
#include "pxn.h"
#include "spiappfixture.h"

// The frame applet with a switch for the flag that a control of its own window started the
// command.
class PxnProbe : public Pxn
{
public:
    void setTriggeredByControl(bool on) { triggeredByControl = on; }
};

struct PxnAppFixture : SpiAppFixture {
    PxnAppFixture()
    {
        bus.setOutputSource([state = &spi]() { return state->kvl52205Register(6); });
    }
    ~PxnAppFixture() { bus.setOutputSource(nullptr); }

    bool start()
    {
        bus.addChip(1, 4, 1);
        bus.addChip(7, 4, 2);
        app->setAppletFactories({[]() -> Applet * { return new PxnProbe; }});
        if (!app->init())
            return false;
        app->start();
        return connectTo(board);
    }

    PxnProbe *pxn() const { return static_cast<PxnProbe *>(Pxn::instance()); }

    FakeMatrixBus bus{board};
};
