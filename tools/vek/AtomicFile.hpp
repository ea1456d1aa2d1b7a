// The tool's own files (the definition cache) are written to a temporary
// name beside the target and then renamed over it, so that a reader never
// sees half a file, even when two runs write the same file at once.
#pragma once

#include <filesystem>
#include <string>

namespace vektool {

// Writes bytes to path; throws ToolError naming the file and the reason.
void WriteFileAtomically(const std::filesystem::path& path, const std::string& bytes);

// The process's number, for names that must differ between runs.
unsigned long ProcessNumber();

}  // namespace vektool
