#pragma once

#include <QString>

// Display names of the numeric codes in the LED-driver board's EEPROM description. Codes
// compare as unsigned numbers; a code outside a table gives "undefined".
class DriverBoardDescription
{
public:
    DriverBoardDescription() = default;

    QString boardVersionName(quint32 code) const;
    QString boardTopologyName(quint32 code) const;
    QString boardChannelsName(quint32 code) const;
    QString chipTypeName(quint32 code) const;
};
