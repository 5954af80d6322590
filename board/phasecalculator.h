#pragma once

#include <QtGlobal>

// Turns the duties (0..1023) of a slave's switches into the on and off positions within one
// PWM period of 1024 counts. The on positions of the channels are staggered by a spacing and
// an offset that depend on the slave's dimming-frequency code (the mode).
struct PhaseCalculator {
    // Zero-fills the working area.
    void reset();

    // For each channel i below n: index[i] = i; a duty of 0 (or below) gives start 0 and end
    // 1023; otherwise start = i * spacing + offset (never wrapped) and end = start plus the
    // dark time 1023 - duty, wrapped to 0..1023. A duty above 1023 counts as 1023 and a
    // negative one as 0; either is written back so clamped. A mode outside 0..20 uses the rows
    // of mode 0. Nothing is written for n below 1. Always returns 1.
    int computePhases(int n, int mode, int *duty, int *start, int *end, int *index);

    // Working area of the board page's calculators; computePhases neither reads nor writes it.
    qint32 work[9][12] = {};
    qint32 tail[6] = {};
};
