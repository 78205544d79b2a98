#include "customBaud.h"

// <asm/termbits.h> and <termios.h> define the same names, so this file sees only the former.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#if defined(TCGETS2) && defined(BOTHER)

bool setCustomBaud(int fd, std::uint32_t baud) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return false;
    tio.c_cflag &= ~CBAUD;
    tio.c_cflag |= BOTHER;
    tio.c_cflag &= ~(CBAUD << IBSHIFT);
    tio.c_cflag |= BOTHER << IBSHIFT;
    tio.c_ispeed = baud;
    tio.c_ospeed = baud;
    return ioctl(fd, TCSETS2, &tio) == 0;
}

#else

bool setCustomBaud(int, std::uint32_t) {
    return false;
}

#endif
