#pragma once

// Reaches the board page's driver ratings, detected driver and push-button flag, which the
// driver detection and the applet framework set in the program. Header only.
#include "board.h"

struct PowerProbe {
    static void setScales(Board *page, quint16 peak, quint16 ripple)
    {
        page->peakScale1 = page->peakScale2 = peak;
        page->rippleScale1 = page->rippleScale2 = ripple;
    }
    static void setPeakScales(Board *page, quint16 one, quint16 two)
    {
        page->peakScale1 = one;
        page->peakScale2 = two;
    }
    static void setChipCode(Board *page, int code) { page->driverConfig.chipCode = code; }
    static void setFromButton(Board *page, bool on) { page->triggeredByControl = on; }
    static void average(Board *page, int channel) { page->calculateIAVERAGE(channel); }
    static quint8 lastFadingLevel(Board *page) { return page->lastFadingLevel; }
};
