#include "TextOut.hpp"

#include "ToolError.hpp"

#include <cstdio>
#include <cstring>

namespace vektool {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Bytes of the UTF-8 sequence that starts with lead; 0 for a byte that starts none.
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if ((lead >> 4) == 0x0E) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

bool IsContinuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// The smallest code of each sequence length: shorter forms are overlong.
constexpr char32_t kSmallestCode[] = {0, 0, 0x80, 0x800, 0x10000};
constexpr char32_t kLargestCode = 0x10FFFF;

// The code of the sequence of length bytes at text[i], or kReplacement
// when it is cut short, overlong, a surrogate or beyond Unicode.
char32_t Decode(const std::string& text, std::size_t i, std::size_t length) {
    if (length == 0 || i + length > text.size()) return kReplacement;
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if (!IsContinuation(text[i + k])) return kReplacement;
        code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    const bool valid = code >= kSmallestCode[length] && code <= kLargestCode && !IsHighSurrogate(code) &&
                       !IsLowSurrogate(code);
    return valid ? code : kReplacement;
}

// The text with each byte of an invalid sequence shown as \xNN.
std::string Escaped(const std::string& text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = SequenceLength(static_cast<unsigned char>(text[i]));
        if (Decode(text, i, length) != kReplacement) {
            shown += text.substr(i, length);
            i += length;
            continue;
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(text[i++]));
        shown += hex;
    }
    return shown;
}

}  // namespace

std::string ToUtf8(const void* text, std::size_t capacity) {
    std::u16string units;
    for (std::size_t i = 0; i < capacity; ++i) {
        char16_t unit;
        std::memcpy(&unit, static_cast<const unsigned char*>(text) + i * sizeof unit, sizeof unit);
        if (unit == 0) break;
        units += unit;
    }
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t unit = units[i];
        if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00));
        } else {
            AppendUtf8(out, IsHighSurrogate(unit) || IsLowSurrogate(unit) ? kReplacement : unit);
        }
    }
    return out;
}

std::u16string FromUtf8(const std::string& text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = SequenceLength(static_cast<unsigned char>(text[i]));
        char32_t code = Decode(text, i, length);
        if (code == kReplacement) throw ToolError("'" + Escaped(text) + "' is not UTF-8 text");
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += length;
    }
    return out;
}

std::size_t CharacterCount(const std::string& text) {
    std::size_t characters = 0;
    for (const char c : text) characters += !IsContinuation(c);
    return characters;
}

std::string PadRight(const std::string& text, std::size_t width) {
    const std::size_t used = CharacterCount(text);
    return used < width ? text + std::string(width - used, ' ') : text;
}

std::string PadLeft(const std::string& text, std::size_t width) {
    const std::size_t used = CharacterCount(text);
    return used < width ? std::string(width - used, ' ') + text : text;
}

}  // namespace vektool
