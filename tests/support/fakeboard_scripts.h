#pragma once

#include <QByteArray>
#include <QList>

#include <memory>

class FakeBoard;
class FakeBoardFlash;

// The controller's playback of animation scripts from its flash, on a FakeBoard:
// "set p110script=" with the loops, the script count and each script's start address (two,
// two and eight hexadecimal digits) is answered "p110script:ok" when every listed start holds
// a whole animation image ("START", delay, devices, steps, addresses, per step and device
// twelve values or the repeat marker 0xFF, "END"), else "p110script:err"; bare
// "set p110stopanim" and "set p110contanim" are answered ":ok". All are recorded.
class FakeBoardScripts
{
public:
    struct ScriptStart {
        int loops = 0;
        int count = 0;
        QList<quint32> starts;
    };

    // Installs the handlers on board; flash must outlive the board's thread use of it.
    FakeBoardScripts(FakeBoard &board, const FakeBoardFlash &flash);
    ~FakeBoardScripts();

    // Accepted "set p110script=" commands, in order.
    QList<ScriptStart> scriptStarts() const;
    // The bare pause and continue lines received, in order.
    QList<QByteArray> pauseContinueLines() const;
    // Whether address holds a whole animation image; *size its length in bytes.
    static bool holdsImage(const FakeBoardFlash &flash, quint32 address, int *size = nullptr);

private:
    struct State;
    std::shared_ptr<State> m_state;
};
