#include "dialogprogressbar.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QVBoxLayout>

DialogProgressBar::DialogProgressBar(QWidget *parent, const QPixmap &picture)
    : QDialog(parent), m_bar(new QProgressBar), m_layout(new QVBoxLayout), m_text(new QLabel),
      m_picture(new QLabel)
{
    setLayout(m_layout);
    setModal(true);
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
    QCoreApplication::processEvents();
}

int DialogProgressBar::value() const
{
    return m_bar->value();
}

void DialogProgressBar::setText(const QString &text)
{
    m_text->setText(text);
    QCoreApplication::processEvents();
}

void DialogProgressBar::addWidget(QWidget *w)
{
    m_layout->addWidget(w);
}

void DialogProgressBar::sleep(unsigned ms)
{
    QThread::msleep(ms);
}
