#include "AtomicFile.hpp"

#include "ToolError.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>

#if defined(_WIN32)
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vektool {

namespace {

// Moves from over to, replacing a file that is there.
bool Rename(const std::filesystem::path& from, const std::filesystem::path& to) {
#if defined(_WIN32)
    return MoveFileExW(from.wstring().c_str(), to.wstring().c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

unsigned long ProcessNumber() {
#if defined(_WIN32)
    return static_cast<unsigned long>(_getpid());
#else
    return static_cast<unsigned long>(getpid());
#endif
}

void WriteFileAtomically(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::path temporary = path;
    temporary += ".tmp-" + std::to_string(ProcessNumber());
    errno = 0;
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (file && Rename(temporary, path)) return;
    const std::string reason = errno ? std::strerror(errno) : "the file system refused it";
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw ToolError("cannot write " + path.u8string() + ": " + reason);
}

}  // namespace vektool
