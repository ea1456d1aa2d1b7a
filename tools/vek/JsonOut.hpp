// Results as JSON (--json): one object per document, on one line, so that
// a stream of samples stays one object a line. Texts are UTF-8 strings,
// numbers are numbers; the shapes are described in docs/vek-json.md.
#pragma once

#include <nlohmann/json.hpp>

namespace vektool {

using Json = nlohmann::ordered_json;

void PrintJson(const Json& document);

}  // namespace vektool
