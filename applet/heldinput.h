#pragma once

class QEvent;
class QObject;

// A person's input that comes while the program is busy within a command (a pause between its
// steps, a progress window's repaint) waits, and takes effect once the program is free, in the
// order it came: a click in the window it was made in, a key in the window it was typed in (one
// typed into a window that has gone since goes where the keyboard is then), a shortcut to its
// action. Input that comes while held input waits queues behind it. Held input for a window that
// a box blocks waits until the box has closed; a box that opens within the busy time (a question
// of the link) or while held input waits takes the person's input at once. Drops onto a window
// are refused while busy: the dragged data cannot wait.
//
// The program's application object passes every event through take() before delivering it,
// and delivers it within a Delivery: what waits takes effect as soon as the delivery that was
// busy (a person's command, a request's or a timer's work) has returned, not within it. All on
// the GUI thread; under another application object nothing is held.
namespace HeldInput
{

// Holds a person's input while it lives.
class Busy
{
public:
    Busy();
    ~Busy();
    Busy(const Busy &) = delete;
    Busy &operator=(const Busy &) = delete;
};

// The delivery of one event, while it lives; its end delivers what waited for it.
class Delivery
{
public:
    Delivery();
    ~Delivery();
    Delivery(const Delivery &) = delete;
    Delivery &operator=(const Delivery &) = delete;
};

// Takes event, sent to receiver, to be delivered later: true when it is a person's input that
// must wait (or a drop refused), which is then not to be delivered now.
bool take(QObject *receiver, QEvent *event);
// Whether input waits.
bool waits();
// Whether a command is busy now (within a pause or a progress window's repaint): work of a
// timer that would send to the board waits for its end too.
bool isBusy();
// Forgets what waits (the program ends).
void clear();

} // namespace HeldInput
