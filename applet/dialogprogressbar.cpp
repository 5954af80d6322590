#include "dialogprogressbar.h"

#include "heldinput.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>

DialogProgressBar::DialogProgressBar(QWidget *parent, const QPixmap &picture)
    : QDialog(parent), m_bar(new QProgressBar), m_layout(new QVBoxLayout), m_text(new QLabel),
      m_picture(new QLabel)
{
    setLayout(m_layout);
    // It shows a command's progress: it blocks no window (a person's input waits for the
    // command's end instead, so a Close of the main window is taken meanwhile) and never takes
    // the keyboard from where the person types.
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    m_text->setTextFormat(Qt::PlainText); // a step may name what it works on
    m_layout->addWidget(m_bar);
    m_layout->addWidget(m_text);
    if (!picture.isNull()) {
        m_picture->setPixmap(picture);
        m_picture->setFixedSize(200, 200);
    }
    m_layout->addWidget(m_picture);
}

void DialogProgressBar::setProgress(int value, int maximum)
{
    // The maximum is taken first, so a value beyond the previous range is shown at once
    // instead of being dropped by the bar; values outside the range are clamped.
    m_bar->setMaximum(maximum);
    m_bar->setValue(qBound(m_bar->minimum(), value, m_bar->maximum()));
    showChanges(nullptr); // the bar repaints itself at once when what it shows changes
}

int DialogProgressBar::value() const
{
    return m_bar->value();
}

void DialogProgressBar::setText(const QString &text)
{
    m_text->setText(text);
    showChanges(m_text);
}

void DialogProgressBar::addWidget(QWidget *w)
{
    m_layout->addWidget(w);
}

void DialogProgressBar::setPaintOnly(bool on)
{
    m_paintOnly = on;
}

// Processing every pending event would also deliver whatever the caller built meanwhile its
// first polish and layout requests; a window that is shown needs only its own layout and the
// changed widget (if any) painted, the whole window where the layout changed its size.
void DialogProgressBar::showChanges(QWidget *changed)
{
    const QWindow *window = windowHandle();
    if (!m_paintOnly || !window || !window->isExposed()) {
        const HeldInput::Busy busy; // the caller's command goes on
        QCoreApplication::processEvents();
        return;
    }
    const QSize before = size();
    m_layout->activate();
    if (size() != before)
        repaint();
    else if (changed)
        changed->repaint();
}

void DialogProgressBar::sleep(unsigned ms)
{
    QThread::msleep(ms);
}
