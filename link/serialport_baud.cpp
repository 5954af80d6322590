#include "serialport_baud.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace SerialBaud
{

bool setRate(int fd, int rate)
{
    struct termios2 tio;
    if (rate <= 0 || ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    tio.c_cflag &= ~CBAUD;
    tio.c_cflag |= BOTHER;
    tio.c_cflag &= ~(CBAUD << IBSHIFT);
    tio.c_cflag |= BOTHER << IBSHIFT;
    tio.c_ispeed = speed_t(rate);
    tio.c_ospeed = speed_t(rate);
    return ioctl(fd, TCSETS2, &tio) == 0;
}

} // namespace SerialBaud
