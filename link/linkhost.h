#pragma once

// What the link needs from the program around it. The shell installs its implementation
// (reading the options and opening the firmware-update window); without one the link uses
// these defaults. Every call is made on the GUI thread.
class LinkHost
{
public:
    virtual ~LinkHost() = default;
    // The option "ignore_version": suppresses the incompatible-firmware box.
    virtual bool ignoreVersion() const { return false; }
    // Opens the firmware-update window (the user accepted the update offer).
    virtual void updateFirmware() {}
    // A command goes to the board now, sent from the GUI thread.
    virtual void commandSending() {}
};
