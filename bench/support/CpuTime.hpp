// Processor time, for the share of a processor that the library takes while
// it waits for the line.
#pragma once

namespace vekbench {

// User and system time of the calling thread, in seconds.
double ThreadCpuSeconds();

// The load average over the last minute, as uptime shows it.
double LoadAverage();

}  // namespace vekbench
