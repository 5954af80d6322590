#include "widgetbitindex.h"

#include "binding.h"
#include "register.h"
#include "universalcontrol.h"

#include <vector>

using CustomControls::UniversalControl;

QList<UniversalControl *> WidgetBitIndex::widgetsShowing(const Binding &binding,
                                                         const QList<int> &written)
{
    // Equal lists that share their data compare at once.
    if (m_register != binding.reg || m_widgets != binding.widgets ||
        m_layout != binding.reg->layoutGeneration())
        rebuild(binding);
    std::vector<bool> shown(size_t(m_widgets.size()), false);
    for (int place : std::as_const(m_anyBit))
        shown[size_t(place)] = true;
    for (int bit : written) {
        if (bit >= 0 && bit < m_byBit.size())
            for (int place : m_byBit.at(bit))
                shown[size_t(place)] = true;
    }
    QList<UniversalControl *> widgets;
    widgets.reserve(m_widgets.size());
    for (qsizetype place = 0; place < m_widgets.size(); ++place)
        if (shown[size_t(place)])
            widgets.append(m_widgets.at(place));
    return widgets;
}

void WidgetBitIndex::rebuild(const Binding &binding)
{
    const Register *reg = binding.reg;
    m_register = reg;
    m_layout = reg->layoutGeneration();
    m_widgets = binding.widgets;
    m_byBit = QList<QList<int>>(reg->size());
    m_anyBit.clear();
    for (int place = 0; place < m_widgets.size(); ++place) {
        QList<int> bits;
        if (!reg->fieldBits(m_widgets.at(place)->registerName(2), &bits)) {
            m_anyBit.append(place);
            continue;
        }
        for (int bit : std::as_const(bits)) {
            QList<int> &places = m_byBit[bit];
            if (places.isEmpty() || places.last() != place)
                places.append(place);
        }
    }
}
