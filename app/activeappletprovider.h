#pragma once

#include "scriptdragprovider.h"

class Applet;

// Gives the value widgets' Ctrl+drag scripts the applet shown in the main window's active
// tool window (MainApp's main window, its active MDI sub-window). While no tool window is
// active there is no applet and no drag starts.
class ActiveAppletProvider : public CustomControls::ScriptDragProvider
{
public:
    QWidget *activeAppletWidget() const override;
    QString activeAppletName() const override;

    // The applet of the active tool window, or null.
    static Applet *activeApplet();
    // Installs the program's provider (one instance that lives as long as the program).
    static void install();
};
