#pragma once

// A ControlBoard on the pseudo-terminal of a FakeBoard, with a recording prompt installed and
// the link's log recorded (header only, for tests that link the link library).
#include "controlboard.h"
#include "fakeboard.h"
#include "logrecorder.h"
#include "recordingprompt.h"

#include <QList>

#include <memory>

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

    // Replaces f with a fresh fixture and connects it (for a test class's init()). The old one
    // goes first: its prompt uninstalls itself.
    static bool renew(std::unique_ptr<LinkFixture> &f)
    {
        f.reset();
        f = std::make_unique<LinkFixture>();
        return f->connectLink();
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
