#include "errors/ErrorMemoryConfig.hpp"

#include <algorithm>

#include "connection/DeviceInfo.hpp"
#include "errors/ErrorRecords.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"

namespace vek {

namespace {

namespace config_block {
constexpr std::size_t Format = 0;
constexpr std::size_t Aux = 2;
constexpr std::size_t ArgCount = 4;
constexpr std::size_t ArgIds = 6;
}  // namespace config_block

constexpr std::size_t kNarrowNumber = 2;
constexpr std::size_t kWideNumber = 4;

}  // namespace

void StoreErrorMemoryConfig(const uint8_t* data, std::size_t length, bool wideNumbers) {
    // A short block reads as zeros beyond its end.
    uint8_t block[kErrorMemoryConfigCapacity] = {};
    std::copy_n(data, std::min(length, sizeof block), block);

    VekStruct& device = Device();
    device.ErrorMemoryFormat = GetWord(block + config_block::Format);
    device.ErrorMemoryAux = GetWord(block + config_block::Aux);
    device.ErrorArgCount = GetWord(block + config_block::ArgCount);
    const std::size_t width = wideNumbers ? kWideNumber : kNarrowNumber;
    for (std::size_t i = 0; i < kEntryArgCapacity; ++i) {
        const uint8_t* number = block + config_block::ArgIds + i * width;
        device.ErrorArgIds[i] = wideNumbers ? GetLong(number) : GetWord(number);
    }
}

bool ReadErrorMemoryConfig() {
    const uint8_t request[] = {cmd::ErrorMemory, cmd::ErrorMemoryConfig};
    uint8_t block[kErrorMemoryConfigCapacity];
    uint16_t length = 0;
    if (!SendBytes(request, sizeof request) || !ReadBlock(block, sizeof block, &length)) return false;
    StoreErrorMemoryConfig(block, length, HasCommandsInfo(commands_info::LongParameterNumbers));
    return true;
}

}  // namespace vek
