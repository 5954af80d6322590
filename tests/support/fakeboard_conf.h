#pragma once

class FakeBoard;

// The controller's bare configuration commands on a FakeBoard: "set SER2CONF" and, for any
// PWM output n, "set PWM<n>CONF" and "set PWM<n>START" answer "NAME:ok" ("NAME:err" for a
// name the board refuses). PWM 1's start stays with FakeBoardPwm, which follows its state.
class FakeBoardConf
{
public:
    // Installs the handler on board; it keeps no state of its own.
    explicit FakeBoardConf(FakeBoard &board);
};
