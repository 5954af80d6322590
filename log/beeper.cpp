#include "beeper.h"

#include "toneoutput.h"

#include <QMutex>
#include <QSet>
#include <QStringList>

namespace
{
QMutex playingMutex;
QSet<Beeper *> playing; // from their start to the end of their run()
} // namespace

Beeper::Beeper(const QString &pattern)
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
    if (!parsePattern(pattern, &m_tones)) {
        deleteLater(); // nothing to play
        return;
    }
    QMutexLocker lock(&playingMutex);
    playing.insert(this);
    start(QThread::LowPriority);
}

bool Beeper::parsePattern(const QString &pattern, QList<Tone> *tones)
{
    bool lastRead = false;
    for (const QString &part : pattern.split(QLatin1Char(';'))) {
        const QStringList numbers = part.split(QLatin1Char(':'));
        if (numbers.size() != 2)
            return false;
        bool frequencyRead = false;
        bool durationRead = false;
        const int frequency = numbers.at(0).toInt(&frequencyRead, 10);
        const int duration = numbers.at(1).toInt(&durationRead, 10);
        tones->append(Tone(frequency, duration));
        lastRead = frequencyRead && durationRead;
    }
    return lastRead;
}

void Beeper::run()
{
    ToneOutput *output = ToneOutput::instance();
    for (const Tone &tone : m_tones) {
        if (isInterruptionRequested())
            break;
        output->play(tone.first, tone.second);
    }
    QMutexLocker lock(&playingMutex);
    playing.remove(this);
}

void Beeper::stopAll()
{
    {
        QMutexLocker lock(&playingMutex);
        for (Beeper *beeper : std::as_const(playing))
            beeper->requestInterruption();
    }
    SystemBeepOutput::endInterruptedTones();
}
