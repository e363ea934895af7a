#include "ProcessStamp.h"

#include <cerrno>
#include <charconv>
#include <fstream>
#include <iterator>

#include <signal.h>
#include <unistd.h>

namespace safefile {

namespace {

// Host names are letters, digits, dots and hyphens; "+" and "@" then mark the stamp's parts.
// Cut, so that a stamp never pushes a file name past the file system's limit.
constexpr std::size_t kHostBytes = 48;

template <typename Number> bool ParseNumber(std::string_view text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

} // namespace

const ProcessStamp& ProcessStamp::Own() {
    // A fork has a process id of its own, so the stamp is made again after one.
    static thread_local pid_t madeFor = 0;
    static thread_local std::optional<ProcessStamp> own;
    const pid_t pid = ::getpid();
    if (!own || madeFor != pid) {
        own = ProcessStamp(pid, StartOf(pid).value_or(0), HostName());
        madeFor = pid;
    }
    return *own;
}

std::string ProcessStamp::HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return "localhost";
    std::string host;
    for (const char* c = name; *c && host.size() < kHostBytes; ++c) {
        const bool plain = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') ||
                           (*c >= '0' && *c <= '9') || *c == '.' || *c == '-';
        host += plain ? *c : '_';
    }
    return host.empty() ? "localhost" : host;
}

std::optional<unsigned long long> ProcessStamp::StartOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat{std::istreambuf_iterator<char>(in), {}};
    // The program's name, in brackets, may itself hold spaces and brackets.
    const auto close = stat.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    // The start time is field 22; field 3, the state, follows the name.
    std::size_t at = close + 1;
    for (int field = 3; field < 22; ++field) {
        at = stat.find(' ', at + 1);
        if (at == std::string::npos) return std::nullopt;
    }
    const auto end = stat.find(' ', at + 1);
    unsigned long long start = 0;
    if (!ParseNumber(std::string_view(stat).substr(at + 1, end - at - 1), start))
        return std::nullopt;
    return start;
}

std::optional<ProcessStamp> ProcessStamp::Parse(std::string_view text) {
    const auto plus = text.find('+');
    const auto at = text.find('@');
    if (plus == std::string_view::npos || at == std::string_view::npos || at < plus) return {};
    pid_t pid = 0;
    unsigned long long start = 0;
    const std::string_view host = text.substr(at + 1);
    if (!ParseNumber(text.substr(0, plus), pid) || pid <= 0 ||
        !ParseNumber(text.substr(plus + 1, at - plus - 1), start) || host.empty() ||
        host.find_first_of("+@/") != std::string_view::npos)
        return {};
    return ProcessStamp(pid, start, std::string(host));
}

std::string ProcessStamp::Text() const {
    return std::to_string(pid_) + "+" + std::to_string(start_) + "@" + host_;
}

bool ProcessStamp::HasEnded() const {
    // Another machine's processes cannot be seen from here.
    if (host_ != Own().host_) return false;
    if (const auto start = StartOf(pid_)) return *start != start_;
    // Without /proc to ask, only the kernel's word that no such process exists counts.
    return ::kill(pid_, 0) != 0 && errno == ESRCH;
}

bool ProcessStamp::RunsHere() const {
    return host_ == Own().host_ && !HasEnded();
}

} // namespace safefile
