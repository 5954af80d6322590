#pragma once

// Records the notes of prompts taken with nobody there to answer (header only): the recorder
// is the note sink for as long as it lives.
#include "prompt.h"

#include <QList>
#include <QPair>
#include <QString>

class NoteRecorder
{
public:
    using Notes = QList<QPair<int, QString>>; // level, text

    NoteRecorder()
    {
        Prompt::setNoteSink([this](int level, const QString &text) {
            notes.append({level, text});
        });
    }
    ~NoteRecorder() { Prompt::setNoteSink(Prompt::NoteSink()); }
    NoteRecorder(const NoteRecorder &) = delete;
    NoteRecorder &operator=(const NoteRecorder &) = delete;

    Notes notes;
};
