// The UTF-16 text layer shared by every subsystem: a type-safe printf-style
// formatter over 16-bit text with runtime format strings (messages are
// translated before they are formatted), widening and narrowing, and bounded
// copies. Numbers are always written in the classic locale.
#pragma once

#include "VekLib.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vek {

using Char = char16_t;
using Text = std::u16string;
using TextView = std::u16string_view;

// VekChar is wchar_t on Windows and char16_t elsewhere; both are one UTF-16
// code unit, so the interface's text is the library's text.
static_assert(sizeof(VekChar) == sizeof(Char), "VekChar is a UTF-16 code unit");
inline const Char* FromApi(const VekChar* s) { return reinterpret_cast<const Char*>(s); }
inline Char* FromApi(VekChar* s) { return reinterpret_cast<Char*>(s); }
inline const VekChar* ToApi(const Char* s) { return reinterpret_cast<const VekChar*>(s); }
inline VekChar* ToApi(Char* s) { return reinterpret_cast<VekChar*>(s); }

// One argument of a formatted message. Built implicitly from integers,
// floating point numbers, 16-bit text and 8-bit text (widened byte for byte).
class FormatArg {
public:
    enum class Kind { Signed, Unsigned, Real, Text16, Text8 };

    FormatArg(int v) : kind_(Kind::Signed), signed_(v) {}
    FormatArg(long v) : kind_(Kind::Signed), signed_(v) {}
    FormatArg(long long v) : kind_(Kind::Signed), signed_(v) {}
    FormatArg(short v) : kind_(Kind::Signed), signed_(v) {}
    FormatArg(signed char v) : kind_(Kind::Signed), signed_(v) {}
    FormatArg(unsigned v) : kind_(Kind::Unsigned), unsigned_(v) {}
    FormatArg(unsigned long v) : kind_(Kind::Unsigned), unsigned_(v) {}
    FormatArg(unsigned long long v) : kind_(Kind::Unsigned), unsigned_(v) {}
    FormatArg(unsigned short v) : kind_(Kind::Unsigned), unsigned_(v) {}
    FormatArg(unsigned char v) : kind_(Kind::Unsigned), unsigned_(v) {}
    FormatArg(char v) : kind_(Kind::Unsigned), unsigned_(static_cast<unsigned char>(v)) {}
    FormatArg(char16_t v) : kind_(Kind::Unsigned), unsigned_(v) {}
    FormatArg(double v) : kind_(Kind::Real), real_(v) {}
    FormatArg(float v) : kind_(Kind::Real), real_(v) {}
    FormatArg(const Char* v) : kind_(Kind::Text16), text16_(v ? v : u"") {}
    FormatArg(const Text& v) : kind_(Kind::Text16), text16_(v) {}
    FormatArg(TextView v) : kind_(Kind::Text16), text16_(v) {}
    FormatArg(const char* v) : kind_(Kind::Text8), text8_(v ? v : "") {}
    FormatArg(const std::string& v) : kind_(Kind::Text8), text8_(v) {}
#if defined(_WIN32)
    FormatArg(const wchar_t* v) : FormatArg(reinterpret_cast<const Char*>(v)) {}
#endif
    FormatArg(bool) = delete;
    template <class T> FormatArg(T*) = delete;  // no pointers other than text

    Kind kind() const { return kind_; }
    long long asSigned() const { return signed_; }
    unsigned long long asUnsigned() const { return unsigned_; }
    double asReal() const { return real_; }
    TextView asText16() const { return text16_; }
    std::string_view asText8() const { return text8_; }

private:
    Kind kind_;
    long long signed_ = 0;
    unsigned long long unsigned_ = 0;
    double real_ = 0.0;
    TextView text16_;
    std::string_view text8_;
};

// Formats into out[capacity]: the result is cut to fit and always
// 0-terminated (capacity 0 writes nothing). Conversions: %s and %ls take text,
// %d %i %u %X %x %c %f %%, with the flags '-' and '0', a width and a
// precision; the length modifiers h, l and ll are accepted and ignored. An
// unknown conversion, or one whose argument is missing or of the wrong kind,
// is written literally. Returns the number of characters written.
std::size_t FormatInto(Char* out, std::size_t capacity, TextView format,
                       std::initializer_list<FormatArg> args);

// The same into a string without a length limit.
Text FormatToText(TextView format, std::initializer_list<FormatArg> args);

template <class... Args>
std::size_t Format(Char* out, std::size_t capacity, TextView format, const Args&... args) {
    return FormatInto(out, capacity, format, {FormatArg(args)...});
}

template <class... Args>
Text Format(TextView format, const Args&... args) {
    return FormatToText(format, {FormatArg(args)...});
}

// 8-bit text widened byte for byte (each byte is the code unit of the same value).
Text Widen(std::string_view bytes);
// 16-bit text narrowed to bytes; code units above 255 become '?'.
std::string Narrow(TextView text);
// UTF-8 conversions for the operating system's paths and the terminal.
std::string ToUtf8(TextView text);
Text FromUtf8(std::string_view utf8);

// Length of a 0-terminated text, reading at most max characters.
std::size_t TextLength(const Char* text, std::size_t max = SIZE_MAX);
// Copies src into dst[capacity], cut to fit, always 0-terminated; returns the length.
std::size_t CopyText(Char* dst, std::size_t capacity, TextView src);
// Case-insensitive equality over the 8-bit range (ASCII and Latin-1 letters).
bool EqualsIgnoringCase(TextView a, TextView b);

// A number in the classic locale with the given decimals (the "%.*f" of C).
Text FormatFixed(double value, int decimals);

}  // namespace vek
