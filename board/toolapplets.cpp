#include "toolapplets.h"

#include "addressdiscovery.h"
#include "autoaddressing.h"
#include "board.h"
#include "configuration.h"
#include "otp.h"
#include "pxn.h"
#include "spieeprom.h"
#include "spiraw.h"
#include "spiraw4b.h"

QList<MainApp::AppletFactory> toolAppletFactories()
{
    return {MainApp::appletFactory<SpiRaw>(),
            MainApp::appletFactory<SpiEEPROM>(),
            MainApp::appletFactory<AutoAddressing>(),
            MainApp::appletFactory<AddressDiscovery>(),
            MainApp::appletFactory<Otp>(),
            MainApp::appletFactory<Pxn>(),
            MainApp::appletFactory<Configuration>(),
            MainApp::appletFactory<Board>(),
            MainApp::appletFactory<SpiRaw4B>()};
}
