#pragma once

#include <memory>

class FakeBoard;

// The controller's PWM outputs on a FakeBoard: the bare commands "set PWM1START" and
// "set PWM1STOP" answer "PWM1START:ok" and "PWM1STOP:ok" and switch PWM 1 on or off.
class FakeBoardPwm
{
public:
    // Installs the handler on board; it keeps its own state, so this object may be destroyed
    // before the board.
    explicit FakeBoardPwm(FakeBoard &board);

    bool pwm1Running() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};
