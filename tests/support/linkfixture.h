#pragma once

// A ControlBoard on the pseudo-terminal of a FakeBoard, with a recording prompt installed and
// the link's log recorded (header only, for tests that link the link library).
#include "controlboard.h"
#include "fakeboard.h"
#include "logrecorder.h"
#include "recordingprompt.h"

#include <QList>

struct LinkFixture {
    explicit LinkFixture(const LinkTiming &timing = LinkTiming()) : link(timing) {}

    // Connects with communication logging on; afterwards the board's records are empty.
    bool connectLink()
    {
        link.setLogEnabled(true);
        if (!board.isValid() || !link.connectBoard(board.devicePath()) || !link.isConnected())
            return false;
        board.clearRecords();
        return true;
    }

    // The lines the board received since the last call.
    QList<QByteArray> take()
    {
        const QList<QByteArray> lines = board.lines();
        board.clearRecords();
        return lines;
    }

    // Members in this order: the prompt outlives the link, the link is gone before the board.
    RecordingPrompt prompt;
    FakeBoard board;
    ControlBoard link;
    LogRecorder log{&link};
};
