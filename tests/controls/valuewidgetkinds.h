#pragma once

// Shared by the tests of the value widgets (tst_valuewidgets, tst_scriptdrags): a widget of each
// kind, set up as a form would, and its binding interface.
#include "buttonbox.h"
#include "checkbox.h"
#include "combobox.h"
#include "dial.h"
#include "lineedit.h"
#include "progressbar.h"
#include "pushbutton.h"
#include "radiobutton.h"
#include "slider.h"
#include "spinbox.h"
#include "switch.h"

#include <QHash>
#include <QString>

namespace ValueWidgetKinds
{

using namespace CustomControls;

// A widget of a kind that needs no set-up.
template <typename W> QWidget *make()
{
    return new W;
}

// A value widget of the given kind, set up as a form would: ranges wide enough to keep what
// they are given, a box of four radio buttons, a combo box of four items, a 3-state switch.
inline QWidget *create(const QString &kind)
{
    static const QHash<QString, QWidget *(*)()> plain{
        {"check", &make<CheckBox>}, {"radio", &make<RadioButton>}, {"push", &make<PushButton>},
        {"slider", &make<Slider>},  {"spin", &make<SpinBox>},      {"bar", &make<ProgressBar>},
        {"dial", &make<Dial>},      {"edit", &make<LineEdit>}};
    if (plain.contains(kind)) {
        QWidget *w = plain.value(kind)();
        w->setProperty("minimum", -10);
        return w;
    }
    if (kind == "buttons") {
        auto *box = new ButtonBox;
        box->createButtons(1, ButtonBox::RadioButtons, {"A", "B", "C", "D"});
        return box;
    }
    if (kind == "combo") {
        auto *combo = new ComboBox;
        combo->addItems({"a", "b", "c", "d"});
        return combo;
    }
    auto *sw = new Switch;
    sw->setModel(2);
    return sw;
}

// The binding interface of a value widget.
inline UniversalControl *control(QWidget *widget)
{
    return dynamic_cast<UniversalControl *>(widget);
}

} // namespace ValueWidgetKinds
