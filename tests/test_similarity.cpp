// Name lookup with kind masks, the similarity measure and the search by
// similarity.
#include "VekLib.h"
#include "pardef/Kinds.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const VekChar* Api(const char16_t* text) { return reinterpret_cast<const VekChar*>(text); }

double Similarity(const char16_t* a, const char16_t* b) { return VekStrSimilarity(Api(a), Api(b)); }

ParDef* Define(uint32_t id, const std::u16string& name) {
    ParDef* def = VekAddParDef(id);
    std::memcpy(def->Name, name.c_str(), (name.size() + 1) * sizeof(char16_t));
    return def;
}

TEST(StrSimilarity, FractionsOfTheMatchedCharacters) {
    EXPECT_DOUBLE_EQ(Similarity(u"Speed", u"SpeedSet"), 10.0 / 13);
    EXPECT_DOUBLE_EQ(Similarity(u"Droop", u"Drop"), 8.0 / 9);  // "Dro", then "p" after it
    EXPECT_DOUBLE_EQ(Similarity(u"Gain(1)", u"Gain(2)"), 12.0 / 14);
    EXPECT_DOUBLE_EQ(Similarity(u"SpeedSetpoint", u"SetpointSpeed"), 16.0 / 26);
    EXPECT_EQ(Similarity(u"abc", u"xyz"), 0.0);
    EXPECT_EQ(Similarity(u"MaxSpeed", u"MaxSpeed"), 1.0);
}

TEST(StrSimilarity, LetterCaseCounts) {
    // "peed", then "ax" before it; the M/m pair never matches.
    EXPECT_EQ(Similarity(u"MaxSpeed", u"maxspeed"), 0.75);
}

TEST(StrSimilarity, EqualRunsPreferTheEarliestInTheFirstText) {
    // "a" starts before "b" in the first text; nothing precedes it there and
    // nothing follows it in the second.
    EXPECT_EQ(Similarity(u"ab", u"ba"), 0.5);
    // Among runs that start at the same place in the first text, the earliest
    // in the second wins: "ab" at 0 leaves "zcab" after it, where "c" matches.
    EXPECT_DOUBLE_EQ(Similarity(u"abc", u"abzcab"), 6.0 / 9);
}

TEST(StrSimilarity, TheOrderOfTheTextsMatters) {
    // "t" is the first run of the first text; nothing in "diet" follows the "t".
    EXPECT_DOUBLE_EQ(Similarity(u"tide", u"diet"), 2.0 / 8);
    // "d" first, then "e" after it.
    EXPECT_DOUBLE_EQ(Similarity(u"diet", u"tide"), 4.0 / 8);
    // "ab" is taken; "cd" lies before it in the second text but after it in the first.
    EXPECT_DOUBLE_EQ(Similarity(u"abxcd", u"cdxab"), 4.0 / 10);
}

TEST(StrSimilarity, EmptyOrMissingTextGivesZero) {
    EXPECT_EQ(Similarity(u"", u"Speed"), 0.0);
    EXPECT_EQ(Similarity(u"Speed", u""), 0.0);
    EXPECT_EQ(Similarity(u"", u""), 0.0);
    EXPECT_EQ(VekStrSimilarity(nullptr, Api(u"Speed")), 0.0);
    EXPECT_EQ(VekStrSimilarity(Api(u"Speed"), nullptr), 0.0);
}

class NameSearch : public ::testing::Test {
protected:
    void SetUp() override { VekClearParDefs(); }
};

TEST_F(NameSearch, WholeNamesMatchIgnoringTheCaseOfAToZ) {
    ParDef* maxSpeed = Define(10, u"MaxSpeed");
    EXPECT_EQ(VekFindParDefByName(Api(u"maxspeed"), vek::kind_mask::All), maxSpeed);
    EXPECT_EQ(VekFindParDefByName(Api(u"MAXSPEED"), vek::kind_mask::All), maxSpeed);
    EXPECT_EQ(VekFindParDefByName(Api(u"Max"), vek::kind_mask::All), nullptr);
    EXPECT_EQ(VekFindParDefByName(Api(u"MaxSpeedX"), vek::kind_mask::All), nullptr);

    // Only A to Z fold: other letters must be identical.
    Define(11, u"\u00C4l");
    EXPECT_EQ(VekFindParDefByName(Api(u"\u00E4l"), vek::kind_mask::All), nullptr);
    EXPECT_EQ(VekFindParDefByName(Api(u"\u00C4L"), vek::kind_mask::All), VekGetParDef(11));
}

TEST_F(NameSearch, GivenNamesAreComparedOverAtMost49Characters) {
    const std::u16string name49(49, u'n');
    ParDef* def = Define(1, name49);
    EXPECT_EQ(VekFindParDefByName(Api((name49 + u"tail").c_str()), vek::kind_mask::All), def);
    EXPECT_EQ(VekFindParDefByName(Api(name49.substr(0, 48).c_str()), vek::kind_mask::All), nullptr);
}

TEST_F(NameSearch, EmptyNameFindsAnUnnamedDefinition) {
    EXPECT_EQ(VekFindParDefByName(Api(u""), vek::kind_mask::All), nullptr);
    ParDef* unnamed = VekAddParDef(2500);
    EXPECT_EQ(VekFindParDefByName(Api(u""), vek::kind_mask::All), unnamed);
    EXPECT_EQ(VekFindParDefByName(Api(u""), vek::kind_mask::Parameters), nullptr);
    EXPECT_EQ(VekFindParDefByName(nullptr, vek::kind_mask::All), nullptr);
}

TEST_F(NameSearch, KindMaskSelectsByRemainder) {
    struct Case {
        uint32_t id;
        uint32_t passingMask;
    };
    // Bit 1 is the functions (4000-5999) and bit 2 the measurements (2000-3999).
    const Case cases[] = {{0, 0x01},     {1998, 0x01}, {12000, 0x04}, {3999, 0x04},
                          {4000, 0x02},  {25999, 0x02}, {6000, 0x08}, {9999, 0x08}};
    for (const Case& c : cases) {
        VekClearParDefs();
        ParDef* def = Define(c.id, u"Name");
        EXPECT_EQ(VekFindParDefByName(Api(u"name"), c.passingMask), def) << c.id;
        EXPECT_EQ(VekFindParDefByName(Api(u"name"), 0xFF & ~c.passingMask), nullptr) << c.id;
        EXPECT_EQ(VekFindParDefByName(Api(u"name"), 0x100 | c.passingMask), def) << "bit 8 is ignored";
        EXPECT_EQ(VekFindParDefByName(Api(u"name"), 0x100), nullptr) << "only the low 8 bits count";
    }
}

TEST_F(NameSearch, NumbersEndingIn1999AreNeverFound) {
    Define(1999, u"Hidden");
    Define(11999, u"AlsoHidden");
    EXPECT_EQ(VekFindParDefByName(Api(u"Hidden"), vek::kind_mask::All), nullptr);
    EXPECT_EQ(VekFindParDefByName(Api(u"AlsoHidden"), vek::kind_mask::All), nullptr);
    EXPECT_EQ(VekFindParDefByName(Api(u"Hidden"), vek::kind_mask::Parameters), nullptr);
}

TEST_F(NameSearch, SimilaritySearchWalksTheIndexFromStart) {
    Define(1, u"IdleSpeed");
    Define(2, u"MaxSpeed");
    Define(3, u"MaxSpeedRamp");
    Define(4, u"maxspeed");

    // MaxSpeedRamp/MaxSpd: 12/18 = 0.667; MaxSpeed/MaxSpd: 12/14 = 0.857.
    EXPECT_EQ(VekFindParDefBySimilarity(Api(u"MaxSpd"), 0, 80), VekGetParDef(2));
    EXPECT_EQ(VekFindParDefBySimilarity(Api(u"MaxSpd"), 2, 80), nullptr);
    EXPECT_EQ(VekFindParDefBySimilarity(Api(u"MaxSpd"), 2, 66), VekGetParDef(3));

    // Threshold 0 takes the definition at start; above 100 nothing passes.
    EXPECT_EQ(VekFindParDefBySimilarity(Api(u"zzz"), 1, 0), VekGetParDef(2));
    EXPECT_EQ(VekFindParDefBySimilarity(Api(u"MaxSpeed"), 0, 101), nullptr);
    EXPECT_EQ(VekFindParDefBySimilarity(Api(u"MaxSpeed"), 4, 0), nullptr);
    EXPECT_EQ(VekFindParDefBySimilarity(Api(u"MaxSpeed"), 0xFFFFFFFFu, 0), nullptr);
}

TEST_F(NameSearch, SimilarityThresholdIsInclusive) {
    Define(1, u"Speed");
    // Speed/SpeedSet gives exactly 10/13; 76% is below it, 77% above.
    EXPECT_EQ(VekFindParDefBySimilarity(Api(u"SpeedSet"), 0, 76), VekGetParDef(1));
    EXPECT_EQ(VekFindParDefBySimilarity(Api(u"SpeedSet"), 0, 77), nullptr);
    // Exactly at the threshold: Speed/Speed is 1.0 against 100%.
    EXPECT_EQ(VekFindParDefBySimilarity(Api(u"Speed"), 0, 100), VekGetParDef(1));
}

}  // namespace
