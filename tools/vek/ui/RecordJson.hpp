// The library's records as the JSON the API hands out. Governor thread only:
// they read the library's store and device record.
#pragma once

#include "Reply.hpp"

#include "VekLib.h"

#include <cstdint>
#include <string>

namespace vektool::ui {

// The device record: kind, versions as numbers and as text, identification,
// protocol words.
Json DeviceJson();

// {number, name, kind, unit, min, max, text, raw}: the definition with its
// limits and the value the library holds.
Json DefinitionJson(const ParDef& def);

// "parameters", "measurements", "functions" or "curves".
const char* KindOf(uint32_t id);
// The name search's mask bit of a kind name; 0 for an unknown name.
uint32_t KindMask(const std::string& kind);

// The display text of the held value, with or without its unit.
std::string ValueText(uint32_t id);

// The pending errors of the last read: [{number, name, state, old}].
Json PendingErrorsJson();

// The error memory just read: {extended, records: [{number, name, count,
// first, last, word1, word2, args: [{number, name, raw}]}]}.
Json ErrorMemoryJson();

}  // namespace vektool::ui
