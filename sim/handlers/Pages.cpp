// The parameter pages: reading the active page and activating another. A
// refused activation is answered with its reason and then the verdict.
#include "ServiceState.hpp"

#include "handlers/Handlers.hpp"

namespace vekgov {

namespace {

// The governor's codes for a refused sub-command.
namespace page_status {
constexpr uint16_t TooLong = 4;          // more argument bytes than the sub-command takes
constexpr uint16_t NoSuchPage = 2;       // not one of its pages
constexpr uint16_t NoSubCommand = 6;     // a governor without pages
}  // namespace page_status

constexpr size_t kPageArgumentBytes = 2;

bool HasPages(const GovernorModel& model) { return (model.profile.commandsInfo & dev::InfoParameterPages) != 0; }

void Refuse(Reply& reply, uint16_t code) {
    reply.Status(code);
    reply.Status(code);
}

void ReadActivePage(const uint8_t*, size_t n, GovernorModel& model, Reply& reply) {
    if (!HasPages(model)) return reply.Status(page_status::NoSubCommand);
    if (n != 0) return reply.Status(page_status::TooLong);
    Bytes page;
    AppendWord(page, model.pages.active);
    reply.Block(page);
}

void ActivatePage(const uint8_t* args, size_t n, GovernorModel& model, Reply& reply) {
    if (!HasPages(model)) return Refuse(reply, page_status::NoSubCommand);
    if (n != kPageArgumentBytes) return Refuse(reply, page_status::TooLong);
    const uint16_t page = GetWord(args);
    if (page >= kParameterPageCount) return Refuse(reply, page_status::NoSuchPage);
    model.pages.active = page;
    ++model.pages.activations;
    reply.Status(dev::StatusOk);
}

}  // namespace

void RegisterPageCommands(ProtocolEngine& engine) {
    engine.RegisterExtended(dev::ExtReadActivePage, ReadActivePage);
    engine.RegisterExtended(dev::ExtActivatePage, ActivatePage);
}

}  // namespace vekgov
