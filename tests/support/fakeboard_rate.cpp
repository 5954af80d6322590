// The terminal rate through termios2, which also reports rates without a B constant.
// A file of its own: <asm/termbits.h> clashes with <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

int fakeBoardTerminalRate(int fd)
{
    struct termios2 tio;
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return -1;
    return tio.c_ispeed == tio.c_ospeed ? int(tio.c_ospeed) : -1;
}
