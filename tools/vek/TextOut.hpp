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

// UTF-8 (ports, file names) as the library's UTF-16. Text that is not
// UTF-8 (a Latin-1 file name) is refused with a ToolError that shows its
// bytes: a name turned into another one would reach another file.
std::u16string FromUtf8(const std::string& text);

// Characters, not bytes, of UTF-8 text (a unit such as °C takes two bytes for one character).
std::size_t CharacterCount(const std::string& text);
// The text with blanks after it up to width characters.
std::string PadRight(const std::string& text, std::size_t width);
std::string PadLeft(const std::string& text, std::size_t width);

inline const VekChar* AsVekText(const std::u16string& text) {
    return reinterpret_cast<const VekChar*>(text.c_str());
}

}  // namespace vektool
