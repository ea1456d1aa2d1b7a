// Runs the service tool as its user does and collects what it prints. Every
// test process gives the tool a definition cache folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace vektest {

struct ToolRun {
    std::string output;  // standard output and standard error together (RunToolApart: standard output)
    std::string errors;  // RunToolApart: standard error
    int status = -1;     // as the shell reports it: 0 for success
    int exitCode = -1;   // the tool's exit status
};

// Whether the tool was built with the tests (else tests should skip).
bool ToolBuilt();
ToolRun RunTool(const std::string& arguments);
// The same with standard output and standard error kept apart.
ToolRun RunToolApart(const std::string& arguments);
// The definition cache folder of this test process's tool runs.
std::filesystem::path ToolCacheFolder();

// Whether output holds line as a whole line after its first line.
bool HasLine(const std::string& output, const std::string& line);
// The last line of output that is not empty, without its line end.
std::string LastLine(const std::string& output);

// The fixture of the tests that run the tool: they skip where it is not built.
class ToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ToolBuilt()) GTEST_SKIP() << "the tool is not built";
    }
};

}  // namespace vektest
