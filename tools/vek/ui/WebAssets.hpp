// The page's files, built into the program (see EmbedWebFiles.cmake).
#pragma once

#include <cstddef>
#include <string>

namespace vektool::ui {

struct WebAsset {
    const char* name;  // "console.js"
    const char* type;  // its Content-Type
    const unsigned char* data;
    std::size_t size;
};

// The file of that name, or null.
const WebAsset* FindWebAsset(const std::string& name);

}  // namespace vektool::ui
