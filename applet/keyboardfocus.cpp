#include "keyboardfocus.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>

KeyboardFocus::KeyboardFocus(QObject *parent) : QObject(parent)
{
    qApp->installEventFilter(this);
}

void KeyboardFocus::install()
{
    if (!qApp->findChild<KeyboardFocus *>(QString(), Qt::FindDirectChildrenOnly))
        new KeyboardFocus(qApp);
}

bool KeyboardFocus::eventFilter(QObject *object, QEvent *event)
{
    if (event->type() == QEvent::FocusIn && object->isWidgetType())
        focusGiven(static_cast<QWidget *>(object), static_cast<QFocusEvent *>(event)->reason());
    return QObject::eventFilter(object, event);
}

void KeyboardFocus::focusGiven(QWidget *widget, Qt::FocusReason reason)
{
    // Whatever gets the keyboard other than by a click shows it at once (a style shows the focus
    // only once the keyboard has moved it), so the first key does not go where nobody sees.
    if (reason != Qt::MouseFocusReason)
        widget->window()->setAttribute(Qt::WA_KeyboardFocusChange);
    // Tab leaves a table, whose cells the arrow keys go through.
    if (auto *view = qobject_cast<QAbstractItemView *>(widget))
        view->setTabKeyNavigation(false);
    if (reason != Qt::ActiveWindowFocusReason)
        return;
    // A combo box or spin box passes its focus on to its own field.
    auto *field = qobject_cast<QLineEdit *>(widget);
    if (!field && (qobject_cast<QComboBox *>(widget) || qobject_cast<QAbstractSpinBox *>(widget)))
        field = widget->findChild<QLineEdit *>(QString(), Qt::FindDirectChildrenOnly);
    if (field)
        field->deselect();
}
