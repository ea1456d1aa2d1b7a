#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <string>

#include "text/Text.hpp"

using namespace vek;

namespace {

// Compares as UTF-8 so that a failure prints readable text.
#define EXPECT_TEXT(expected, actual) EXPECT_EQ(std::string(expected), ToUtf8(actual))

constexpr Char kGuard = 0xBEEF;

TEST(TextFormat, IntegersWithWidthPrecisionAndFlags) {
    EXPECT_TEXT("000B", Format(u"%04X", 0xB));
    EXPECT_TEXT("0000070000", Format(u"%.10u", 70000u));
    EXPECT_TEXT("13 07", Format(u"%02u %02u", 13, 7));
    EXPECT_TEXT("00042", Format(u"%05u", 42));
    EXPECT_TEXT("000042", Format(u"%06lu", 42ul));
    EXPECT_TEXT("-0005|-5   |   -5|-005", Format(u"%05d|%-5d|%5i|%.3d", -5, -5, -5, -5));
    EXPECT_TEXT("ff|FF|0xff|+5| 5", Format(u"%x|%X|%#x|%+d|% d", 255, 255, 255, 5, 5));
    EXPECT_TEXT("[]|[  ]|[   07]", Format(u"[%.0d]|[%2.0u]|[%05.2d]", 0, 0, 7));
    EXPECT_TEXT("-2147483648", Format(u"%d", INT32_MIN));
    EXPECT_TEXT("-9223372036854775808", Format(u"%lld", INT64_MIN));
}

TEST(TextFormat, UnsignedConversionsKeepTheArgumentsWidth) {
    EXPECT_TEXT("4294967295 FFFFFFFF", Format(u"%u %X", -1, -1));
    EXPECT_TEXT("18446744073709551615 FFFFFFFFFFFFFFFF", Format(u"%llu %llX", -1LL, -1LL));
    EXPECT_TEXT("-1 -1", Format(u"%d %lld", 0xFFFFFFFFu, UINT64_MAX));
    EXPECT_TEXT("65535 200", Format(u"%u %d", static_cast<uint16_t>(0xFFFF), static_cast<uint8_t>(200)));
    EXPECT_TEXT("4294967294", Format(u"%u", static_cast<int16_t>(-2)));
}

TEST(TextFormat, LengthModifiersAreIgnored) {
    EXPECT_TEXT("1 2 3 4 5", Format(u"%hd %hhu %ld %lli %zu", 1, 2, 3L, 4LL, std::size_t{5}));
    EXPECT_TEXT("Invalid baudrate 31250l", Format(u"Invalid baudrate %ul", 31250u));
    EXPECT_TEXT("Failed to set baudrate to 31250 bauds",
                Format(u"Failed to set baudrate to %lu bauds", 31250ul));
}

TEST(TextFormat, Text) {
    const Char* wide = u"w\u00e9";
    std::string narrow = "n\xe9";
    EXPECT_EQ(Text(u"w\u00e9|n\u00e9"), Format(u"%s|%ls", wide, narrow));
    Char editable[] = u"e";
    Char* editablePointer = editable;
    char bytes[] = "b";
    char* bytesPointer = bytes;
    EXPECT_TEXT("e e b b v", Format(u"%s %s %s %s %s", editable, editablePointer, bytes, bytesPointer,
                                    std::string_view("v")));
    EXPECT_TEXT("[name                ]", Format(u"[%-20ls]", u"name"));
    EXPECT_TEXT("[    abc]", Format(u"[%7ls]", Text(u"abc")));
    EXPECT_TEXT("[   ab][ab]", Format(u"[%05.2s][%.2s]", "abc", "abc"));
    EXPECT_TEXT("    12 Speed                =    1500 rpm    ",
                Format(u"%6u %-20ls = %7ls %-7ls", 12, u"Speed", u"1500", u"rpm"));
    EXPECT_TEXT("ab", Format(u"%s", Text(u"ab\0cd", 5)));  // text ends at its first 0
    EXPECT_TEXT("(null text)", Format(u"(null text)%s", static_cast<const Char*>(nullptr)));
}

TEST(TextFormat, CharactersAndPercent) {
    EXPECT_TEXT("A|B|\u00e9|  x|y  ", Format(u"%c|%c|%c|%3c|%-3c", 65, u'B', 0xE9, 'x', 'y'));
    EXPECT_EQ(Text(u"\U0001F600"), Format(u"%c", 0x1F600));
    EXPECT_TEXT("100% 5%", Format(u"100%% %d%%", 5));
}

TEST(TextFormat, FixedPoint) {
    EXPECT_TEXT("2.50", Format(u"%0.2f", 2.5));
    EXPECT_TEXT("3.141593", Format(u"%f", 3.14159265));
    EXPECT_TEXT("2 4 0.12 0.99",
                Format(u"%.0f %.0f %.2f %.2f", 2.5, 3.5, 0.125, 0.995));  // exact binary values, ties to even
    EXPECT_TEXT("-0.000000|-001.5|1.5   |+1.0|3.",
                Format(u"%f|%06.1f|%-6.1f|%+.1f|%#.0f", -0.0, -1.5, 1.5, 1.0, 3.0));
    EXPECT_TEXT("42.000", Format(u"%.3f", 42));
    EXPECT_TEXT("1e+20=100000000000000000000.0", Format(u"1e+20=%.1f", 1e20));
    EXPECT_TEXT("  inf| -inf|nan", Format(u"%5f|%05f|%f", HUGE_VAL, -HUGE_VAL, NAN));
    EXPECT_TEXT("0.33", FormatFixed(1.0 / 3, 2));
    EXPECT_TEXT("-7", FormatFixed(-7.2, 0));
}

TEST(TextFormat, NumbersIgnoreTheCLocale) {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE") &&
        !std::setlocale(LC_ALL, "de-DE"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    Text formatted = Format(u"%.2f %d", 1234.5, 1234567);
    Text fixed = FormatFixed(0.5, 1);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_TEXT("1234.50 1234567", formatted);
    EXPECT_TEXT("0.5", fixed);
}

TEST(TextFormat, StarTakesWidthAndPrecisionFromArguments) {
    EXPECT_TEXT("[  1.50][7  ]", Format(u"[%*.*f][%*d]", 6, 2, 1.5, -3, 7));
    EXPECT_TEXT("1.500000", Format(u"%.*f", -1, 1.5));  // a negative precision counts as none
}

TEST(TextFormat, BrokenConversionsAreWrittenLiterally) {
    EXPECT_TEXT("%y %5.2q 7", Format(u"%y %5.2q %d", 7));           // unknown: no argument used
    EXPECT_TEXT("a=%d b=%s", Format(u"a=%d b=%s"));                 // missing
    EXPECT_TEXT("%04X is %s", Format(u"%04X is %s", u"text", 12));  // wrong kind, argument used up
    EXPECT_TEXT("%c %d x", Format(u"%c %d %s", 1.5, 2.5, "x"));
    EXPECT_TEXT("%*d", Format(u"%*d", u"w", 1));
    EXPECT_TEXT("end %-5", Format(u"end %-5", 1));
    EXPECT_TEXT("end %", Format(u"end %"));
}

TEST(TextFormatInto, CutsToCapacityAndNeverWritesPastIt) {
    Char buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), kGuard);
    EXPECT_EQ(4u, Format(buffer, 5, u"%d-%s", 12345, u"abc"));
    EXPECT_EQ(Text(u"1234"), Text(buffer));
    EXPECT_EQ(kGuard, buffer[5]);

    std::fill(std::begin(buffer), std::end(buffer), kGuard);
    EXPECT_EQ(0u, Format(buffer, 1, u"%s", u"abc"));
    EXPECT_EQ(0, buffer[0]);
    EXPECT_EQ(kGuard, buffer[1]);

    std::fill(std::begin(buffer), std::end(buffer), kGuard);
    EXPECT_EQ(0u, Format(buffer, 0, u"%s", u"abc"));
    EXPECT_EQ(kGuard, buffer[0]);

    EXPECT_EQ(5u, Format(buffer, 8, u"%05u", 42u));  // fits exactly with room to spare
    EXPECT_EQ(Text(u"00042"), Text(buffer));

    std::fill(std::begin(buffer), std::end(buffer), kGuard);
    EXPECT_EQ(7u, Format(buffer, 8, u"%-20s|%100d", u"x", 1));  // padding is cut as well
    EXPECT_EQ(Text(u"x      "), Text(buffer));

    EXPECT_EQ(2u, Format(buffer, 4, u"ab\U0001F600"));  // a surrogate pair is never split
    EXPECT_EQ(Text(u"ab"), Text(buffer));
}

TEST(TextFormatInto, HugeFieldsStayBounded) {
    Text wide = Format(u"%999999999d", 1);
    EXPECT_EQ(static_cast<std::size_t>(kMaxFieldWidth), wide.size());
    EXPECT_EQ(u'1', wide.back());
    Text precise = Format(u"%.1000f", 0.5);
    EXPECT_EQ(1002u, precise.size());
    EXPECT_EQ(u'0', precise.back());
}

TEST(TextConversion, WidenAndNarrow) {
    EXPECT_EQ(Text(u"A\u00e9\u00ff"), Widen("A\xe9\xff"));
    EXPECT_EQ(std::string("A\xe9?\0b", 5), Narrow(Text(u"A\u00e9\u20ac\0b", 5)));
    std::string allBytes;
    for (int b = 0; b < 256; ++b) allBytes.push_back(static_cast<char>(b));
    EXPECT_EQ(allBytes, Narrow(Widen(allBytes)));
}

TEST(TextConversion, Utf8RoundTrips) {
    Text text = u"a\u00e9\u20ac\U0001F600z";
    std::string utf8 = "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80z";
    EXPECT_EQ(utf8, ToUtf8(text));
    EXPECT_EQ(text, FromUtf8(utf8));
    EXPECT_EQ("?x?", ToUtf8(Text{0xD800, u'x', 0xDC00}));  // halves of pairs
}

TEST(TextConversion, BrokenUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(Text(u"\uFFFDa"), FromUtf8("\xe2\x82"
                                         "a"));                        // cut sequence: one replacement
    EXPECT_EQ(Text(u"\uFFFD\uFFFD"), FromUtf8("\xc0\xaf"));            // overlong
    EXPECT_EQ(Text(u"\uFFFD\uFFFD\uFFFD"), FromUtf8("\xed\xa0\x80"));  // encoded surrogate
    EXPECT_EQ(Text(4, 0xFFFD), FromUtf8("\xf4\x90\x80\x80"));          // past U+10FFFF
    EXPECT_EQ(Text(u"\uFFFDx"), FromUtf8("\x80x"));
    EXPECT_EQ(Text(u"x\uFFFD"), FromUtf8("x\xf0\x9f\x98"));
}

TEST(TextHelpers, LengthAndCopy) {
    EXPECT_EQ(3u, TextLength(u"abc"));
    EXPECT_EQ(2u, TextLength(u"abc", 2));
    EXPECT_EQ(0u, TextLength(nullptr));

    Char buffer[6];
    std::fill(std::begin(buffer), std::end(buffer), kGuard);
    EXPECT_EQ(3u, CopyText(buffer, 4, u"abcdef"));
    EXPECT_EQ(Text(u"abc"), Text(buffer));
    EXPECT_EQ(kGuard, buffer[4]);
    EXPECT_EQ(0u, CopyText(buffer, 0, u"x"));
    EXPECT_EQ(u'a', buffer[0]);
    EXPECT_EQ(0u, CopyText(buffer, 1, u"x"));
    EXPECT_EQ(0, buffer[0]);
    EXPECT_EQ(1u, CopyText(buffer, 3, u"a\U0001F600"));
    EXPECT_EQ(Text(u"a"), Text(buffer));
}

TEST(TextHelpers, EqualsIgnoringCase) {
    EXPECT_TRUE(EqualsIgnoringCase(u"Speed \u00c4\u00d6\u00dc\u00de", u"sPEED \u00e4\u00f6\u00fc\u00fe"));
    EXPECT_FALSE(EqualsIgnoringCase(u"\u00d7", u"\u00f7"));  // multiplication and division signs
    EXPECT_FALSE(EqualsIgnoringCase(u"\u00df", u"\u00ff"));
    EXPECT_FALSE(EqualsIgnoringCase(u"[", u"{"));
    EXPECT_FALSE(EqualsIgnoringCase(u"ab", u"abc"));
    EXPECT_FALSE(EqualsIgnoringCase(u"\u0100", u"\u0101"));  // beyond the 8-bit range
}

}  // namespace
