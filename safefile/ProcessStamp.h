#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace safefile {

// Which process on which machine made a file: its host's name, its process id and the time the
// process started. A file left in a folder by a process that has ended may be cleaned up; but a
// process id alone says nothing about another machine sharing the folder over the network, and
// a process id is reused, so only a stamp of this host whose process is gone, or now runs a
// different program start, counts as ended.
class ProcessStamp {
  public:
    // This process.
    static const ProcessStamp& Own();
    // "<pid>+<start>@<host>", or nothing when text is not a stamp.
    static std::optional<ProcessStamp> Parse(std::string_view text);

    std::string Text() const;
    // True only for a stamp of this host whose process no longer runs.
    bool HasEnded() const;
    // True only for a stamp of this host whose process still runs.
    bool RunsHere() const;

    friend bool operator==(const ProcessStamp&, const ProcessStamp&) = default;

  private:
    ProcessStamp(pid_t pid, unsigned long long start, std::string host)
        : pid_(pid), start_(start), host_(std::move(host)) {}
    // The start time of process pid in clock ticks since boot; nothing when it does not run or
    // cannot be seen.
    static std::optional<unsigned long long> StartOf(pid_t pid);
    static std::string HostName();

    pid_t pid_;
    unsigned long long start_;
    std::string host_;
};

} // namespace safefile
