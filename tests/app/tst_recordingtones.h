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
        priorities.append(QThread::currentThread()->priority());
    }
    Tones played() const { return locked(tones); }
    int count() const { return int(played().size()); }
    QList<QThread *> playedOn() const { return locked(threads); }
    QList<QThread::Priority> playedAt() const { return locked(priorities); }
    void clear()
    {
        QMutexLocker lock(&mutex);
        tones.clear();
        threads.clear();
        priorities.clear();
    }

private:
    template <typename T> T locked(const T &list) const
    {
        QMutexLocker lock(&mutex);
        return list;
    }
    mutable QMutex mutex;
    Tones tones;
    QList<QThread *> threads;
    QList<QThread::Priority> priorities;
};
