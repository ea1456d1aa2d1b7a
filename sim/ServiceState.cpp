#include "ServiceState.hpp"

#include "GovernorModel.hpp"
#include "Values.hpp"

#include <iterator>

namespace vekgov {

namespace {

// Measurements are the governor's own: they are neither stored nor lost.
bool Settable(uint32_t number) { return GroupOf(number) != ValueGroup::Measurements; }

}  // namespace

void StoreValues(GovernorModel& model) {
    ServiceArea& service = model.service;
    service.storedValues.clear();
    for (const auto& [number, value] : model.values.written) {
        if (Settable(number)) service.storedValues[number] = value;
    }
    ++service.stores;
}

void ReloadStoredValues(GovernorModel& model) {
    std::map<uint32_t, uint16_t>& written = model.values.written;
    for (auto it = written.begin(); it != written.end();) {
        it = Settable(it->first) ? written.erase(it) : std::next(it);
    }
    written.insert(model.service.storedValues.begin(), model.service.storedValues.end());
}

}  // namespace vekgov
