#include "UserFolders.h"

#include <cstdlib>

namespace loan {

safefile::BackupStore UserFolders::Backups(const std::string& suffix) {
    return safefile::BackupStore::ForUser(kProgram, suffix);
}

std::string UserFolders::State() {
    // A relative path is no base directory, the XDG rules say; it is ignored as they ask.
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/" + kProgram;
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.local/state/" + kProgram;
    return {};
}

} // namespace loan
