/* The same kind of exchange through libmodbus: a client reading holding
   registers in RTU mode over a pseudo-terminal from a libmodbus RTU server
   at its other end, for the given seconds. */
#ifndef VEKBENCH_MODBUS_PTY_H
#define VEKBENCH_MODBUS_PTY_H

#ifdef __cplusplus
extern "C" {
#endif

/* Reads per second, or 0 when a read failed or nothing could be set up. */
double modbus_rtu_reads_per_second(int registers, double seconds);

#ifdef __cplusplus
}
#endif

#endif
