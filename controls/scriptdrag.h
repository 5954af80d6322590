#pragma once

#include <QString>

class QMimeData;

namespace CustomControls
{

// The script lines of a Ctrl+drag: ready-made lines that set, get or run an item (applet
// name, dot, binding name) through the program's automation object. Pure functions.
namespace ScriptDrag
{

inline constexpr char ProjectName[] = "KVL52110";
inline constexpr char ObjectClass[] = "Bench";

inline constexpr char InitObjectFormat[] = "VBScript Init Object";
inline constexpr char SetDataFormat[] = "VBScript Set Data";
inline constexpr char GetDataFormat[] = "VBScript Get Data";
inline constexpr char CleanUpFormat[] = "VBScript Clean-up";

// Mode bits: 1 set, 2 get, 4 run (run excludes set and get).
enum Mode { Set = 1, Get = 2, Run = 4 };

QString initObjectLine();
QString getLine(const QString &item);
QString setLine(const QString &item);
QString runLine(const QString &item, const QString &argument);
QString cleanUpLine();
// Item name, " #KVL52110:", then "get", ",set", "run" for the bits of mode.
QString plainText(const QString &item, int mode);

// The drag data of an item in every format (Latin-1 lines and the plain text); the caller
// owns it. argument is used by the run line only.
QMimeData *mimeData(const QString &item, const QString &argument, int mode);

} // namespace ScriptDrag
} // namespace CustomControls
