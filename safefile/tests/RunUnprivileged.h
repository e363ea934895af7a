#pragma once

#include <cerrno>
#include <cstddef>
#include <exception>
#include <functional>
#include <string>

#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace safefile_test {

// The user the work runs as when the tests run as root: "nobody" on Debian.
inline constexpr uid_t kUnprivilegedId = 65534;

// Runs work where permission bits apply and returns the text it reports. Root passes every
// permission check, so as root the work runs in a child process that has given up root; its
// text comes back through a pipe. The work must report through its text, not through gtest
// assertions, which a child cannot hand back.
inline std::string RunUnprivileged(const std::function<std::string()>& work) {
    if (::geteuid() != 0) return work();

    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return "[no pipe]";
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        return "[no fork]";
    }
    if (child == 0) {
        ::close(pipeEnds[0]);
        // Groups first: once the user id is dropped the process may no longer change them.
        if (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedId) != 0 ||
            ::setuid(kUnprivilegedId) != 0)
            ::_exit(2);
        std::string text;
        try {
            text = work();
        } catch (const std::exception& e) {
            text = std::string("[exception] ") + e.what();
        } catch (...) {
            text = "[exception]";
        }
        const char* p = text.data();
        std::size_t left = text.size();
        while (left > 0) {
            const ssize_t done = ::write(pipeEnds[1], p, left);
            if (done <= 0) ::_exit(3);
            p += done;
            left -= static_cast<std::size_t>(done);
        }
        // _exit: the child must not run the parent's exit handlers or flush its streams twice.
        ::_exit(0);
    }

    ::close(pipeEnds[1]);
    std::string text;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(pipeEnds[0], buffer, sizeof buffer)) != 0) {
        if (got < 0) {
            if (errno == EINTR) continue;
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "[child failed, status " + std::to_string(status) + "] " + text;
    return text;
}

} // namespace safefile_test
