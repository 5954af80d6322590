#pragma once

#include "register.h"
#include "variable.h"

// The register-bank frame registers of the matrix chips and the data layout of the raw-frame
// window: one set for the whole program, built on first use (W_BANK, R_BANK, Bank_layout in
// this order) and destroyed at exit in reverse order.
struct PxnRegisters {
    PxnRegisters();

    Register W_BANK; // bank writes: PID1, PID2, twelve data bytes in DATA_BC groups 0..3
    Register R_BANK; // bank reads: the same layout, only group 0 marked
    Variable Bank_layout;

    static const QString &wBankText();
    static const QString &rBankText();
};

PxnRegisters &pxnRegisters();
