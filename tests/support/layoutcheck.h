#pragma once

// Whether a form's controls are laid out (header only, for widget tests).
#include <QLayout>
#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>

// The first control among the children of owner, and in turn among the children of each
// laid-out container in it, that has no place in its parent's layout or overlaps a shown
// sibling (a control forgotten by the layout piles up in a corner); empty when every one is in
// place. Windows (menus, dialogs) are left out; checked counts the controls looked at.
inline QString misplacedControl(QWidget *owner, int *checked = nullptr)
{
    if (!owner->layout())
        return owner->objectName() + QStringLiteral(" has no layout");
    owner->layout()->activate();
    QList<QRect> taken;
    for (QWidget *w : owner->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (w->isWindow())
            continue;
        const QString name = QStringLiteral("%1 %2 \"%3\"")
                                 .arg(QLatin1String(w->metaObject()->className()), w->objectName(),
                                      w->property("text").toString());
        if (owner->layout()->indexOf(w) < 0)
            return name + QStringLiteral(" is not laid out");
        for (const QRect &other : std::as_const(taken)) {
            if (!w->isHidden() && w->geometry().intersects(other))
                return name + QStringLiteral(" overlaps another control");
        }
        if (!w->isHidden())
            taken.append(w->geometry());
        if (checked)
            ++*checked;
        if (w->layout() && w->metaObject()->className() == QByteArray("QFrame")) {
            const QString inside = misplacedControl(w, checked); // a bar of controls
            if (!inside.isEmpty())
                return inside;
        }
    }
    return QString();
}
