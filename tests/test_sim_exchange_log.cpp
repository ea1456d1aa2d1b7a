// The simulator's exchange log can be switched off: the governor answers the
// same bytes and writes no lines.
#include "Governor.hpp"
#include "Profiles.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The version request's command byte and what the engine answers to it.
std::vector<uint8_t> AnswerToVersionRequest(vekgov::ProtocolEngine& engine) {
    const uint8_t request = vekgov::dev::ReadVersion;
    engine.Feed(&request, 1);
    std::vector<uint8_t> reply(engine.Available());
    engine.Take(reply.data(), reply.size());
    return reply;
}

}  // namespace

TEST(SimExchangeLog, SwitchedOffLogsNothingAndAnswersTheSame) {
    vekgov::Governor logged(*vekgov::FindProfile("default"));
    vekgov::Governor silent(*vekgov::FindProfile("default"));
    silent.Engine().Log().SetEnabled(false);

    const std::vector<uint8_t> expected = AnswerToVersionRequest(logged.Engine());
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(logged.Engine().Log().Lines().size(), 1u);
    EXPECT_EQ(AnswerToVersionRequest(silent.Engine()), expected);
    const uint8_t unknown = 0x7E;
    silent.Engine().Feed(&unknown, 1);
    EXPECT_TRUE(silent.Engine().Log().Lines().empty());
    EXPECT_EQ(silent.Engine().ExchangeCount(), 1u);
}
