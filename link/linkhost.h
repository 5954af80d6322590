#pragma once

// What the link needs from the program around it. The shell installs its implementation
// (reading the options and opening the firmware-update window); without one the link uses
// these defaults. Both calls are made on the GUI thread.
class LinkHost
{
public:
    virtual ~LinkHost() = default;
    // The option "ignore_version": suppresses the incompatible-firmware box.
    virtual bool ignoreVersion() const { return false; }
    // Opens the firmware-update window (the user accepted the update offer).
    virtual void updateFirmware() {}
};
