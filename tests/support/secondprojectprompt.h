#pragma once

// A recording prompt that chooses the second item of every item choice, so the program starts
// as a TO1/TO2 project. Header only.
#include "recordingprompt.h"

class SecondItemPrompt : public RecordingPrompt
{
public:
    QString getItem(const QString &, const QString &, const QStringList &items, int,
                    bool *ok) override
    {
        if (ok)
            *ok = true;
        return items.value(1);
    }
};
