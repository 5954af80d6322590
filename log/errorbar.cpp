#include "errorbar.h"

#include "wholetextlabel.h"

#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace
{

const char *const BarStyle = "#errorBar { background-color: #fde4e4; border: 1px solid #c62828; "
                             "border-radius: 3px; }";
constexpr int IconSize = 20;

// The bar as a screen reader sees it: an alert, which it reads out when it appears.
QAccessibleInterface *alertOf(const QString &className, QObject *object)
{
    if (className == QLatin1String("ErrorBar") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::AlertMessage);
    return nullptr;
}

QPushButton *barButton(const QString &text, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setAccessibleName(name);
    button->setFocusPolicy(Qt::TabFocus); // a click leaves the keyboard where the person types
    return button;
}

} // namespace

ErrorBar::ErrorBar(QWidget *parent) : QFrame(parent)
{
    static const bool alertInstalled = (QAccessible::installFactory(alertOf), true);
    Q_UNUSED(alertInstalled);
    setObjectName(QStringLiteral("errorBar"));
    setStyleSheet(QLatin1String(BarStyle));
    setAccessibleName(QStringLiteral("Error"));

    auto *icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(IconSize));
    m_text = new WholeTextLabel(this);
    m_count = new QLabel(this);
    m_count->hide(); // shown once there is an error to count
    m_count->setToolTip(QStringLiteral("The errors since you last closed this bar; the latest "
                                       "is shown. The log window lists them all."));
    m_openLog = barButton(QStringLiteral("Open log"), QStringLiteral("Open the log window"), this);
    m_close = barButton(QStringLiteral("Close"), QStringLiteral("Close the error bar"), this);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 3, 3, 3);
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(m_text, 1);
    for (QWidget *widget : {static_cast<QWidget *>(m_count), static_cast<QWidget *>(m_openLog),
                            static_cast<QWidget *>(m_close)})
        row->addWidget(widget, 0, Qt::AlignTop);

    connect(m_openLog, &QPushButton::clicked, this, &ErrorBar::signal_openLog);
    connect(m_close, &QPushButton::clicked, this, &ErrorBar::closeBar);
}

void ErrorBar::addError(const QString &text)
{
    ++m_errors;
    showText(text);
}

void ErrorBar::addNotice(const QString &text)
{
    showText(text);
}

void ErrorBar::showText(const QString &text)
{
    m_latest = text;
    if (!isHidden()) {
        m_paced.ask();
        return;
    }
    showLatest();
    show();
}

void ErrorBar::showLatest()
{
    m_paced.cancel();
    if (m_text->text() != m_latest)
        m_text->setText(m_latest);
    if (m_shownCount != m_errors) {
        m_shownCount = m_errors;
        m_count->setText(m_errors == 1 ? QStringLiteral("1 error")
                                       : QStringLiteral("%1 errors").arg(m_errors));
        m_count->setVisible(m_errors > 0);
    }
    setAccessibleDescription(m_latest);
}

void ErrorBar::closeBar()
{
    m_paced.cancel();
    m_errors = 0;
    hide();
}

QString ErrorBar::text() const
{
    return m_text->text();
}

void ErrorBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        closeBar();
        return;
    }
    QFrame::keyPressEvent(event);
}
