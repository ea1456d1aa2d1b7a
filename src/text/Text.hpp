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
#include <type_traits>

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
    FormatArg(long v) : kind_(Kind::Signed), signed_(v), is64Bit_(sizeof v > sizeof(int)) {}
    FormatArg(long long v) : kind_(Kind::Signed), signed_(v), is64Bit_(sizeof v > sizeof(int)) {}
    FormatArg(short v) : kind_(Kind::Signed), signed_(v) {}
    FormatArg(signed char v) : kind_(Kind::Signed), signed_(v) {}
    FormatArg(unsigned v) : kind_(Kind::Unsigned), unsigned_(v) {}
    FormatArg(unsigned long v) : kind_(Kind::Unsigned), unsigned_(v), is64Bit_(sizeof v > sizeof(int)) {}
    FormatArg(unsigned long long v) : kind_(Kind::Unsigned), unsigned_(v), is64Bit_(sizeof v > sizeof(int)) {}
    FormatArg(unsigned short v) : kind_(Kind::Unsigned), unsigned_(v) {}
    FormatArg(unsigned char v) : kind_(Kind::Unsigned), unsigned_(v) {}
    FormatArg(char v) : kind_(Kind::Unsigned), unsigned_(static_cast<unsigned char>(v)) {}
    FormatArg(char16_t v) : kind_(Kind::Unsigned), unsigned_(v) {}
    FormatArg(double v) : kind_(Kind::Real), real_(v) {}
    FormatArg(float v) : kind_(Kind::Real), real_(v) {}
    FormatArg(const Char* v) : kind_(Kind::Text16), text16_(v ? v : u"") {}
    FormatArg(Char* v) : FormatArg(static_cast<const Char*>(v)) {}
    FormatArg(const Text& v) : kind_(Kind::Text16), text16_(v) {}
    FormatArg(TextView v) : kind_(Kind::Text16), text16_(v) {}
    FormatArg(const char* v) : kind_(Kind::Text8), text8_(v ? v : "") {}
    FormatArg(char* v) : FormatArg(static_cast<const char*>(v)) {}
    FormatArg(const std::string& v) : kind_(Kind::Text8), text8_(v) {}
    FormatArg(std::string_view v) : kind_(Kind::Text8), text8_(v) {}
#if defined(_WIN32)
    FormatArg(const wchar_t* v) : FormatArg(reinterpret_cast<const Char*>(v)) {}
    FormatArg(wchar_t* v) : FormatArg(reinterpret_cast<const Char*>(v)) {}
#endif
    FormatArg(bool) = delete;
    template <class T> FormatArg(T*) = delete;  // no pointers other than text

    Kind kind() const { return kind_; }
    long long asSigned() const { return signed_; }
    unsigned long long asUnsigned() const { return unsigned_; }
    double asReal() const { return real_; }
    TextView asText16() const { return text16_; }
    std::string_view asText8() const { return text8_; }
    // Whether an integer had 64 bits; narrower ones count as the 32-bit int
    // that C's argument promotion makes of them, so "%u" of -1 is 4294967295.
    bool is64Bit() const { return is64Bit_; }

private:
    Kind kind_;
    long long signed_ = 0;
    unsigned long long unsigned_ = 0;
    double real_ = 0.0;
    TextView text16_;
    std::string_view text8_;
    bool is64Bit_ = false;
};

// Formats into out[capacity]: the result is cut to fit and always
// 0-terminated (capacity 0 writes nothing); a cut never splits a surrogate
// pair. Conversions, as C's printf writes them in the classic locale:
// - %s, %S and %ls take 16-bit or 8-bit text (8-bit widened byte for byte),
//   written up to its first 0 and at most precision characters;
// - %d %i %u %x %X take integers; an unsigned conversion of a negative number
//   shows its two's complement in the argument's width (32 or 64 bits);
// - %c takes a character code (an integer or a char16_t);
// - %f takes a real number or an integer (precision 6 unless given);
// - %% writes a percent sign.
// Flags '-', '0', '+', ' ' and '#' (0x for %x, a point for %f), a width and a
// precision, either of them as '*' taken from an integer argument; the length
// modifiers h, hh, l, ll, j, z and t are accepted and ignored. A width or
// precision is held to kMaxFieldWidth. An unknown conversion is written
// literally and takes no argument; a conversion whose argument is missing or
// of the wrong kind is written literally and uses up its argument. Returns the
// number of characters written, without the terminator.
constexpr int kMaxFieldWidth = 65536;

std::size_t FormatInto(Char* out, std::size_t capacity, TextView format,
                       std::initializer_list<FormatArg> args);

// The same into a string without a length limit.
Text FormatToText(TextView format, std::initializer_list<FormatArg> args);

// The bounded form, Format(out, capacity, format, args...). Its parameters are
// deduced so that it never competes with the form below: GCC would otherwise
// also take a literal format for out, and an int capacity would tie.
template <class Out, class Capacity, class FormatText>
constexpr bool kIsBoundedFormat = std::is_same_v<Out, Char> &&
                                  (std::is_integral_v<Capacity> || std::is_enum_v<Capacity>) &&
                                  std::is_convertible_v<const FormatText&, TextView>;

// The arguments are taken by value, here and in the reporting helpers: many
// are fields of the packed records, and a reference to one may be misaligned.
template <class Out, class Capacity, class FormatText, class... Args,
          std::enable_if_t<kIsBoundedFormat<Out, Capacity, FormatText>, int> = 0>
std::size_t Format(Out* out, Capacity capacity, const FormatText& format, Args... args) {
    std::size_t bounded = capacity > 0 ? static_cast<std::size_t>(capacity) : 0;
    return FormatInto(out, bounded, TextView(format), {FormatArg(args)...});
}

template <class... Args>
Text Format(TextView format, Args... args) {
    return FormatToText(format, {FormatArg(args)...});
}

// 8-bit text widened byte for byte (each byte is the code unit of the same value).
Text Widen(std::string_view bytes);
// 16-bit text narrowed to bytes; code units above 255 become '?'.
std::string Narrow(TextView text);
void AppendNarrowed(std::string& bytes, TextView text);
// UTF-8 conversions for the operating system's paths and the terminal: a
// broken UTF-8 sequence becomes U+FFFD, half a surrogate pair becomes '?'.
std::string ToUtf8(TextView text);
Text FromUtf8(std::string_view utf8);

// Length of a 0-terminated text, reading at most max characters.
std::size_t TextLength(const Char* text, std::size_t max = SIZE_MAX);
// Copies src into dst[capacity], cut to fit (never inside a surrogate pair),
// always 0-terminated (capacity 0 writes nothing); returns the length written.
std::size_t CopyText(Char* dst, std::size_t capacity, TextView src);
// Case-insensitive equality over the 8-bit range (ASCII and Latin-1 letters).
bool EqualsIgnoringCase(TextView a, TextView b);
// The same with only the letters A to Z folded (the definitions' names).
bool EqualsIgnoringAsciiCase(TextView a, TextView b);

// A number in the classic locale with the given decimals (the "%.*f" of C).
Text FormatFixed(double value, int decimals);

}  // namespace vek
