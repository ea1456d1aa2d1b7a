// The console's HTTP routes, one file per panel's part of the API (see
// docs/console.md). Every handler hands its library work to the governor
// thread and sends back the Reply it gets.
#pragma once

#include "Governor.hpp"
#include "LogTail.hpp"
#include "LongOperations.hpp"
#include "Reply.hpp"
#include "TrendHub.hpp"

#include <httplib.h>

#include <cstddef>
#include <optional>
#include <string>

namespace vektool::ui {

class Access;

struct ConsoleParts {
    Governor& governor;
    LogTail& log;
    TrendHub& trend;
    LongOperations& operations;
};

// Upload limits: a parameter file of a few thousand lines, a firmware image.
constexpr std::size_t kParameterFileLimit = 1u << 20;
constexpr std::size_t kFirmwareLimit = 8u << 20;

void Send(httplib::Response& response, const Reply& reply);
// The request's JSON body, or null when it is none.
Json BodyJson(const httplib::Request& request);
// A decimal number of at most 32 bits.
std::optional<uint32_t> ParseNumber(const std::string& text);

void AddPageRoutes(httplib::Server& server, const Access& access);
void AddConnectionApi(httplib::Server& server, ConsoleParts& parts);
void AddValueApi(httplib::Server& server, ConsoleParts& parts);
void AddFileApi(httplib::Server& server, ConsoleParts& parts);
void AddErrorApi(httplib::Server& server, ConsoleParts& parts);
void AddFirmwareApi(httplib::Server& server, ConsoleParts& parts);
void AddTrendApi(httplib::Server& server, ConsoleParts& parts);

}  // namespace vektool::ui
