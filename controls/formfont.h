#pragma once

// The font the forms were laid out for: "MS Shell Dlg 2" at 8 points, which Windows draws in
// Tahoma. On Linux that family is mapped to Wine's Tahoma-compatible font (Debian package
// fonts-wine), so every form text keeps the width its widget was drawn for.
#include <QString>

namespace FormFont
{

// The family the forms name, and its point size.
QString family();
int pointSize();

// The family the forms' family is mapped to.
QString substitute();

// Loads the substitute's files, maps the forms' Windows families to it and makes the forms'
// font the application's. Call it after the application object and before any widget is built.
void install();

} // namespace FormFont
