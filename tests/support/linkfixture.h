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
    // A connection whose keep-alive went unanswered (the board's thread kept from running
    // longer than the link waits, as on a loaded machine) is tried again, its records and log
    // cleared; one that reached the identification is not.
    bool connectLink()
    {
        link.setLogEnabled(true);
        if (!board.isValid())
            return false;
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (link.connectBoard(board.devicePath()) && link.isConnected()) {
                board.clearRecords();
                return true;
            }
            if (board.lines().contains("*IDN?"))
                return false;
            board.clearRecords();
            log.clear();
        }
        return false;
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
