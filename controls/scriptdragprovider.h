#pragma once

#include <QString>
#include <Qt>

class QDrag;
class QWidget;

namespace CustomControls
{

// How a value widget reaches the applet shown in the active tool window for its Ctrl+drag
// script: the program installs a provider at start-up; without one, or while no tool window
// is active, no drag starts.
class ScriptDragProvider
{
public:
    virtual ~ScriptDragProvider();

    // The applet widget of the active tool window (the drag source), or null when none is
    // active.
    virtual QWidget *activeAppletWidget() const = 0;
    // The name of that applet (its object name), used as the first part of the item name.
    virtual QString activeAppletName() const = 0;
    // Runs the drag; blocks until the drop or the cancel. Tests override it to record.
    virtual Qt::DropAction executeDrag(QDrag *drag);

    // The installed provider (not owned), or null.
    static ScriptDragProvider *provider();
    static void setProvider(ScriptDragProvider *provider);
};

} // namespace CustomControls
