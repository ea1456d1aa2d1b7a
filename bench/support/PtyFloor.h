/* The round-trip floor of a pseudo-terminal: a thread answers every request
   of request_bytes with reply_bytes as soon as it has read it, with nothing
   but blocking reads and writes on both ends, for the given seconds. */
#ifndef VEKBENCH_PTY_FLOOR_H
#define VEKBENCH_PTY_FLOOR_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Round trips per second, or 0 when the terminal could not be set up. */
double pty_round_trips_per_second(size_t request_bytes, size_t reply_bytes, double seconds);

#ifdef __cplusplus
}
#endif

#endif
