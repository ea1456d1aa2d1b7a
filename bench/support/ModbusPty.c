#define _GNU_SOURCE
#include "ModbusPty.h"

#include "RawPty.h"

#include <modbus/modbus.h>
#include <pthread.h>
#include <stdint.h>
#include <time.h>
#include <unistd.h>

enum { SLAVE_ID = 1, LINE_BAUD = 115200, DATA_BITS = 8, STOP_BITS = 1 };

struct server {
    modbus_t* context;
    modbus_mapping_t* registers;
};

/* Answers until the client's end closes and reads on the master fail. */
static void* serve(void* argument) {
    struct server* s = argument;
    uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
    for (;;) {
        const int n = modbus_receive(s->context, query);
        if (n < 0) break;
        if (n > 0 && modbus_reply(s->context, query, n, s->registers) < 0) break;
    }
    return NULL;
}

static double now_seconds(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static double measure(modbus_t* client, int registers, double seconds) {
    uint16_t values[MODBUS_MAX_READ_REGISTERS];
    unsigned long reads = 0;
    const double start = now_seconds();
    double now = start;
    while (now < start + seconds) {
        if (modbus_read_registers(client, 0, registers, values) != registers) return 0;
        ++reads;
        now = now_seconds();
    }
    return (double)reads / (now - start);
}

double modbus_rtu_reads_per_second(int registers, double seconds) {
    if (registers < 1 || registers > MODBUS_MAX_READ_REGISTERS) return 0;
    struct raw_pty pty;
    if (!raw_pty_open(&pty)) return 0;
    struct server s = {modbus_new_rtu(pty.path, LINE_BAUD, 'N', DATA_BITS, STOP_BITS),
                       modbus_mapping_new(0, 0, MODBUS_MAX_READ_REGISTERS, 0)};
    modbus_t* client = modbus_new_rtu(pty.path, LINE_BAUD, 'N', DATA_BITS, STOP_BITS);
    double rate = 0;
    pthread_t thread;
    if (s.context && s.registers && client && modbus_set_slave(s.context, SLAVE_ID) == 0 &&
        modbus_set_socket(s.context, pty.master) == 0 && modbus_set_slave(client, SLAVE_ID) == 0 &&
        modbus_connect(client) == 0) {
        /* Only the client holds the line end now: its close ends the server. */
        close(pty.line);
        pty.line = -1;
        if (pthread_create(&thread, NULL, serve, &s) == 0) {
            rate = measure(client, registers, seconds);
            modbus_close(client);
            pthread_join(thread, NULL);
        }
    }
    if (client) modbus_free(client);
    if (s.registers) modbus_mapping_free(s.registers);
    if (s.context) modbus_free(s.context); /* does not close the master: raw_pty_close does */
    raw_pty_close(&pty);
    return rate;
}
