// Runs part of a test in a forked child: as another user, under a resource limit or in a
// mount namespace of its own, none of which the test program itself may keep.
#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>

namespace licytek::testing {

// How the child ended and what it reported: an empty report when all it checked held.
struct ChildEnd {
    int exitCode = -1;  // when it exited
    int signal = 0;     // when a signal ended it
    std::string report;
};

// The exit code of a child that could not set itself up, so the case cannot run here.
inline constexpr int kChildCannotRun = 77;

// Forks; the child runs `setUp` (false: it exits with kChildCannotRun) and then `body`,
// whose report it hands back through a pipe.
inline ChildEnd RunInChild(const std::function<bool()>& setUp,
                           const std::function<std::string()>& body) {
    int ends[2];
    if (::pipe(ends) != 0) {
        return {-1, 0, "pipe failed"};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        if (!setUp()) {
            ::_exit(kChildCannotRun);
        }
        const std::string report = body();
        const ssize_t written = ::write(ends[1], report.data(), report.size());
        ::_exit(written == static_cast<ssize_t>(report.size()) ? 0 : 1);
    }
    ::close(ends[1]);
    ChildEnd end;
    char buffer[4096];
    for (ssize_t got; (got = ::read(ends[0], buffer, sizeof(buffer))) > 0;) {
        end.report.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status)) {
        end.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        end.signal = WTERMSIG(status);
    }
    return end;
}

// The unprivileged account a root test drops to, when the system has one.
struct Account {
    uid_t uid;
    gid_t gid;
};
inline std::optional<Account> Nobody() {
    const passwd* entry = ::getpwnam("nobody");
    if (entry == nullptr) {
        return std::nullopt;
    }
    return Account{entry->pw_uid, entry->pw_gid};
}

// For RunInChild: become `account` for good, groups included.
inline bool BecomeUser(const Account& account) {
    return ::setgroups(0, nullptr) == 0 && ::setgid(account.gid) == 0 &&
           ::setuid(account.uid) == 0 && ::geteuid() == account.uid;
}

}  // namespace licytek::testing
