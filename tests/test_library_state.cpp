// The library frame: load-time defaults, user data, callback slots,
// translation, the log file and the communication lock.
#include "VekLib.h"
#include "core/CommLock.hpp"
#include "core/Report.hpp"
#include "platform/Platform.hpp"
#include "support/LogCapture.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

using vek::Char;

namespace {

const VekChar* Api(const char16_t* text) { return reinterpret_cast<const VekChar*>(text); }

vek::platform::DateTime FixedLocalTime() { return {2026, 12, 6, 19, 23, 5}; }

const vek::platform::Clock kFixedClock{[] { return 0u; }, [](uint32_t) {}, FixedLocalTime, FixedLocalTime};

struct Recorded {
    int calls = 0;
    void* user = nullptr;
    std::u16string text;
    uint16_t value = 0;
};
Recorded recorded;

void VEK_CALL RecordStatus(void* user, const VekChar* text) {
    recorded = {recorded.calls + 1, user, reinterpret_cast<const char16_t*>(text), 0};
}
void VEK_CALL RecordProgress(void* user, const VekChar* text, uint16_t value) {
    recorded = {recorded.calls + 1, user, reinterpret_cast<const char16_t*>(text), value};
}
int32_t VEK_CALL AnswerYes(void*, const VekChar*) { return 1; }
void VEK_CALL TranslateToGerman(void*, const VekChar* text, VekChar* out) {
    if (std::u16string(reinterpret_cast<const char16_t*>(text)) == u"Reading version...") {
        std::memcpy(out, u"Version lesen...", sizeof(u"Version lesen..."));
    }
}
void VEK_CALL TranslateNothing(void*, const VekChar*, VekChar*) {}

}  // namespace

TEST(LibraryState, DefaultsAtLoad) {
    EXPECT_EQ(VekGetLastError(), 0u);
    EXPECT_EQ(VekGetUserData(), nullptr);
    const VekStruct* device = VekGetVekStruct();
    const VekStruct zero{};
    EXPECT_EQ(std::memcmp(device, &zero, sizeof zero), 0);

    const SerialStream* stream = VekGetStream();
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(stream->Config)), u"N/A");
    EXPECT_EQ(stream->ResponseTimeout, 500);
    EXPECT_EQ(stream->LongTimeout, 3000);
    EXPECT_EQ(stream->StartupWait, 2000);
    EXPECT_EQ(stream->EraseTimeout, 15000);
    EXPECT_EQ(stream->IsOpen(VekGetStream()), 0);
    EXPECT_EQ(stream->OnOpened, nullptr);
    EXPECT_EQ(stream->RequestBaudRate, nullptr);
}

TEST(LibraryState, CallbacksReceiveUserDataAndTranslatedText) {
    int marker = 0;
    EXPECT_EQ(VekSetUserData(&marker), &marker);
    EXPECT_EQ(VekGetUserData(), &marker);
    VekSetCallback(VEK_CALLBACK_STATUS, reinterpret_cast<VekCallback>(RecordStatus));
    VekSetCallback(VEK_CALLBACK_PROGRESS, reinterpret_cast<VekCallback>(RecordProgress));
    VekSetCallback(VEK_CALLBACK_TRANSLATE, reinterpret_cast<VekCallback>(TranslateToGerman));

    vek::ReportStatus(u"Reading version...");
    EXPECT_EQ(recorded.user, &marker);
    EXPECT_EQ(recorded.text, u"Version lesen...");

    vek::ReportProgress(250, u"Downloaded %u of %u", 5u, 20u);
    EXPECT_EQ(recorded.text, u"Downloaded 5 of 20");
    EXPECT_EQ(recorded.value, 250);
}

TEST(LibraryState, UnknownCallbackTypeChangesNothing) {
    VekSetCallback(VEK_CALLBACK_STATUS, reinterpret_cast<VekCallback>(RecordStatus));
    VekSetCallback(8, reinterpret_cast<VekCallback>(RecordProgress));
    VekSetCallback(0xFFFFFFFFu, nullptr);
    recorded = {};
    vek::ReportStatus(u"still here");
    EXPECT_EQ(recorded.calls, 1);
    EXPECT_EQ(recorded.text, u"still here");
}

TEST(LibraryState, TranslationFallsBackToTheText) {
    Char buffer[vek::kTranslationCapacity];
    const Char* text = u"Failed to read the version";
    EXPECT_EQ(vek::TranslateText(text, buffer), text);  // no callback

    VekSetCallback(VEK_CALLBACK_TRANSLATE, reinterpret_cast<VekCallback>(TranslateNothing));
    EXPECT_EQ(vek::TranslateText(text, buffer), text);  // callback left the buffer empty

    VekSetCallback(VEK_CALLBACK_TRANSLATE, reinterpret_cast<VekCallback>(TranslateToGerman));
    EXPECT_EQ(std::u16string(vek::TranslateText(u"Reading version...", buffer)), u"Version lesen...");
}

TEST(LibraryState, QuestionIsAnsweredNoWithoutCallback) {
    EXPECT_FALSE(vek::AskQuestion(u"Merge?"));
    VekSetCallback(VEK_CALLBACK_QUESTION, reinterpret_cast<VekCallback>(AnswerYes));
    EXPECT_TRUE(vek::AskQuestion(u"Merge?"));
    VekSetCallback(VEK_CALLBACK_QUESTION, nullptr);
    EXPECT_FALSE(vek::AskQuestion(u"Merge?"));
}

TEST(LibraryState, IdleCallbackDefaultDoesNothing) {
    vek::CallIdle();  // the load-time default is a function that does nothing
    VekSetCallback(VEK_CALLBACK_IDLE, nullptr);
    vek::CallIdle();  // an empty slot is skipped
}

#if !defined(_WIN32)  // on Windows the default shows a modal message box
TEST(LibraryState, ImportantErrorDefaultWritesOneLineToStandardError) {
    testing::internal::CaptureStderr();
    vek::ReportImportantError(u"Parameter %d already exists (%s)", 1500, u"Idle speed");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Important error: Parameter 1500 already exists (Idle speed)\n");
}
#endif

TEST(LogFile, LineStartsWithLocalTimeStampAndEndsWithCrLf) {
    vek::platform::SetClockForTesting(&kFixedClock);
    vektest::LogCapture log;
    vek::LogMessage(u"Reading version... %d", 42);
    EXPECT_EQ(log.RawText(), "06.12.26 19:23:05: Reading version... 42\r\n");
    vek::platform::SetClockForTesting(nullptr);
}

TEST(LogFile, EachNameChangeEmptiesTheFileAtTheNextMessage) {
    // Setting the same name again closes the file; the next message reopens it with "w".
    vektest::TempDir dir;
    const std::string path = (dir / "same.log").string();
    const std::u16string wide(path.begin(), path.end());
    VekSetLogFile(Api(wide.c_str()));
    vek::LogMessage(u"one");
    VekSetLogFile(Api(wide.c_str()));
    vek::LogMessage(u"two");
    const std::string text = vektest::ReadFileBytes(dir / "same.log");
    EXPECT_EQ(text.substr(19), "two\r\n");
    VekSetLogFile(Api(u""));
}

TEST(LogFile, NoNameMeansNoFile) {
    vektest::TempDir dir;
    VekSetLogFile(Api(u""));
    vek::LogMessage(u"lost");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(LogFile, WideCharactersBecomeQuestionMarksAndLongLinesAreCut) {
    vektest::LogCapture log;
    vek::LogMessage(u"\u00e4\u20ac%s", u"x");
    vek::LogMessage(u"%s", std::u16string(5000, u'a'));
    const auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "\xe4?x");
    EXPECT_EQ(lines[1].size() + 19 + 1, 1023u);  // stamp, message and line feed fill 1023 characters
}

TEST(LogFile, OverlongNameIsCutTo259Characters) {
    vektest::TempDir dir;
    const std::string folder = dir.path().string() + "/";
    const std::string name = folder + std::string(300 - folder.size(), 'n');
    const std::u16string wide(name.begin(), name.end());
    VekSetLogFile(Api(wide.c_str()));
    vek::LogMessage(u"x");
    VekSetLogFile(Api(u""));
    EXPECT_TRUE(std::filesystem::exists(name.substr(0, 259)));
}

TEST(CommLock, IsReentrantAndReleasedForOtherThreads) {
    std::atomic<bool> taken{false};
    std::thread other;
    {
        vek::CommLock outer;
        vek::CommLock inner;  // the owner takes it again without waiting
        other = std::thread([&] {
            vek::CommLock lock;
            taken = true;
        });
        std::this_thread::yield();
        EXPECT_FALSE(taken.load());  // held by this thread until both scopes end
    }
    other.join();
    EXPECT_TRUE(taken.load());
}
