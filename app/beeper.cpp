#include "beeper.h"

#include "toneoutput.h"

#include <QStringList>

Beeper::Beeper(const QString &pattern)
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
    if (parsePattern(pattern, &m_tones))
        start(QThread::LowPriority);
    else
        deleteLater(); // nothing to play
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
    for (const Tone &tone : m_tones)
        output->play(tone.first, tone.second);
}
