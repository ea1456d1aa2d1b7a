// Text between the library's UTF-16 and the terminal's UTF-8.
#pragma once

#include "VekLib.h"

#include <cstddef>
#include <string>

namespace vektool {

// A 0-terminated UTF-16 text of at most capacity units, which may sit at any
// address (the device record is packed), as UTF-8.
std::string ToUtf8(const void* text, std::size_t capacity);

// A text field of an aligned record (a ParDef's name or unit, a local buffer).
template <std::size_t N>
std::string ToUtf8(const VekChar (&field)[N]) {
    return ToUtf8(field, N);
}

// UTF-8 (ports, file names) as the library's UTF-16.
std::u16string FromUtf8(const std::string& text);

inline const VekChar* AsVekText(const std::u16string& text) {
    return reinterpret_cast<const VekChar*>(text.c_str());
}

}  // namespace vektool
