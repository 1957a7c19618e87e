// Runs the built licytek-cli as a process of its own, feeding its standard input and
// collecting its standard output, standard error and exit status.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace licytek::testing {

struct ToolRun {
    int status = -1;  // the exit status, or 128 + the signal that ended the process
    std::string out;
    std::string err;
};

struct ToolRunOptions {
    std::string input;  // written to standard input
    std::filesystem::path workingDirectory = ".";
    std::optional<std::filesystem::path> outputFile;  // standard output goes here instead
    // Asked every few milliseconds with what the tool has written so far: once it answers
    // true, the tool gets SIGINT, as from Ctrl+C.
    std::function<bool(const ToolRun& sofar)> interruptWhen = {};
};

ToolRun RunTool(const std::vector<std::string>& args, const ToolRunOptions& options = {});

// The lines of a tool's output, without their line breaks.
std::vector<std::string> Lines(const std::string& text);

}  // namespace licytek::testing
