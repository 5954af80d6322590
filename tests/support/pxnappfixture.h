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
    using Pxn::Pxn;
    void setTriggeredByControl(bool on) { triggeredByControl = on; }
};

struct PxnAppFixture : SpiAppFixture {
    PxnAppFixture()
    {
        bus.setOutputSource([state = &spi]() { return state->kvl52205Register(6); });
    }
    ~PxnAppFixture() { bus.setOutputSource(nullptr); }

    // Applets of others are made before the frame applet, as in the program's table.
    bool start(QList<MainApp::AppletFactory> others = {})
    {
        bus.addChip(1, 4, 1);
        bus.addChip(7, 4, 2);
        others.append(MainApp::appletFactory<PxnProbe>());
        return launch(others) && connectTo(board);
    }

    // Name-based write and read of "Applet.ITEM[FIELD]", as pipe requests make them.
    bool setItem(const QString &name, QVariant value) { return app->set(name, value); }
    quint32 item(const QString &name)
    {
        QVariant value;
        app->get(name, &value);
        return value.toUInt();
    }

    PxnProbe *pxn() const { return static_cast<PxnProbe *>(Pxn::instance()); }

    FakeMatrixBus bus{board};
};
