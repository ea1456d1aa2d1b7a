/* A new pseudo-terminal in raw mode: the master end for a server, the line
   end opened by its path as a host opens its serial port. */
#ifndef VEKBENCH_RAW_PTY_H
#define VEKBENCH_RAW_PTY_H

#ifdef __cplusplus
extern "C" {
#endif

enum { RAW_PTY_PATH_CAPACITY = 128 };

struct raw_pty {
    int master;
    int line;
    char path[RAW_PTY_PATH_CAPACITY];
};

/* 1 when both ends are open, else 0 with nothing left open. */
int raw_pty_open(struct raw_pty* pty);
void raw_pty_close(struct raw_pty* pty);

#ifdef __cplusplus
}
#endif

#endif
