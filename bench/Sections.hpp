// The parts of vek_bench, each adding its rows to the one table.
#pragma once

#include "support/SummaryTable.hpp"

#include <cstdint>
#include <string>

namespace vekbench {

// Connection, definitions, all values read and written, a parameter file
// saved and a firmware upload over a pseudo-terminal paced at baud: time
// against the wire time of the bytes exchanged, and the library's processor
// share while it waited.
void MeasureLineEfficiency(uint32_t baud, SummaryTable& table);

// The definitions and all values through ser2net (RFC 2217) in front of the
// same paced terminal, against the wire time.
void MeasureNetworkLine(uint32_t baud, SummaryTable& table);

// Raw reads and timed-list samples on an unpaced pseudo-terminal, against
// the terminal's own round-trip floor and against libmodbus.
void MeasureExchangeOverhead(double secondsPerRound, SummaryTable& table);

// Similarity, name and number lookup, an in-process definition download and
// parameter files of 10,000 lines.
void MeasureInProcess(const std::string& python, SummaryTable& table);

// vek get 1 on a line-paced governor at 9600 baud with its definitions
// cached, against the wire time of connecting and one read.
void MeasureToolWarmCache(const std::string& vek, SummaryTable& table);

// Instructions per exchange and per parameter-file line under callgrind,
// through the bench/callgrind script and the callgrind probe.
void MeasureInstructions(SummaryTable& table);

}  // namespace vekbench
