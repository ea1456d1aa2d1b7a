#include "TimedLists.hpp"

#include "DefinitionBlocks.hpp"
#include "GovernorModel.hpp"
#include "Values.hpp"

#include <algorithm>

namespace vekgov {

namespace {

constexpr const char* kTimerName = "Timer";
constexpr size_t kListWordBytes = 2;

uint32_t NumberAt(const uint8_t* p, size_t width) {
    uint32_t number = GetWord(p);
    if (width > sizeof(uint16_t)) number |= static_cast<uint32_t>(GetWord(p + sizeof(uint16_t))) << 16;
    return number;
}

}  // namespace

std::optional<uint32_t> TimerNumber(const DeviceProfile& profile) {
    for (const Definition& definition : profile.definitions) {
        if (definition.name == kTimerName) return definition.number;
    }
    return std::nullopt;
}

uint16_t ResetTimedLists(GovernorModel& model) {
    TimedListsArea& area = model.timedLists;
    const uint16_t status = area.sampling ? dev::StatusOk : dev::StatusTimedListsIdle;
    area.sampling = false;
    return status;
}

uint16_t StartTimedLists(GovernorModel& model) {
    TimedListsArea& area = model.timedLists;
    const uint16_t status = area.sampling ? dev::StatusTimedListsIdle : dev::StatusOk;
    area.sampling = true;
    return status;
}

uint16_t ConfigureTimedList(GovernorModel& model, const uint8_t* data, size_t n) {
    TimedListsArea& area = model.timedLists;
    const size_t width = LayoutOf(model.profile).numberBytes;
    // Lists change only while the sampling is stopped.
    if (area.sampling || n < kListWordBytes + width || (n - kListWordBytes) % width != 0) {
        return dev::StatusRefused;
    }
    const uint16_t listWord = GetWord(data);  // the list number + 1
    const size_t numbers = (n - kListWordBytes) / width;
    const size_t items = numbers - 1;
    if (listWord == 0 || listWord > kTimedLists || items > kTimedListMaxItems) return dev::StatusRefused;

    const std::optional<uint32_t> timer = TimerNumber(model.profile);
    const uint8_t* at = data + kListWordBytes;
    if (!timer || NumberAt(at, width) != *timer) return dev::StatusRefused;
    std::vector<uint32_t> list;
    for (size_t i = 1; i <= items; ++i) {
        const uint32_t number = NumberAt(at + i * width, width);
        if (!IsDefined(model, number)) return dev::StatusRefused;
        list.push_back(number);
    }
    area.lists[listWord - 1] = std::move(list);
    area.timerNumber = *timer;
    return dev::StatusOk;
}

Bytes SampleTimedList(GovernorModel& model, uint8_t list) {
    TimedListsArea& area = model.timedLists;
    if (!area.sampling || list >= kTimedLists || !area.lists[list]) return {};
    const uint16_t timer = model.clock.Timer16();
    Bytes data;
    AppendWord(data, timer);
    for (const uint32_t number : *area.lists[list]) {
        AppendWord(data, number == area.timerNumber ? timer : ReadValue(model, number).value_or(0));
    }
    return data;
}

}  // namespace vekgov
