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

// Every tool window is built when first needed. The board page's window, the largest, has its
// size from the start: the main window opens large enough for it.
QList<AppletFactory> toolAppletFactories()
{
    return {appletFactory<SpiRaw>().whenNeeded(),
            appletFactory<SpiEEPROM>().whenNeeded(),
            appletFactory<AutoAddressing>().whenNeeded(),
            appletFactory<AddressDiscovery>().whenNeeded(),
            appletFactory<Otp>().whenNeeded(),
            appletFactory<Pxn>().whenNeeded(),
            appletFactory<Configuration>().whenNeeded(),
            appletFactory<Board>().whenNeeded(Board::FormSize),
            appletFactory<SpiRaw4B>().whenNeeded()};
}
