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

namespace
{

template <typename T> MainApp::AppletFactory factory()
{
    return []() -> Applet * { return new T; };
}

} // namespace

QList<MainApp::AppletFactory> toolAppletFactories()
{
    return {factory<SpiRaw>(),           factory<SpiEEPROM>(), factory<AutoAddressing>(),
            factory<AddressDiscovery>(), factory<Otp>(),       factory<Pxn>(),
            factory<Configuration>(),    factory<Board>(),     factory<SpiRaw4B>()};
}
