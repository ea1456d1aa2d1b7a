#include "text/Text.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace vek {
namespace {

constexpr Char kReplacementCharacter = 0xFFFD;
constexpr Char kUnknownByte = u'?';
constexpr char32_t kLastCodePoint = 0x10FFFF;

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// ---------------------------------------------------------------------------
// Output sinks: a caller's buffer that stops at its capacity, or a string.

class BufferSink {
public:
    // Keeps one place for the terminator; capacity is at least 1.
    BufferSink(Char* out, std::size_t capacity) : out_(out), room_(capacity - 1) {}

    bool full() const { return full_; }
    std::size_t size() const { return size_; }

    void put(Char c) { put(&c, 1); }

    void put(const Char* text, std::size_t count) {
        if (full_) return;
        std::size_t fits = std::min(count, room_ - size_);
        std::copy(text, text + fits, out_ + size_);
        size_ += fits;
        if (fits < count) cut(text[fits]);
    }

    void widen(const char* bytes, std::size_t count) {
        if (full_) return;
        std::size_t fits = std::min(count, room_ - size_);
        for (std::size_t i = 0; i < fits; ++i) out_[size_++] = static_cast<unsigned char>(bytes[i]);
        if (fits < count) full_ = true;  // bytes are never surrogates
    }

    void fill(Char c, std::size_t count) {
        if (full_) return;
        std::size_t fits = std::min(count, room_ - size_);
        std::fill_n(out_ + size_, fits, c);
        size_ += fits;
        if (fits < count) full_ = true;
    }

    void terminate() { out_[size_] = 0; }

private:
    // The first character that did not fit: a pair is dropped whole.
    void cut(Char rejected) {
        if (size_ > 0 && IsHighSurrogate(out_[size_ - 1]) && IsLowSurrogate(rejected)) --size_;
        full_ = true;
    }

    Char* out_;
    std::size_t room_;
    std::size_t size_ = 0;
    bool full_ = false;
};

class StringSink {
public:
    explicit StringSink(Text& text) : text_(text) {}

    bool full() const { return false; }
    void put(Char c) { text_.push_back(c); }
    void put(const Char* text, std::size_t count) { text_.append(text, count); }
    void widen(const char* bytes, std::size_t count) {
        const std::size_t at = text_.size();
        text_.resize(at + count);
        for (std::size_t i = 0; i < count; ++i) text_[at + i] = static_cast<unsigned char>(bytes[i]);
    }
    void fill(Char c, std::size_t count) { text_.append(count, c); }

private:
    Text& text_;
};

// ---------------------------------------------------------------------------
// One conversion of a format: %[flags][width][.precision][length]conversion

struct Conversion {
    bool leftAlign = false;
    bool zeroPad = false;
    bool plusSign = false;
    bool spaceSign = false;
    bool alternate = false;
    bool widthFromArg = false;
    bool precisionFromArg = false;
    int width = 0;
    int precision = -1;  // none
    Char type = 0;       // 0 when the format ended inside the conversion
};

bool IsDigit(Char c) { return c >= u'0' && c <= u'9'; }

// Reads a run of digits, held to kMaxFieldWidth so that no format can ask for
// a field that exhausts memory.
int ReadNumber(TextView format, std::size_t& pos) {
    int value = 0;
    for (; pos < format.size() && IsDigit(format[pos]); ++pos)
        value = std::min(value * 10 + (format[pos] - u'0'), kMaxFieldWidth);
    return value;
}

// Parses the conversion that starts after the '%' at pos; pos ends after it.
Conversion ParseConversion(TextView format, std::size_t& pos) {
    Conversion conv;
    for (; pos < format.size(); ++pos) {
        Char c = format[pos];
        if (c == u'-')
            conv.leftAlign = true;
        else if (c == u'0')
            conv.zeroPad = true;
        else if (c == u'+')
            conv.plusSign = true;
        else if (c == u' ')
            conv.spaceSign = true;
        else if (c == u'#')
            conv.alternate = true;
        else
            break;
    }
    if (pos < format.size() && format[pos] == u'*') {
        conv.widthFromArg = true;
        ++pos;
    } else {
        conv.width = ReadNumber(format, pos);
    }
    if (pos < format.size() && format[pos] == u'.') {
        ++pos;
        if (pos < format.size() && format[pos] == u'*') {
            conv.precisionFromArg = true;
            ++pos;
        } else {
            conv.precision = ReadNumber(format, pos);
        }
    }
    if (pos < format.size()) {
        Char c = format[pos];
        if (c == u'h' || c == u'l') {
            ++pos;
            if (pos < format.size() && format[pos] == c) ++pos;  // hh, ll
        } else if (c == u'j' || c == u'z' || c == u't') {
            ++pos;
        }
    }
    if (pos < format.size()) conv.type = format[pos++];
    return conv;
}

bool IsInteger(const FormatArg& arg) {
    return arg.kind() == FormatArg::Kind::Signed || arg.kind() == FormatArg::Kind::Unsigned;
}

// The argument as C's int (or long long) would hold it.
long long SignedValue(const FormatArg& arg) {
    if (arg.kind() == FormatArg::Kind::Signed) return arg.asSigned();
    unsigned long long u = arg.asUnsigned();
    return arg.is64Bit() ? static_cast<long long>(u) : static_cast<int32_t>(static_cast<uint32_t>(u));
}

// The argument as C's unsigned (or unsigned long long) would hold it.
unsigned long long UnsignedValue(const FormatArg& arg) {
    if (arg.kind() == FormatArg::Kind::Unsigned) return arg.asUnsigned();
    long long s = arg.asSigned();
    return arg.is64Bit() ? static_cast<unsigned long long>(s) : static_cast<uint32_t>(s);
}

// Writes prefix, leading zeros and body inside the conversion's width.
// Zero padding goes between the prefix (sign, 0x) and the body.
template <class Sink>
void WriteField(Sink& sink, const Conversion& conv, std::string_view prefix, std::size_t zeros,
                std::string_view body, bool mayPadWithZeros) {
    std::size_t length = prefix.size() + zeros + body.size();
    std::size_t padding = static_cast<std::size_t>(conv.width) > length ? conv.width - length : 0;
    if (!conv.leftAlign) {
        if (conv.zeroPad && mayPadWithZeros) {
            zeros += padding;
        } else {
            sink.fill(u' ', padding);
        }
    }
    sink.widen(prefix.data(), prefix.size());
    sink.fill(u'0', zeros);
    sink.widen(body.data(), body.size());
    if (conv.leftAlign) sink.fill(u' ', padding);
}

// Text (or a character) inside the conversion's width; '0' pads with blanks
// here, as C's printf does.
template <class Sink, class Unit>
void WritePadded(Sink& sink, const Conversion& conv, const Unit* text, std::size_t count) {
    std::size_t padding = static_cast<std::size_t>(conv.width) > count ? conv.width - count : 0;
    if (!conv.leftAlign) sink.fill(u' ', padding);
    if constexpr (sizeof(Unit) == 1) {
        sink.widen(text, count);
    } else {
        sink.put(text, count);
    }
    if (conv.leftAlign) sink.fill(u' ', padding);
}

template <class Sink>
bool WriteInteger(Sink& sink, const Conversion& conv, const FormatArg& arg) {
    if (!IsInteger(arg)) return false;
    bool isSigned = conv.type == u'd' || conv.type == u'i';
    bool negative = false;
    unsigned long long magnitude;
    if (isSigned) {
        long long value = SignedValue(arg);
        negative = value < 0;
        // Negated in unsigned arithmetic so that the smallest value survives.
        magnitude = static_cast<unsigned long long>(value);
        if (negative) magnitude = 0 - magnitude;
    } else {
        magnitude = UnsignedValue(arg);
    }
    bool hex = conv.type == u'x' || conv.type == u'X';
    const char* digitSet = conv.type == u'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    unsigned base = hex ? 16 : 10;

    char digits[24];
    char* end = digits + sizeof digits;
    char* begin = end;
    for (unsigned long long v = magnitude; v != 0; v /= base) *--begin = digitSet[v % base];
    // Zero has the digit 0, except that precision 0 writes no digits at all.
    if (magnitude == 0 && conv.precision != 0) *--begin = '0';

    std::string_view prefix;
    if (negative)
        prefix = "-";
    else if (isSigned && conv.plusSign)
        prefix = "+";
    else if (isSigned && conv.spaceSign)
        prefix = " ";
    else if (hex && conv.alternate && magnitude != 0)
        prefix = conv.type == u'X' ? "0X" : "0x";

    std::size_t digitCount = static_cast<std::size_t>(end - begin);
    std::size_t precision = conv.precision < 0 ? 0 : static_cast<std::size_t>(conv.precision);
    std::size_t zeros = precision > digitCount ? precision - digitCount : 0;
    WriteField(sink, conv, prefix, zeros, std::string_view(begin, digitCount), conv.precision < 0);
    return true;
}

// The integer part of a double has at most 309 digits; a point follows.
constexpr std::size_t kFixedDigitsBeforeDecimals = 309 + 1;
// Room for the usual precisions; larger ones go to the heap.
constexpr std::size_t kFixedBufferSize = 400;

template <class Sink>
bool WriteReal(Sink& sink, const Conversion& conv, const FormatArg& arg) {
    double value;
    if (arg.kind() == FormatArg::Kind::Real)
        value = arg.asReal();
    else if (arg.kind() == FormatArg::Kind::Signed)
        value = static_cast<double>(SignedValue(arg));
    else if (arg.kind() == FormatArg::Kind::Unsigned)
        value = static_cast<double>(UnsignedValue(arg));
    else
        return false;

    std::string_view prefix;
    if (std::signbit(value))
        prefix = "-";
    else if (conv.plusSign)
        prefix = "+";
    else if (conv.spaceSign)
        prefix = " ";

    if (!std::isfinite(value)) {
        WriteField(sink, conv, prefix, 0, std::isnan(value) ? "nan" : "inf", false);
        return true;
    }
    int precision = conv.precision < 0 ? 6 : conv.precision;
    // Exact, correctly rounded and independent of the C locale.
    std::size_t size = kFixedDigitsBeforeDecimals + precision + 1;
    char buffer[kFixedBufferSize];
    std::string heap;
    char* first = buffer;
    if (size > sizeof buffer) {
        heap.resize(size);
        first = heap.data();
    }
    char* last =
        std::to_chars(first, first + size, std::fabs(value), std::chars_format::fixed, precision).ptr;
    if (precision == 0 && conv.alternate) *last++ = '.';
    std::string_view digits(first, last - first);
    WriteField(sink, conv, prefix, 0, digits, true);
    return true;
}

template <class Sink>
bool WriteText(Sink& sink, const Conversion& conv, const FormatArg& arg) {
    std::size_t limit = conv.precision < 0 ? SIZE_MAX : static_cast<std::size_t>(conv.precision);
    // Like C, the text ends at its first 0.
    if (arg.kind() == FormatArg::Kind::Text16) {
        TextView text = arg.asText16();
        text = text.substr(0, std::min(limit, text.find(Char(0))));
        WritePadded(sink, conv, text.data(), text.size());
        return true;
    }
    if (arg.kind() == FormatArg::Kind::Text8) {
        std::string_view text = arg.asText8();
        text = text.substr(0, std::min(limit, text.find('\0')));
        WritePadded(sink, conv, text.data(), text.size());
        return true;
    }
    return false;
}

template <class Sink>
bool WriteCharacter(Sink& sink, const Conversion& conv, const FormatArg& arg) {
    if (!IsInteger(arg)) return false;
    long long code = SignedValue(arg);
    Char units[2];
    std::size_t count = 1;
    if (code < 0 || code > static_cast<long long>(kLastCodePoint)) {
        units[0] = kReplacementCharacter;
    } else if (code > 0xFFFF) {
        units[0] = static_cast<Char>(0xD800 + ((code - 0x10000) >> 10));
        units[1] = static_cast<Char>(0xDC00 + ((code - 0x10000) & 0x3FF));
        count = 2;
    } else {
        units[0] = static_cast<Char>(code);
    }
    WritePadded(sink, conv, units, count);
    return true;
}

bool IsKnownType(Char type) {
    return std::u16string_view(u"diuxXcsSf").find(type) != std::u16string_view::npos;
}

// Takes a '*' width or precision from the next argument, as an int.
bool TakeStarArgument(const FormatArg*& next, const FormatArg* end, int& value) {
    if (next == end) return false;
    const FormatArg& arg = *next++;
    if (!IsInteger(arg)) return false;
    long long v = SignedValue(arg);
    value = static_cast<int>(std::clamp<long long>(v, -kMaxFieldWidth, kMaxFieldWidth));
    return true;
}

// Fills in '*' fields and writes one conversion; false leaves it to be
// written literally.
template <class Sink>
bool WriteConversion(Sink& sink, Conversion conv, const FormatArg*& next, const FormatArg* end) {
    if (conv.widthFromArg) {
        if (!TakeStarArgument(next, end, conv.width)) return false;
        if (conv.width < 0) {  // a negative width means left alignment
            conv.leftAlign = true;
            conv.width = -conv.width;
        }
    }
    // A negative precision counts as none, as in C.
    if (conv.precisionFromArg && !TakeStarArgument(next, end, conv.precision)) return false;
    if (conv.precision < 0) conv.precision = -1;
    if (next == end) return false;
    const FormatArg& arg = *next++;
    switch (conv.type) {
        case u's':
        case u'S':
            return WriteText(sink, conv, arg);
        case u'c':
            return WriteCharacter(sink, conv, arg);
        case u'f':
            return WriteReal(sink, conv, arg);
        default:
            return WriteInteger(sink, conv, arg);
    }
}

template <class Sink>
void FormatTo(Sink& sink, TextView format, std::initializer_list<FormatArg> args) {
    const FormatArg* next = args.begin();
    std::size_t pos = 0;
    while (pos < format.size() && !sink.full()) {
        std::size_t percent = std::min(format.find(u'%', pos), format.size());
        sink.put(format.data() + pos, percent - pos);
        if (percent == format.size()) break;
        pos = percent + 1;
        Conversion conv = ParseConversion(format, pos);
        if (conv.type == u'%') {
            sink.put(u'%');
        } else if (!IsKnownType(conv.type) || !WriteConversion(sink, conv, next, args.end())) {
            sink.put(format.data() + percent, pos - percent);
        }
    }
}

}  // namespace

// ---------------------------------------------------------------------------

std::size_t FormatInto(Char* out, std::size_t capacity, TextView format,
                       std::initializer_list<FormatArg> args) {
    if (out == nullptr || capacity == 0) return 0;
    BufferSink sink(out, capacity);
    FormatTo(sink, format, args);
    sink.terminate();
    return sink.size();
}

// Room reserved beyond the format for what its arguments usually add, so
// that a line of a few fields grows its text once.
constexpr std::size_t kUsualArgumentsLength = 48;

Text FormatToText(TextView format, std::initializer_list<FormatArg> args) {
    Text text;
    text.reserve(format.size() + kUsualArgumentsLength);
    StringSink sink(text);
    FormatTo(sink, format, args);
    return text;
}

Text Widen(std::string_view bytes) {
    Text text;
    StringSink(text).widen(bytes.data(), bytes.size());
    return text;
}

std::string Narrow(TextView text) {
    std::string bytes;
    AppendNarrowed(bytes, text);
    return bytes;
}

void AppendNarrowed(std::string& bytes, TextView text) {
    const std::size_t at = bytes.size();
    bytes.resize(at + text.size());
    char* out = bytes.data() + at;
    for (std::size_t i = 0; i < text.size(); ++i) out[i] = static_cast<char>(text[i] > 0xFF ? kUnknownByte : text[i]);
}

std::string ToUtf8(TextView text) {
    std::string utf8;
    utf8.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (IsSurrogate(c)) {
            utf8.push_back(static_cast<char>(kUnknownByte));  // half of a pair
            continue;
        }
        if (c < 0x80) {
            utf8.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            utf8.push_back(static_cast<char>(0xE0 | (c >> 12)));
            utf8.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            utf8.push_back(static_cast<char>(0xF0 | (c >> 18)));
            utf8.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return utf8;
}

Text FromUtf8(std::string_view utf8) {
    Text text;
    text.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        unsigned char lead = static_cast<unsigned char>(utf8[i++]);
        if (lead < 0x80) {
            text.push_back(lead);
            continue;
        }
        // The sequence length and the range of its second byte, which rules
        // out overlong forms, encoded surrogates and code points past U+10FFFF.
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        char32_t c = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        }
        // A broken sequence becomes one replacement character and decoding
        // goes on at the first byte that did not fit.
        bool complete = length != 0;
        for (std::size_t k = 1; complete && k < length; ++k) {
            unsigned char next = i < utf8.size() ? static_cast<unsigned char>(utf8[i]) : 0;
            if (next < low || next > high) {
                complete = false;
                break;
            }
            c = (c << 6) | (next & 0x3F);
            ++i;
            low = 0x80;
            high = 0xBF;
        }
        if (!complete) {
            text.push_back(kReplacementCharacter);
        } else if (c >= 0x10000) {
            text.push_back(static_cast<Char>(0xD800 + ((c - 0x10000) >> 10)));
            text.push_back(static_cast<Char>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            text.push_back(static_cast<Char>(c));
        }
    }
    return text;
}

std::size_t TextLength(const Char* text, std::size_t max) {
    if (text == nullptr) return 0;
    std::size_t length = 0;
    while (length < max && text[length] != 0) ++length;
    return length;
}

std::size_t CopyText(Char* dst, std::size_t capacity, TextView src) {
    if (dst == nullptr || capacity == 0) return 0;
    BufferSink sink(dst, capacity);
    sink.put(src.data(), src.size());
    sink.terminate();
    return sink.size();
}

namespace {
// ASCII and Latin-1 capitals map to their small letters; the multiplication
// and division signs (0xD7, 0xF7) sit among the letters but have no case.
Char FoldCase(Char c) {
    if (c >= u'A' && c <= u'Z') return c + (u'a' - u'A');
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    return c;
}
}  // namespace

bool EqualsIgnoringCase(TextView a, TextView b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    return true;
}

bool EqualsIgnoringAsciiCase(TextView a, TextView b) {
    const auto fold = [](Char c) { return (c >= u'A' && c <= u'Z') ? static_cast<Char>(c - u'A' + u'a') : c; };
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

Text FormatFixed(double value, int decimals) { return FormatToText(u"%.*f", {decimals, value}); }

}  // namespace vek
