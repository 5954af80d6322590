#include "fakeboard_pwm.h"

#include "fakeboard.h"

#include <atomic>

struct FakeBoardPwm::State {
    std::atomic<bool> pwm1{false};
};

FakeBoardPwm::FakeBoardPwm(FakeBoard &board) : m_state(std::make_shared<State>())
{
    const auto isPwm1Command = [](const QByteArray &line) {
        return line == "set PWM1START" || line == "set PWM1STOP";
    };
    board.addHandler(isPwm1Command, [state = m_state](const QByteArray &line) {
        const bool start = line.endsWith("START");
        state->pwm1 = start;
        return start ? QByteArrayLiteral("PWM1START:ok") : QByteArrayLiteral("PWM1STOP:ok");
    });
}

bool FakeBoardPwm::pwm1Running() const
{
    return m_state->pwm1;
}
