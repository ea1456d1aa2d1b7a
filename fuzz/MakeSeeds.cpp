// Writes the seed inputs that come from the simulated governor into a corpus
// folder: parameter files saved from compact governors of two kinds, and the
// replies of several compact governors to the fixed session, as they were read.
//   fuzz_make_seeds CORPUS_DIR   (CORPUS_DIR holds one folder per target)
#include "InProcessHost.hpp"
#include "VekLib.h"
#include "targets/CompactGovernor.hpp"
#include "targets/GovernorSession.hpp"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr size_t kPrmCapacity = 1 << 20;

// The profiles whose saved files seed the upload: the one the upload target
// connects to, and one with other versions (checked, or only logged).
const char* const kPrmProfiles[] = {"default", "hw21"};
// Governors of every connection road: modern, old, extended, boot loader, wide.
const char* const kReplyProfiles[] = {"default", "hw4", "hw21", "bootloader", "wide", "enhanced"};

bool WriteFile(const fs::path& path, const char* data, size_t size) {
    std::ofstream out(path, std::ios::binary);
    out.write(data, static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

bool SavePrmFile(const char* profileName, const fs::path& folder) {
    vekgov::InProcessHost host(vekfuzz::CompactProfile(profileName));
    VekClearParDefs();
    std::vector<char> text(kPrmCapacity);
    int32_t size = static_cast<int32_t>(text.size());
    const bool saved = VekInit() && VekReadAllParDef() && VekDownloadPrmBuffer(text.data(), &size);
    VekClose();
    return saved && WriteFile(folder / (std::string(profileName) + ".prm"), text.data(), static_cast<size_t>(size));
}

// The stream's reads, wrapped so that every byte read is kept.
std::vector<uint8_t> replies;
int32_t (VEK_CALL *governorRead)(SerialStream*, uint8_t*, int32_t) = nullptr;

int32_t VEK_CALL RecordingRead(SerialStream* s, uint8_t* buffer, int32_t count) {
    const int32_t result = governorRead(s, buffer, count);
    if (result) replies.insert(replies.end(), buffer, buffer + count);
    return result;
}

bool RecordReplies(const char* profileName, const fs::path& folder) {
    vekfuzz::SessionRecord record;
    vekgov::InProcessHost host(vekfuzz::CompactProfile(profileName));
    replies.clear();
    governorRead = VekGetStream()->Read;
    VekGetStream()->Read = RecordingRead;
    vekfuzz::RunGovernorSession();
    const std::string name = std::string(profileName) + ".replies";
    return WriteFile(folder / name, reinterpret_cast<const char*>(replies.data()), replies.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    const fs::path corpus = argv[1];
    bool ok = true;
    for (const char* profile : kPrmProfiles) ok = SavePrmFile(profile, corpus / "fuzz_prm_upload") && ok;
    for (const char* profile : kReplyProfiles) ok = RecordReplies(profile, corpus / "fuzz_governor_replies") && ok;
    if (!ok) std::fprintf(stderr, "%s: a seed could not be made\n", argv[0]);
    return ok ? 0 : 1;
}
