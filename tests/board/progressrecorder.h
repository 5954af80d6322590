#pragma once

#include "dialogprogressbar.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QSet>

// The values that the bars of progress windows take while it lives, from their showing on,
// and each value beside the window's text line at that moment ("text value").
class ProgressRecorder : public QObject
{
public:
    ProgressRecorder() { qApp->installEventFilter(this); }
    ~ProgressRecorder() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = qobject_cast<DialogProgressBar *>(watched);
        if (window && event->type() == QEvent::Show && !m_seen.contains(window)) {
            m_seen.insert(window);
            connect(window->findChild<QProgressBar *>(), &QProgressBar::valueChanged, this,
                    [this, window](int value) {
                        values.append(value);
                        steps.append(QStringLiteral("%1 %2").arg(textOf(window)).arg(value));
                    });
        }
        return false;
    }
    static bool anyShown()
    {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (qobject_cast<DialogProgressBar *>(top) && top->isVisible())
                return true;
        return false;
    }
    QList<int> values;
    QStringList steps;

private:
    static QString textOf(const QWidget *window)
    {
        QStringList texts;
        for (const QLabel *label : window->findChildren<QLabel *>())
            if (!label->text().isEmpty())
                texts << label->text();
        return texts.join(QLatin1Char('/'));
    }

    QSet<QObject *> m_seen;
};
