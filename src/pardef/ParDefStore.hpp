// The process-wide definition store: the records (which never move), a hash
// map from number to record, the index in creation order (sorted by
// VekValidateAllParDefs) and the raw values saved around a parameter-file
// upload. Lookups take no lock; clear, backup and restore take CommLock.
#pragma once

#include "VekLib.h"
#include "pardef/Kinds.hpp"

#include <cstdint>
#include <deque>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vek {

// A clear leaves the hash table with at least this many buckets, so that a
// download of many thousand definitions never rehashes.
constexpr std::size_t kMinParDefBuckets = 0x20000;

struct ParDefState {
    // push_back on a deque never moves the elements already in it: pointers
    // handed to the caller stay valid until the next clear. The order of the
    // deque is creation order; every walk "over the map" follows it.
    std::deque<ParDef> records;
    std::unordered_map<uint32_t, ParDef*> byId;
    std::vector<uint32_t> index;
    std::unordered_map<uint32_t, uint16_t> savedValues;
    // A cached raw value of 0 stands for "not read yet", unless its number is
    // here: then the 0 came from the governor, a parameter file or a caller.
    std::unordered_set<uint32_t> knownZeros;
    std::unordered_set<uint32_t> savedKnownZeros;
};

ParDefState& ParDefs();

// The record of id, or null.
ParDef* FindParDef(uint32_t id);
// The record of id: the existing one, or a new zeroed one appended to the index.
ParDef* AddParDef(uint32_t id);
// A new record for id; null, and the clash reported through the important-error
// callback, when id has one already.
ParDef* AddNewParDef(uint32_t id);

void ClearParDefs();

// Caches a raw value that the governor sent or that was set through the
// library, so that a 0 among them counts as a value.
void StoreRawValue(ParDef& record, uint16_t value);
// Whether the cached raw value is a value, not the 0 of one never read.
bool RawValueKnown(const ParDef& record);
// Sorts the index in ascending order of number.
void SortParDefIndex();
void BackupParDefs();
void RestoreParDefs();

// The number at the end of the index (the highest once sorted); 0 when empty.
uint32_t LastParDefId();
// RealMin and RealMax of every record: the limits divided by 10^decimals.
void ComputeRealLimits();

// The defined numbers of one kind in ascending order (the walk that the
// value transfers pair the governor's values with).
std::vector<uint32_t> DefinedIdsOfKind(ParKind kind);

}  // namespace vek
