// The dedicated program that bench/callgrind runs under callgrind: one
// operation recorded against the simulated governor in the same process,
// then replayed from the recorded replies a given number of times, so that
// the difference between two counts is the library's share of one
// operation alone.
//
//   callgrind_probe exchange|save|load TIMES [LINES]   (LINES: of the parameter file, default 100)
#include "VekLib.h"
#include "support/ManyDefinitions.hpp"
#include "support/ReplayedOperation.hpp"

#include "Definitions.hpp"
#include "InProcessHost.hpp"
#include "Profiles.hpp"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kDefaultFileLines = 100;
constexpr uint16_t kBlockBytes = 2048;

bool RecordThenReplay(const std::function<bool()>& operation, long times) {
    vekbench::ReplayedOperation replayed(operation);
    if (!replayed.Record()) return false;
    for (long i = 0; i < times; ++i) {
        if (!replayed.Replay()) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 2 ? argv[1] : "";
    const long times = argc > 2 ? std::atol(argv[2]) : 0;
    const long lines = argc > 3 ? std::atol(argv[3]) : static_cast<long>(kDefaultFileLines);
    const bool exchange = mode == "exchange";
    if ((!exchange && mode != "save" && mode != "load") || times < 0 || lines < 1) {
        std::fprintf(stderr, "usage: callgrind_probe exchange|save|load TIMES [LINES]\n");
        return 2;
    }
    vekgov::InProcessHost host(exchange ? *vekgov::FindProfile("default")
                                        : vekbench::ProfileWithDefinitions(static_cast<std::size_t>(lines),
                                                                           vekbench::NumberLayout::ParametersOnly,
                                                                           kBlockBytes));
    host.Engine().Log().SetEnabled(false);
    if (VekInit() != 1 || VekReadAllParDef() != 1) return 1;

    bool ok = false;
    if (exchange) {
        const uint32_t parameter = vekgov::DefaultDefinitions().front().number;
        ok = RecordThenReplay([parameter] { return VekReadRawValue(parameter) == 1; }, times);
    } else {
        std::vector<char> text(static_cast<std::size_t>(lines) * vekbench::kPrmBytesPerLine);
        int32_t size = static_cast<int32_t>(text.size());
        const auto save = [&] {
            size = static_cast<int32_t>(text.size());
            return VekDownloadPrmBuffer(text.data(), &size) == 1;
        };
        if (mode == "save") {
            ok = RecordThenReplay(save, times);
        } else {
            ok = save() && RecordThenReplay([&] {
                return VekUploadPrmBuffer(text.data(), static_cast<uint32_t>(size), 0) == 1;
            }, times);
        }
    }
    std::printf("%s lines %ld\n", ok ? "ok" : "FAILED", exchange ? 1L : lines);
    return ok ? 0 : 1;
}
