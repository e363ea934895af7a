#pragma once

#include "FileIdentity.h"

#include <optional>
#include <string>

namespace loan {

// How a save ended. A failed save says which of the two states the file is in: its old
// content, or (only when putting it back failed too) damaged, with a whole copy of the old
// content kept at backup.
struct WriteResult {
    bool ok = false;
    std::string error;          // the reason, when !ok
    bool fileUnchanged = true;  // when !ok: the file holds exactly what it held before
    std::string backup;         // a copy of the old file that was kept, named in error
    bool inPlace = false;       // rewritten where it stands rather than replaced
    std::optional<FileIdentity> written; // the file as this save left it, when ok
};

} // namespace loan
