#pragma once

#include "widgetbitindex.h"

#include <QList>

class Register;
class Variable;
namespace CustomControls
{
class UniversalControl;
}

// One bound item of an applet: a register or a variable (never owned) and the widgets that
// show it, in binding order. Only the pointer that belongs to the kind is set.
struct Binding {
    enum Kind { RegisterKind = 0, VariableKind = 1 };

    int kind = RegisterKind;
    Register *reg = nullptr;
    Variable *variable = nullptr;
    QList<CustomControls::UniversalControl *> widgets;
    // For a register: which widgets show which bits (kept up to date by itself).
    WidgetBitIndex bitIndex;

    bool isRegister() const { return kind == RegisterKind; }
};
