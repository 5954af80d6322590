#pragma once

// Answers a modal dialog that a call is about to open (header only): act runs on the active
// modal widget as soon as one is shown, however long that takes, from the event loop the
// dialog runs.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

inline void whenModal(std::function<void(QWidget *)> act)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act]() {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer->deleteLater();
            timer->stop();
            act(modal);
        }
    });
    timer->start(10);
}
