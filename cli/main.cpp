// licytek-cli: the auction form as JSON or a project file in, the auction's HTML out.
#include <csignal>
#include <cstdio>
#include <exception>
#include <string_view>
#include <vector>

#include "cli/Commands.h"

int main(int argc, char** argv) {
    // A closed pipe is reported as a failed write instead of ending the tool silently.
    std::signal(SIGPIPE, SIG_IGN);
    // A file-size limit is reported as a full disk by the failed write, which removes its
    // temporary file, instead of ending the tool in the middle of a save.
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
        return licytek::cli::RunCommandLine(args);
    } catch (const std::exception& error) {
        // Only running out of memory gets here; say so rather than end without a word.
        std::fprintf(stderr, "licytek-cli: %s\n", error.what());
        return licytek::cli::kExitFileError;
    }
}
