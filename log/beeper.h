#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QThread>

// Plays a beep pattern such as "1000:100;1200:200;2000:100" (frequency in Hz ":" duration in
// ms, tones separated by ";") on a short-lived thread of its own at low priority. Create it
// with new and forget it: it deletes itself when the pattern has played. A pattern with a
// part that is not frequency ":" duration, or whose last numbers do not read, plays nothing.
class Beeper : public QThread
{
    Q_OBJECT
public:
    using Tone = QPair<int, int>; // frequency, duration

    explicit Beeper(const QString &pattern);

    // The tones of a pattern; false when it would not play.
    static bool parsePattern(const QString &pattern, QList<Tone> *tones);
    // Ends every pattern still playing, the system beep's tone under way included (for the end
    // of the program, which need not wait for a warning nobody hears any more).
    static void stopAll();

protected:
    void run() override;

private:
    QList<Tone> m_tones;
};
