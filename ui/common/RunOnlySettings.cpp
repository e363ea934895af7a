#include "RunOnlySettings.h"

#include <QDir>
#include <QSettings>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Not even root can make a folder inside a device.
constexpr const char* kNowhere = "/dev/null/none";
constexpr std::string_view kPrefix = "dravenholt-loan-";

bool IsLeftoverName(std::string_view name) {
    if (name.size() != kPrefix.size() + 6 || name.substr(0, kPrefix.size()) != kPrefix) return false;
    for (const char c : name.substr(kPrefix.size()))
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

// The temp folder a process was started with, as its TMPDIR names it ("" without one).
std::string TempFolderOf(const std::filesystem::path& process) {
    std::ifstream in(process / "environ", std::ios::binary);
    std::string variable;
    while (std::getline(in, variable, '\0'))
        if (variable.rfind("TMPDIR=", 0) == 0) return variable.substr(7);
    return {};
}

// Whether another run of this program uses the same temp folder: the folders there may be its.
bool AnotherRunIsGoing() {
    struct stat self {};
    if (::stat("/proc/self/exe", &self) != 0) return true; // cannot tell: assume so
    const std::string own = std::to_string(::getpid());
    const char* temp = std::getenv("TMPDIR");
    const std::string ownTemp = temp ? temp : "";
    std::error_code error;
    for (std::filesystem::directory_iterator entries("/proc", error);
         !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string pid = entries->path().filename().string();
        if (pid == own || pid.find_first_not_of("0123456789") != std::string::npos) continue;
        struct stat exe {};
        if (::stat((entries->path() / "exe").c_str(), &exe) == 0 && exe.st_dev == self.st_dev &&
            exe.st_ino == self.st_ino && TempFolderOf(entries->path()) == ownTemp)
            return true;
    }
    return false;
}

} // namespace

RunOnlySettings::RunOnlySettings() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromLatin1(kNowhere));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromLatin1(kNowhere));
    RemoveLeftovers(QDir::tempPath().toLocal8Bit().constData());
}

void RunOnlySettings::RemoveLeftovers(const char* folder) {
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    bool checked = false;
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        struct stat info {};
        if (!IsLeftoverName(name) || ::lstat(entries->path().c_str(), &info) != 0 ||
            !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
            continue;
        // Only looked for once there is something to remove.
        if (!checked && AnotherRunIsGoing()) return;
        checked = true;
        std::error_code ignored;
        std::filesystem::remove_all(entries->path(), ignored);
    }
}
