#include "UserFolders.h"

namespace loan {

safefile::BackupStore UserFolders::Backups(const std::string& suffix) {
    return safefile::BackupStore::ForUser(kProgram, suffix);
}

} // namespace loan
