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
    std::string error;         // the reason, when !ok
    bool fileUnchanged = true; // when !ok: the file holds exactly what it held before
    std::string backup;        // a copy of the old file that was kept, named in error
    bool inPlace = false;      // rewritten where it stands rather than replaced
    // The new content is in place, but the system could not confirm that it is on disk.
    bool unconfirmed = false;
    // The file as this save left it: after a success, and after a failure that changed it or
    // put it back.
    std::optional<FileIdentity> written;
};

} // namespace loan
