#pragma once

// Shared by the sound tests: a tone output that records every tone with the thread and the
// priority it was played on, safe to call from the beeper threads.

#include "toneoutput.h"

#include <QList>
#include <QMutex>
#include <QPair>
#include <QThread>

using Tones = QList<QPair<int, int>>; // frequency in Hz, duration in ms

class RecordingTones : public ToneOutput
{
public:
    void play(int frequencyHz, int durationMs) override
    {
        QMutexLocker lock(&mutex);
        tones.append(qMakePair(frequencyHz, durationMs));
        threads.append(QThread::currentThread());
        lowPriority.append(QThread::currentThread()->priority() == QThread::LowPriority);
    }
    Tones played() const
    {
        QMutexLocker lock(&mutex);
        return tones;
    }
    int count() const { return int(played().size()); }

    mutable QMutex mutex;
    Tones tones;
    QList<QThread *> threads;
    QList<bool> lowPriority;
};
