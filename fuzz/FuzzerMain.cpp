// libFuzzer's entry point for one target; VEK_FUZZ_TARGET names its body
// (FuzzTargets.hpp).
#include "targets/FuzzTargets.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return vekfuzz::VEK_FUZZ_TARGET(data, size);
}
