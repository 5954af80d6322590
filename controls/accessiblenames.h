#pragma once

#include <QString>

class QWidget;

namespace CustomControls
{

// What a screen reader reads of a window's controls, kept apart from what binds them.
//
// A form gives a bound widget its binding name ("BANK[SW1]": a register field, a variable or a
// command) as its accessible name. Read aloud, that says little, so nameControls moves it to a
// property of the widget, where the binding rule reads it, and lets the widget read as what a
// person sees:
//   - a button's or check box's own text, where it has one;
//   - else its label: a label whose buddy it is; in a layout, the label just before it (the
//     grid cell on its left past spacing, else above it; the item before it in a row or
//     column, a row's first widget labelled as its row is); placed by hand, a label ending
//     just before it in line with its top, else a label just above it, or a picture button's
//     caption just under it;
//   - else, for a bound widget, its bit or field within the group box it sits in
//     ("Data IN bit 3"); for another control, the title of that group box.
// A control with none of these stays nameless: it needs a name of its own, saying what it does.
class AccessibleNames
{
public:
    // The widget's binding name: the property a form's name was moved to, else its accessible
    // name (a widget made in code may be bound by that), else empty.
    static QString bindingName(const QWidget *widget);
    // Binds the widget by name, leaving its accessible name to what a screen reader reads.
    static void setBindingName(QWidget *widget, const QString &name);

    // Every widget under root (root too): moves a bound widget's binding name out of its
    // accessible name, then names it, and every other control that takes the keyboard without
    // a name, as above; a rich tool tip describes its widget (describeByToolTip). Running it
    // again changes nothing.
    static void nameControls(QWidget *root);

    // Sets the name a screen reader reads; a combo box's edit field and list read it too. A bound
    // widget keeps the binding it had: an accessible name that bound it is kept as its binding
    // name first.
    static void setName(QWidget *widget, const QString &name);

    // The label a person sees for widget (see above); empty when there is none.
    static QString visibleLabel(const QWidget *widget);

    // text as it reads: markup gone where Qt would show it as rich text, lines trimmed, blank
    // lines dropped.
    static QString plainText(const QString &text);
    // The widget's tool tip becomes its accessible description as plain text: a screen reader
    // reads a description as it is, so it would read a tool tip's markup aloud.
    static void describeByToolTip(QWidget *widget);
};

} // namespace CustomControls
