#include "GovernorModel.hpp"

#include <algorithm>

namespace vekgov {

bool LinkState::FeatureEnabled(uint16_t code) const {
    return std::find(enabledFeatures.begin(), enabledFeatures.end(), code) != enabledFeatures.end();
}

bool GovernorModel::AcceptsFeature(uint16_t code) const {
    const auto& accepted = profile.acceptedFeatures;
    return std::find(accepted.begin(), accepted.end(), code) != accepted.end();
}

}  // namespace vekgov
