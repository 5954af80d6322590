#pragma once

#include <QList>
#include <QtGlobal>

struct Binding;
class Register;
namespace CustomControls
{
class UniversalControl;
}

// Which widgets of a register binding show which of the register's bits, so that a write of
// one field refreshes only the widgets that show it. Rebuilt when the binding's widgets or the
// register's layout change.
class WidgetBitIndex
{
public:
    // The widgets of binding whose fields share a bit with written (bit indices), in binding
    // order. A widget whose field names no bits (a virtual field) may show any of them.
    QList<CustomControls::UniversalControl *> widgetsShowing(const Binding &binding,
                                                             const QList<int> &written);

private:
    void rebuild(const Binding &binding);

    const Register *m_register = nullptr;
    quint64 m_layout = 0;
    QList<CustomControls::UniversalControl *> m_widgets; // as indexed, in binding order
    QList<QList<int>> m_byBit;                           // per bit: places in m_widgets
    QList<int> m_anyBit;                                 // places of widgets without bits
};
