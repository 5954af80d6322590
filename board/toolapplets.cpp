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

QList<AppletFactory> toolAppletFactories()
{
    return {appletFactory<SpiRaw>(),
            appletFactory<SpiEEPROM>(),
            appletFactory<AutoAddressing>(),
            appletFactory<AddressDiscovery>(),
            appletFactory<Otp>(),
            appletFactory<Pxn>(),
            appletFactory<Configuration>(),
            appletFactory<Board>(),
            appletFactory<SpiRaw4B>()};
}
