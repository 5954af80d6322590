#pragma once

#include <QStringList>

// What the board page offers the matrix-chip tools, without their depending on the board
// library: the board page installs its implementation; until then instance() is null, which
// means a page without device rows.
class BoardPageAccess
{
public:
    virtual ~BoardPageAccess();

    // The texts of the device rows' address edits (leSA), in row order.
    virtual QStringList deviceAddressTexts() const = 0;
    // Switch buck output 1 or 2 of the board's KVL52205 driver on or off.
    virtual void setBuck1Enabled(bool on) = 0;
    virtual void setBuck2Enabled(bool on) = 0;

    // The installed page, or null. Ownership stays with the caller of install();
    // install(nullptr) removes it.
    static BoardPageAccess *instance();
    static void install(BoardPageAccess *access);
};
