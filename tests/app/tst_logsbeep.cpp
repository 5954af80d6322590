// The error beep and the end of the log window: a pattern still playing when the window goes
// must finish before it, since the tone output it plays on is torn down after the window.
#include "logs.h"
#include "tst_recordingtones.h"

#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

// Records like the shared sink, but takes each tone's time, as the real output does.
class TimedTones : public RecordingTones
{
public:
    void play(int frequencyHz, int durationMs) override
    {
        QThread::msleep(ulong(durationMs));
        RecordingTones::play(frequencyHz, durationMs);
    }
};

class TestLogsBeep : public QObject
{
    Q_OBJECT

private slots:
    void closingWaitsForThePlayingPattern()
    {
        TimedTones tones;
        ToneOutput::install(&tones);
        auto *logs = new Logs;
        logs->hornButton()->setChecked(true);
        logs->messageBoxBox()->setChecked(false);
        logs->slot_addLog(-1, QStringLiteral("bad thing"));
        delete logs;
        // Without the wait the pattern would still be playing here, on a sink about to go.
        QCOMPARE(tones.count(), 3);
        ToneOutput::install(nullptr);
    }
};

QTEST_MAIN(TestLogsBeep)
#include "tst_logsbeep.moc"
