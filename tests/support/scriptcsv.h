#pragma once

// The text of animation scripts (CSV) for tests of the board page's script tools (header only).
#include <QByteArray>

namespace ScriptCsv
{

// Step rows of devices x 12 cells, alternating between values a and b (no repeats).
inline QByteArray steps(int count, int devices, int a = 7, int b = 8)
{
    QByteArray out;
    for (int s = 1; s <= count; ++s)
        out +=
            QByteArray::number(s) +
            QByteArray(12 * devices, ',')
                .replace(",", s % 2 ? "," + QByteArray::number(a) : "," + QByteArray::number(b)) +
            "\n";
    return out;
}

// A script of devices at addresses ("5,6") with its step rows.
inline QByteArray script(int devices, const QByteArray &addresses, const QByteArray &rows)
{
    return "Animation script\nDESCRIPTION,Wave\nDELAY,100\nDEVICES," + QByteArray::number(devices) +
           "\nADDRESSES," + addresses + "\nSTEP,SW1\n" + rows + "END\n";
}

// A list of addresses "1,1,...": every one of devices at 1.
inline QByteArray ones(int devices)
{
    return QByteArray(devices - 1, ',').replace(",", ",1").prepend('1');
}

} // namespace ScriptCsv
