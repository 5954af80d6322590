#pragma once

// The program's application object with the frame applet and the configuration applet,
// connected to a FakeBoard with two chips at 1 and 7 on the matrix bus; a stand-in for the
// board page's device rows. Header only.
#include "boardpageaccess.h"
#include "configuration.h"
#include "pxnappfixture.h"

// Device rows whose address texts the test chooses; installed while it exists.
class FakeDeviceRows : public BoardPageAccess
{
public:
    explicit FakeDeviceRows(const QStringList &texts) : m_texts(texts) { install(this); }
    QStringList deviceAddressTexts() const override { return m_texts; }
    void setBuck1Enabled(bool) override {}
    void setBuck2Enabled(bool) override {}

private:
    QStringList m_texts;
};

struct ConfigurationAppFixture : PxnAppFixture {
    // Builds and starts the application with Pxn and the configuration applet that
    // makeConfiguration makes, then connects the board.
    bool
    start(const MainApp::AppletFactory &makeConfiguration = MainApp::appletFactory<Configuration>())
    {
        bus.addChip(1, 4, 1);
        bus.addChip(7, 4, 2);
        return launch({MainApp::appletFactory<PxnProbe>(), makeConfiguration}) && connectTo(board);
    }

    Configuration *configuration() const { return Configuration::instance(); }
};
