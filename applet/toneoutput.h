#pragma once

// Plays one tone and blocks for its duration; called from the beeper threads. The program
// uses the default output (the system beep per tone, then a wait for the tone's duration);
// tests install a recording one.
class ToneOutput
{
public:
    virtual ~ToneOutput() = default;
    virtual void play(int frequencyHz, int durationMs) = 0;

    // The installed output, or the default one. Ownership stays with the caller of install();
    // install(nullptr) restores the default.
    static ToneOutput *instance();
    static void install(ToneOutput *output);
};

// The system beep (handed to the GUI thread), then a wait for the tone's duration that ends
// early on a thread whose interruption was requested.
class SystemBeepOutput : public ToneOutput
{
public:
    void play(int frequencyHz, int durationMs) override;
    // Wakes the waits of threads whose interruption was requested.
    static void endInterruptedTones();
};
