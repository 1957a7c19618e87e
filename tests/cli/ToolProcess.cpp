#include "ToolProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace licytek::testing {
namespace {

struct Pipe {
    int read = -1;
    int write = -1;
};

Pipe MakePipe() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe2 failed");
    }
    return {ends[0], ends[1]};
}

void CloseIfOpen(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

[[noreturn]] void StartChild(const std::vector<std::string>& args, const ToolRunOptions& options,
                             const Pipe& in, const Pipe& out, const Pipe& err) {
    if (::chdir(options.workingDirectory.c_str()) != 0) {
        ::_exit(126);
    }
    int outFd = out.write;
    if (options.outputFile) {
        outFd = ::open(options.outputFile->c_str(), O_WRONLY);
        if (outFd < 0) {
            ::_exit(126);
        }
    }
    ::dup2(in.read, STDIN_FILENO);
    ::dup2(outFd, STDOUT_FILENO);
    ::dup2(err.write, STDERR_FILENO);
    std::vector<char*> argv;
    static std::string program = LICYTEK_CLI_PATH;
    argv.push_back(program.data());
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

// Feeds the input and drains both outputs at once, so that no pipe fills up and blocks; sends
// the child SIGINT once `options.interruptWhen` says so.
void Exchange(pid_t child, int inFd, int outFd, int errFd, const ToolRunOptions& options,
              ToolRun& run) {
    const std::string_view input = options.input;
    bool interrupted = false;
    std::size_t written = 0;
    if (input.empty()) {
        CloseIfOpen(inFd);
    }
    std::array<char, 65536> buffer;
    while (inFd >= 0 || outFd >= 0 || errFd >= 0) {
        std::array<pollfd, 3> polls = {pollfd{inFd, POLLOUT, 0}, pollfd{outFd, POLLIN, 0},
                                       pollfd{errFd, POLLIN, 0}};
        const bool watching = options.interruptWhen && !interrupted;
        if (watching && options.interruptWhen(run)) {
            ::kill(child, SIGINT);
            interrupted = true;
        }
        if (::poll(polls.data(), polls.size(), watching ? 10 : -1) < 0) {
            continue;  // interrupted
        }
        if (inFd >= 0 && polls[0].revents != 0) {
            const ssize_t n = ::write(inFd, input.data() + written, input.size() - written);
            if (n > 0) {
                written += static_cast<std::size_t>(n);
            }
            if (n < 0 || written == input.size()) {
                CloseIfOpen(inFd);  // done, or the tool stopped reading
            }
        }
        int* fds[] = {&outFd, &errFd};
        std::string* sinks[] = {&run.out, &run.err};
        for (int i = 0; i < 2; ++i) {
            if (*fds[i] >= 0 && polls[static_cast<std::size_t>(i) + 1].revents != 0) {
                const ssize_t n = ::read(*fds[i], buffer.data(), buffer.size());
                if (n > 0) {
                    sinks[i]->append(buffer.data(), static_cast<std::size_t>(n));
                } else {
                    CloseIfOpen(*fds[i]);
                }
            }
        }
    }
}

}  // namespace

ToolRun RunTool(const std::vector<std::string>& args, const ToolRunOptions& options) {
    // The tool may end without reading all of its input; that must not end the test.
    std::signal(SIGPIPE, SIG_IGN);
    Pipe in = MakePipe();
    Pipe out = MakePipe();
    Pipe err = MakePipe();
    const pid_t child = ::fork();
    if (child < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        StartChild(args, options, in, out, err);
    }
    CloseIfOpen(in.read);
    CloseIfOpen(out.write);
    CloseIfOpen(err.write);
    ToolRun run;
    Exchange(child, in.write, out.read, err.read, options, run);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace licytek::testing
