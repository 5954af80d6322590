#pragma once

#include <QString>

// The shared style sheets of the board form as the form must carry them, byte for byte:
// "FormStyle", "TabWidgetStyle", "GroupBoxStyle", "LineEditStyle" and the seven push-button
// variants "PushButtonStyle light small", "… light", "… light wide", "… dark small",
// "… dark large", "… dark 130" and "… dark 150". Census tables name a sheet by these names.
class FormSheets
{
public:
    // True when name is one of the shared sheets above.
    static bool isShared(const QString &name);
    // The sheet's text; a null string for an unknown name.
    static QString text(const QString &name);
};
