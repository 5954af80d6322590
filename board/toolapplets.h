#pragma once

#include "appletfactory.h"

#include <QList>

// The program's tool applets in table order (the log applet, entry 0, is the host's own):
// SpiRaw, SpiEEPROM, AutoAddressing, AddressDiscovery, Otp, Pxn, Configuration, Board,
// SpiRaw4B.
QList<AppletFactory> toolAppletFactories();
