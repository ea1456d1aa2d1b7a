#include "prmfile/FileValueText.hpp"

#include "values/ValueText.hpp"

namespace vek {

namespace {
// The files ask for the value text with a capacity of this many characters.
constexpr std::size_t kValueTextCapacity = 30;
}  // namespace

Text FileValueText(uint32_t id) {
    Char text[kValueTextCapacity] = {};
    if (!GetValueText(id, text, kValueTextCapacity)) return Text();
    return text;
}

}  // namespace vek
