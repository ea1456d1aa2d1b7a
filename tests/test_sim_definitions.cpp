// The simulated governor's definitions: the built-in set, the definition
// file, the record bytes in both layouts, the blocks of the definition
// request and the totals of the checksum block.
#include "DefinitionBlocks.hpp"
#include "DeviceBlocks.hpp"
#include "Governor.hpp"
#include "Profiles.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

namespace vekgov {
namespace {

std::optional<DefinitionFile> Parse(const std::string& text, std::string& error) {
    std::istringstream in(text);
    return ParseDefinitionFile(in, error);
}

TEST(SimDefinitions, BuiltInSetIsAConsistentGovernor) {
    const std::vector<Definition> defs = DefaultDefinitions();
    std::set<uint32_t> numbers;
    std::map<uint32_t, const Definition*> byNumber;
    for (const Definition& d : defs) {
        // Every number, the array elements' included, is taken once.
        const uint32_t elements = d.intCode != 0 ? d.count : 0;
        for (uint32_t e = 0; e <= elements; ++e) EXPECT_TRUE(numbers.insert(d.number + e).second) << d.number + e;
        byNumber[d.number] = &d;
        EXPECT_LE(d.name.size(), 20u) << d.name;
        EXPECT_LE(d.unit.size(), 6u) << d.name;
        EXPECT_TRUE(d.intCode <= 6 || d.intCode == 250) << d.name;
    }
    EXPECT_GE(numbers.size(), 300u);
    ASSERT_TRUE(byNumber.count(2999));
    EXPECT_EQ(byNumber[2999]->name, "Timer");
    for (uint32_t version = 3840; version <= 3847; ++version) EXPECT_TRUE(byNumber.count(version)) << version;
    EXPECT_TRUE(std::any_of(defs.begin(), defs.end(), [](const Definition& d) {
        return d.number >= 3100 && d.number <= 3299;
    }));
    // Range parameters name two defined parameters.
    for (const Definition& d : defs) {
        if (d.intCode != 250) continue;
        EXPECT_TRUE(byNumber.count(d.min) && byNumber.count(d.max)) << d.name;
    }
    // Both hexadecimal widths, a negative lower limit, scaling, all four kinds.
    const auto any = [&](auto predicate) { return std::any_of(defs.begin(), defs.end(), predicate); };
    EXPECT_TRUE(any([](const Definition& d) { return d.unit == "Hex" && (d.format & 0x80); }));
    EXPECT_TRUE(any([](const Definition& d) { return d.unit == "Hex" && !(d.format & 0x80); }));
    EXPECT_TRUE(any([](const Definition& d) { return d.min > d.max; }));
    EXPECT_TRUE(any([](const Definition& d) { return d.format & 0x08; }));
    for (uint32_t kindStart : {0u, 2000u, 4000u, 6000u}) {
        EXPECT_TRUE(any([&](const Definition& d) {
            return d.number % 10000 >= kindStart && d.number % 10000 < kindStart + 2000;
        })) << kindStart;
    }
}

TEST(SimDefinitions, ProfilesCarryWhatTheirIntCodesDescribe) {
    const DeviceProfile modern = *FindProfile("default");
    EXPECT_EQ(modern.definitions.size(), DefaultDefinitions().size());
    EXPECT_EQ(modern.parDefTotalBytes, modern.definitions.size() * 36);
    EXPECT_EQ(modern.parDefTotalBytesLong, 0u);

    // The old governor knows IntCodes 0 to 2 only; its range parameters lose their limits.
    const DeviceProfile old = *FindProfile("hw4");
    ASSERT_FALSE(old.definitions.empty());
    for (const Definition& d : old.definitions) EXPECT_LT(d.intCode, 3) << d.name;

    EXPECT_TRUE(FindProfile("bootloader")->definitions.empty());
    const DeviceProfile wide = *FindProfile("wide");
    EXPECT_EQ(wide.parDefTotalBytes, wide.definitions.size() * 48);
}

TEST(SimDefinitions, TotalBeyond16BitsGoesIntoTheLongWord) {
    DeviceProfile profile = *FindProfile("default");
    std::string error;
    ASSERT_TRUE(AttachDefinitions(profile, std::vector<Definition>(2000), error));
    EXPECT_EQ(profile.parDefTotalBytes, 0xFFFF);
    EXPECT_EQ(profile.parDefTotalBytesLong, 72000u);
    const Bytes block = ChecksumBlockData(profile);
    EXPECT_EQ(GetWord(&block[28]) | (GetWord(&block[30]) << 16), 72000);
}

TEST(SimDefinitions, WideNumbersNeedAWideProfile) {
    DeviceProfile narrow = *FindProfile("default");
    std::string error;
    Definition big;
    big.number = 70001;
    EXPECT_FALSE(AttachDefinitions(narrow, {big}, error));
    EXPECT_EQ(error, "number 70001 needs 32-bit parameter numbers (a profile such as 'wide')");
    DeviceProfile wide = *FindProfile("wide");
    EXPECT_TRUE(AttachDefinitions(wide, {big}, error));
}

TEST(SimDefinitions, RecordBytesInBothLayouts) {
    const Definition d{0x00012345, "Oil Temp", 0xFF9C, 0x0064, "\xB0" "C", 5, 0x10, 2, {}};
    Bytes narrow;
    AppendDefinition(narrow, d, {2, 20});
    const Bytes expectedNarrow = {0x45, 0x23, 'O', 'i', 'l', ' ', 'T', 'e', 'm', 'p', 0, 0, 0, 0, 0,   0, 0, 0,
                                  0,    0,    0,   0,   0x9C, 0xFF, 0x64, 0x00, 0xB0, 'C', 0, 0, 0, 0, 0, 5,
                                  0x10, 2};
    EXPECT_EQ(narrow, expectedNarrow);

    Bytes wide;
    AppendDefinition(wide, d, {4, 30});
    ASSERT_EQ(wide.size(), 48u);
    EXPECT_EQ(Bytes(wide.begin(), wide.begin() + 4), (Bytes{0x45, 0x23, 0x01, 0x00}));
    EXPECT_EQ(wide[4 + 30], 0x9C);

    // A name longer than the field is cut without a 0 byte.
    Definition longName;
    longName.name = std::string(25, 'x');
    Bytes cut;
    AppendDefinition(cut, longName, {2, 20});
    EXPECT_EQ(cut.size(), 36u);
    EXPECT_EQ(cut[21], 'x');
    EXPECT_EQ(cut[22], 0);  // min
}

TEST(SimDefinitions, RequestsGetBlocksOfWholeRecordsThenAnEmptyOne) {
    DeviceProfile profile = *FindProfile("default");
    std::string error;
    ASSERT_TRUE(AttachDefinitions(profile, std::vector<Definition>(5), error));
    profile.definitionBlockBytes = 100;  // two 36-byte records a block
    Governor governor(profile);
    const auto request = [&governor] {
        const uint8_t command = 0x03;
        governor.Engine().Feed(&command, 1);
        Bytes reply(governor.Engine().Available());
        governor.Engine().Take(reply.data(), reply.size());
        return reply.size() < 2 ? -1 : GetWord(reply.data()) - 2;
    };
    EXPECT_EQ(request(), 72);
    EXPECT_EQ(request(), 72);
    EXPECT_EQ(request(), 36);
    EXPECT_EQ(request(), 0);
    EXPECT_EQ(request(), 72) << "after the empty block the transfer starts again";

    // However small the block size, every block carries a record.
    profile.definitionBlockBytes = 1;
    Governor tiny(profile);
    const uint8_t command = 0x03;
    tiny.Engine().Feed(&command, 1);
    EXPECT_EQ(tiny.Engine().Available(), 36u + 4u);
}

TEST(SimDefinitionFile, ReadsDefinitionsSettingsAndComments) {
    std::string error;
    const std::optional<DefinitionFile> file = Parse(
        "# a governor\n"
        "\n"
        "block-bytes = 256\r\n"
        "  1 ; Idle Speed ; 400 ; 1500 ; rpm ; 4 ; 0x00 ; 0\n"
        "0x10000;Big;-100;100;\xB0" "C;3;0x10;2\n"
        "7;;0;0;;0;0;0\n",
        error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->blockBytes, 256);
    ASSERT_EQ(file->definitions.size(), 3u);
    EXPECT_EQ(file->definitions[0], (Definition{1, "Idle Speed", 400, 1500, "rpm", 4, 0, 0, {}}));
    EXPECT_EQ(file->definitions[1], (Definition{0x10000, "Big", 0xFF9C, 100, "\xB0" "C", 3, 0x10, 2, {}}));
    EXPECT_EQ(file->definitions[2], (Definition{7, "", 0, 0, "", 0, 0, 0, {}}));
}

TEST(SimDefinitionFile, MistakesNameTheirLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"1;A;0;1;;1;0\n", "line 1: expected 8 fields separated by ';' (number; name; min; max; unit; intcode; "
                            "format; count)"},
        {"# ok\n1;A;0;70000;;1;0;0\n", "line 2: max '70000' is not a number from -32768 to 65535"},
        {"1;A;-32769;1;;1;0;0\n", "line 1: min '-32769' is not a number from -32768 to 65535"},
        {"1;A;0;1;;256;0;0\n", "line 1: intcode '256' is not a number from 0 to 255"},
        {"x;A;0;1;;1;0;0\n", "line 1: number 'x' is not a number from 0 to 4294967295"},
        {"1;A;0;1;;1;0;1.5\n", "line 1: count '1.5' is not a number from 0 to 255"},
        {"1;A;0;1;abcdefgh;1;0;0\n", "line 1: unit 'abcdefgh' is longer than 7 bytes"},
        {"block-bytes = 0\n", "line 1: block-bytes '0' is not a number from 1 to 65533"},
        {"speed = 5\n", "line 1: unknown setting 'speed'"},
    };
    for (const auto& [text, expected] : cases) {
        std::string error;
        EXPECT_FALSE(Parse(text, error)) << text;
        EXPECT_EQ(error, expected);
    }
    std::string error;
    EXPECT_FALSE(LoadDefinitionFile("/nonexistent/definitions.txt", error));
    EXPECT_EQ(error, "cannot open /nonexistent/definitions.txt");
}

TEST(SimDefinitionFile, ExampleFileLoads) {
    std::string error;
    const std::optional<DefinitionFile> file =
        LoadDefinitionFile(std::string(VEK_TEST_SOURCE_DIR) + "/examples/governor-definitions.txt", error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->blockBytes, 256);
    EXPECT_GE(file->definitions.size(), 15u);
}

}  // namespace
}  // namespace vekgov
