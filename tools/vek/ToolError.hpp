// The one way a command gives up: a one-line reason for the user.
#pragma once

#include <stdexcept>
#include <string>

namespace vektool {

class ToolError : public std::runtime_error {
public:
    explicit ToolError(const std::string& reason) : std::runtime_error(reason) {}
};

}  // namespace vektool
