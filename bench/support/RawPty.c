#define _GNU_SOURCE
#include "RawPty.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

int raw_pty_open(struct raw_pty* pty) {
    pty->line = -1;
    pty->master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty->master < 0) return 0;
    struct termios settings;
    if (grantpt(pty->master) != 0 || unlockpt(pty->master) != 0 ||
        ptsname_r(pty->master, pty->path, sizeof pty->path) != 0 ||
        (pty->line = open(pty->path, O_RDWR | O_NOCTTY | O_CLOEXEC)) < 0 || tcgetattr(pty->line, &settings) != 0) {
        raw_pty_close(pty);
        return 0;
    }
    cfmakeraw(&settings);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    tcsetattr(pty->line, TCSANOW, &settings);
    return 1;
}

void raw_pty_close(struct raw_pty* pty) {
    if (pty->line >= 0) close(pty->line);
    if (pty->master >= 0) close(pty->master);
    pty->line = pty->master = -1;
}
