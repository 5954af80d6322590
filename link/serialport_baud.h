#pragma once

// Baud rates through termios2 (BOTHER), which accepts any rate such as 2304000. Kept in a
// source file of its own because <asm/termbits.h> clashes with <termios.h>.
namespace SerialBaud
{
// Sets input and output rate of the open terminal fd; false when the driver refuses.
bool setRate(int fd, int rate);
} // namespace SerialBaud
