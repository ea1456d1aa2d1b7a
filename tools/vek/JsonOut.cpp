#include "JsonOut.hpp"

#include "Output.hpp"

namespace vektool {

void PrintJson(const Json& document) {
    // The tool's texts are UTF-8 already; a stray byte would rather show as
    // U+FFFD than end the run.
    PrintResult(document.dump(-1, ' ', false, Json::error_handler_t::replace));
}

}  // namespace vektool
