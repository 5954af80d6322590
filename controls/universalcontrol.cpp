#include "universalcontrol.h"

#include "accessiblenames.h"
#include "scriptdrag.h"
#include "scriptdragprovider.h"

#include <QCursor>
#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <limits>

namespace CustomControls
{

UniversalControl::~UniversalControl() = default;

void UniversalControl::setOptions(const QString &) {}

void UniversalControl::setRange(double, double) {}

QByteArray UniversalControl::byteArrayValue()
{
    return QByteArray();
}

void UniversalControl::setByteArrayValue(const QByteArray &) {}

void UniversalControl::applyDescription() {}

// The parts are the pieces between any of "()[]. "; empty pieces count. It runs for every
// name-based access, so it looks at the name in place instead of building a list.
void UniversalControl::splitName(const QString &name, QString *prefix, QString *registerPart,
                                 QString *fieldPart)
{
    constexpr int MaxCuts = 3; // four parts at most carry a binding name
    qsizetype cuts[MaxCuts] = {};
    int cutCount = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (c != '(' && c != ')' && c != '[' && c != ']' && c != '.' && c != ' ')
            continue;
        if (cutCount == MaxCuts)
            return; // five or more parts: no binding name
        cuts[cutCount++] = i;
    }
    const auto assignPart = [&](QString *out, int part) {
        if (!out)
            return;
        const qsizetype from = part == 0 ? 0 : cuts[part - 1] + 1;
        const qsizetype to = part < cutCount ? cuts[part] : name.size();
        *out = name.mid(from, to - from);
    };
    switch (cutCount + 1) {
    case 1:
        assignPart(registerPart, 0);
        break;
    case 2:
    case 3:
        assignPart(registerPart, 0);
        assignPart(fieldPart, 1);
        break;
    default: // four parts
        assignPart(prefix, 0);
        assignPart(registerPart, 1);
        assignPart(fieldPart, 2);
        break;
    }
}

int UniversalControl::truncateToInt(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (v <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(v);
}

quint32 UniversalControl::truncateToUInt32(double v)
{
    if (std::isnan(v))
        return 0;
    // 2^63 is exactly representable; anything at or beyond it is clamped.
    constexpr double limit = 9223372036854775808.0;
    qint64 n = 0;
    if (v >= limit)
        n = std::numeric_limits<qint64>::max();
    else if (v < -limit)
        n = std::numeric_limits<qint64>::min();
    else
        n = qint64(v);
    return quint32(quint64(n) & 0xFFFFFFFFu);
}

void UniversalControl::boundedRange(double min, double max, int *low, int *high)
{
    constexpr int Limit = 60000;
    *low = std::max(0, truncateToInt(min));
    const int top = truncateToInt(max);
    *high = (top >= 1 && top <= Limit) ? top : Limit;
}

QString UniversalControl::nameFromObjectName(const QString &objectName)
{
    QString name = objectName.mid(2);
    const int first = name.indexOf(QChar('_'));
    if (first < 0)
        return name;
    name[first] = QChar('[');
    const int second = name.indexOf(QChar('_'), first + 1);
    if (second >= 0)
        name[second] = QChar(':');
    return name + QChar(']');
}

QString UniversalControl::namePart(int part) const
{
    switch (part) {
    case 0:
        return m_fieldPart;
    case 1:
        return m_registerPart;
    case 2:
        return m_wholeName;
    default:
        return QString();
    }
}

QString UniversalControl::resolveBindingName(const QWidget *widget, int part)
{
    if (!m_nameResolved) {
        const QString bound = AccessibleNames::bindingName(widget);
        const QString name = bound.isEmpty() ? nameFromObjectName(widget->objectName()) : bound;
        splitName(name, nullptr, &m_registerPart, &m_fieldPart);
        m_wholeName = name;
        m_nameResolved = true;
    }
    return namePart(part);
}

QString UniversalControl::resolveCommandName(const QWidget *widget, int part)
{
    if (!m_nameResolved) {
        const QString bound = AccessibleNames::bindingName(widget);
        if (!bound.isEmpty()) {
            splitName(bound, &m_prefix, &m_registerPart, &m_fieldPart);
        } else {
            const QStringList parts =
                widget->objectName().mid(2).split(QChar('_'), Qt::KeepEmptyParts);
            m_prefix = parts.value(0);
            m_registerPart = parts.value(1);
            m_fieldPart = parts.value(2);
        }
        m_wholeName = m_registerPart;
        m_nameResolved = true;
    }
    return namePart(part);
}

bool UniversalControl::connectChangeSignal(QObject *sender, const char *signal, const char *slot,
                                           QObject *receiver)
{
    m_connected = true;
    if (!receiver || !slot)
        return false;
    return bool(QObject::connect(sender, signal, receiver, slot));
}

bool UniversalControl::disconnectChangeSignal(QObject *sender, const char *signal)
{
    return QObject::disconnect(sender, signal, nullptr, nullptr);
}

bool UniversalControl::handleScriptDragPress(QMouseEvent *event, int mode)
{
    if (event->button() != Qt::LeftButton || event->modifiers() != Qt::ControlModifier)
        return false;
    startScriptDrag(mode);
    deleteScriptDrag();
    return true;
}

void UniversalControl::paintScriptTint(QWidget *widget)
{
    if (QGuiApplication::keyboardModifiers() != Qt::ControlModifier)
        return;
    if (!widget->rect().contains(widget->mapFromGlobal(QCursor::pos())))
        return;
    QPainter painter(widget);
    painter.fillRect(widget->rect(), QColor(255, 170, 0, 100));
}

void UniversalControl::startScriptDrag(int mode)
{
    ScriptDragProvider *provider = ScriptDragProvider::provider();
    if (!provider)
        return;
    QWidget *source = provider->activeAppletWidget();
    if (!source)
        return;
    const QString item = provider->activeAppletName() + QChar('.') + registerName(2);
    const QString argument = (mode & ScriptDrag::Run) ? registerName(0) : QString();

    auto *drag = new QDrag(source);
    drag->setMimeData(ScriptDrag::mimeData(item, argument, mode));
    m_drag = drag;
    provider->executeDrag(drag);
}

void UniversalControl::deleteScriptDrag()
{
    m_drag.clear();
}

} // namespace CustomControls
