#define _GNU_SOURCE
#include "PtyFloor.h"

#include "RawPty.h"

#include <pthread.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

enum { STOP_BYTE = 0xFF, REQUEST_BYTE = 0x01, REPLY_BYTE = 0x11 };

struct echo {
    int fd;
    size_t request_bytes;
    size_t reply_bytes;
};

static int read_fully(int fd, uint8_t* buffer, size_t n) {
    size_t got = 0;
    while (got < n) {
        const ssize_t r = read(fd, buffer + got, n - got);
        if (r <= 0) return 0;
        got += (size_t)r;
    }
    return 1;
}

static int write_fully(int fd, const uint8_t* bytes, size_t n) {
    size_t sent = 0;
    while (sent < n) {
        const ssize_t w = write(fd, bytes + sent, n - sent);
        if (w <= 0) return 0;
        sent += (size_t)w;
    }
    return 1;
}

static void* serve(void* argument) {
    const struct echo* e = argument;
    uint8_t* request = malloc(e->request_bytes);
    uint8_t* reply = malloc(e->reply_bytes);
    memset(reply, REPLY_BYTE, e->reply_bytes);
    while (read_fully(e->fd, request, e->request_bytes) && request[0] != STOP_BYTE &&
           write_fully(e->fd, reply, e->reply_bytes)) {
    }
    free(request);
    free(reply);
    return NULL;
}

static double now_seconds(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

double pty_round_trips_per_second(size_t request_bytes, size_t reply_bytes, double seconds) {
    struct raw_pty pty;
    if (request_bytes == 0 || reply_bytes == 0 || !raw_pty_open(&pty)) return 0;
    struct echo e = {pty.master, request_bytes, reply_bytes};
    pthread_t server;
    if (pthread_create(&server, NULL, serve, &e) != 0) {
        raw_pty_close(&pty);
        return 0;
    }
    uint8_t* request = malloc(request_bytes);
    uint8_t* reply = malloc(reply_bytes);
    memset(request, REQUEST_BYTE, request_bytes);
    unsigned long trips = 0;
    const double start = now_seconds();
    const double end = start + seconds;
    double now = start;
    while (now < end && write_fully(pty.line, request, request_bytes) && read_fully(pty.line, reply, reply_bytes)) {
        ++trips;
        now = now_seconds();
    }
    request[0] = STOP_BYTE;
    write_fully(pty.line, request, request_bytes);
    pthread_join(server, NULL);
    free(request);
    free(reply);
    raw_pty_close(&pty);
    return now > start ? (double)trips / (now - start) : 0;
}
