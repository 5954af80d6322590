#pragma once

#include "register.h"
#include "variable.h"

#include <QStringList>
#include <QVector>

// The board page's global registers, variables and constant lists. The members are built one
// after the other in declaration order and destroyed in reverse order at exit; the names are
// the ones the board page binds, so bound widgets, scripts and command lines reach them.
struct BoardGlobals {
    BoardGlobals();
    BoardGlobals(const BoardGlobals &) = delete;
    BoardGlobals &operator=(const BoardGlobals &) = delete;

    // The long-form definition of a KVL52110 register-bank image: 100 fields in 19 words of
    // 24 bits, each field tagged with its word number ("REG").
    static QString bankDefinition(const QString &name);
    // The long-form definition of the 36 switch duties SW0..SW35, 10 bits each.
    static QString dutyDefinition();

    // Register-bank images of one slave, and the switch duties.
    Register BANK;
    Register BANKX;
    Register DCREG;
    Variable SA;
    Variable DCALL;
    Variable BROADCAST;
    // KVL52205 help registers.
    Register BOOSTP205;
    Register BUCK1;
    Register BUCK2;
    Register P205STATUS;
    // Operating values of the KVL52205 page and the controller's PWM outputs.
    Variable IPEAK1;
    Variable IPEAK2;
    Variable IRIPPLE1;
    Variable IRIPPLE2;
    Variable IAVERAGE1;
    Variable IAVERAGE2;
    Variable LEDCTRL1;
    Variable LEDCTRL2;
    Variable PWM1;
    Variable PWM2;
    Variable FREQ1;
    Variable FREQ2;
    Variable DUTY1;
    Variable DUTY2;
    Variable VLED1;
    Variable VLED2;
    Variable BOOSTPWM;
    Variable BOOSTFREQ;
    Variable BoostVoltage;
    Variable BoostVoltageMeas;
    Variable BatteryVoltage;
    // Selection lists of the KVL52404 page.
    const QVector<int> buckFrequencyTable;          // kHz
    const QVector<float> boostSourceFrequencyTable; // kHz
    const QVector<int> boostSoftStartTable;         // microseconds
    const QStringList iripStatusTexts;
    const QStringList boostClockSourceTexts;
};

// The one set, built on first use (a function-local object, so no order across files matters).
BoardGlobals &boardGlobals();
// Builds the set; the program calls it before the applets are created.
void initBoardGlobals();
