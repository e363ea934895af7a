#pragma once

#include "safefile/ProcessStamp.h"

#include <functional>
#include <string>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// Another run of the program beside the test's: a child process (forked, running no program of
// its own) that does its work through the same classes the program uses, hands back its process
// stamp, and then waits until the test lets it end. It reports nothing through gtest; what it
// left behind is what the test looks at.
class OtherProgram {
  public:
    explicit OtherProgram(const std::function<void()>& work = {}) {
        int stamp[2], release[2];
        if (::pipe(stamp) != 0 || ::pipe(release) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(stamp[0]);
            ::close(release[1]);
            if (work) work();
            const std::string text = safefile::ProcessStamp::Own().Text() + "\n";
            if (::write(stamp[1], text.data(), text.size()) < 0) ::_exit(1);
            char byte;
            while (::read(release[0], &byte, 1) > 0) {
            }
            ::_exit(0);
        }
        ::close(stamp[1]);
        ::close(release[0]);
        release_ = release[1];
        char c;
        while (::read(stamp[0], &c, 1) == 1 && c != '\n')
            stamp_ += c;
        ::close(stamp[0]);
    }
    ~OtherProgram() { End(); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    // "<pid>+<start>@<host>"; empty when the child could not be started.
    const std::string& Stamp() const { return stamp_; }
    // Lets it end, and waits until it has.
    void End() {
        if (release_ >= 0) ::close(release_);
        release_ = -1;
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

    // The stamp of a program that has ended.
    static std::string Ended() {
        OtherProgram program;
        program.End();
        return program.Stamp();
    }

  private:
    pid_t pid_ = -1;
    int release_ = -1;
    std::string stamp_;
};
