#pragma once

#include "lineedit.h"

#include <QList>

#include <utility>

// A line edit that counts the values the applet sets into it.
class CountingEdit : public CustomControls::LineEdit
{
public:
    using CustomControls::LineEdit::LineEdit;
    void setValue(double value) override
    {
        ++sets;
        CustomControls::LineEdit::setValue(value);
    }
    // The counts of the edits since the last take, which starts them anew.
    static QList<int> take(const QList<CountingEdit *> &edits)
    {
        QList<int> counts;
        for (CountingEdit *edit : edits)
            counts.append(std::exchange(edit->sets, 0));
        return counts;
    }
    int sets = 0;
};
