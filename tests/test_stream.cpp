// The stream record's wrappers and the time-out scopes.
#include "VekLib.h"
#include "transport/Stream.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int32_t> timeoutsSet;
int32_t currentTimeout = 0;

int32_t VEK_CALL GetTimeout(SerialStream*) { return currentTimeout; }
int32_t VEK_CALL SetTimeout(SerialStream*, int32_t ms) {
    timeoutsSet.push_back(ms);
    currentTimeout = ms;
    return 1;
}

void InstallTimeoutRecorder(int32_t initial) {
    currentTimeout = initial;
    timeoutsSet.clear();
    VekGetStream()->GetTimeout = GetTimeout;
    VekGetStream()->SetTimeout = SetTimeout;
}

const VekChar* VEK_CALL Upper(SerialStream*, const VekChar*) {
    return reinterpret_cast<const VekChar*>(u"TRANSLATED");
}

}  // namespace

TEST(Stream, NestedTimeoutScopesRestoreInTurn) {
    InstallTimeoutRecorder(700);
    {
        vek::TimeoutScope outer(3000);
        {
            vek::TimeoutScope inner(500);  // a callback's ping inside a long transfer
            EXPECT_EQ(currentTimeout, 500);
        }
        EXPECT_EQ(currentTimeout, 3000);
    }
    EXPECT_EQ(currentTimeout, 700);
    EXPECT_EQ(timeoutsSet, (std::vector<int32_t>{3000, 500, 3000, 700}));
}

TEST(Stream, DoNothingStreamOpensButNeverHasALink) {
    EXPECT_TRUE(vek::StreamOpen());
    EXPECT_TRUE(vek::StreamConfigure());
    EXPECT_FALSE(vek::StreamIsOpen());
    uint8_t byte = 0;
    EXPECT_TRUE(vek::StreamWrite(&byte, 1));
    EXPECT_EQ(vek::StreamGetTimeout(), 0);
}

TEST(Stream, HooksAreOptional) {
    EXPECT_TRUE(vek::StreamRequestBaudRate(57600));  // no hook counts as success
    const char16_t* text = u"Failed to open port at 300 bauds";
    EXPECT_EQ(vek::StreamTranslate(text), text);
    VekGetStream()->TranslateHook = Upper;
    EXPECT_EQ(std::u16string(vek::StreamTranslate(text)), u"TRANSLATED");
    vek::StreamOpened();  // no hook: nothing happens
}

TEST(Stream, EmptiedOperationSlotsFailInsteadOfCrashing) {
    SerialStream* s = VekGetStream();
    s->Read = nullptr;
    s->Write = nullptr;
    s->Close = nullptr;
    uint8_t byte = 0;
    EXPECT_FALSE(vek::StreamRead(&byte, 1));
    EXPECT_FALSE(vek::StreamWrite(&byte, 1));
    vek::StreamClose();
}
