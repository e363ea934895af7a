#pragma once

#include "FileIdentity.h"

#include <optional>
#include <string>

namespace safefile {

// What a write left the file holding. Unknown is the default, so a path that forgets to say,
// or an exception that cuts one short, can never claim that the file is safe.
enum class WriteState {
    Unknown,        // the file may hold anything: neither content could be confirmed
    Saved,          // the whole new content is in place and on disk
    Unconfirmed,    // the whole new content is in place, but the system could not confirm that
                    // it is on disk (the folder's sync failed)
    FailedAsItWas,  // nothing was changed: the file holds its old content
    FailedRestored, // the file was changed and the old content has been put back
    FailedCopyKept, // the file is damaged; a whole copy of its old content is kept at backup
};

struct WriteOutcome {
    WriteState state = WriteState::Unknown;
    std::string error;    // the reason, unless Saved
    std::string backup;   // FailedCopyKept: where the copy of the old content is
    bool inPlace = false; // rewritten where it stands rather than replaced
    // The file as this write left it, where that is known: after Saved and Unconfirmed, and
    // after a failure that changed the file or put it back.
    std::optional<FileIdentity> written;

    bool Saved() const { return state == WriteState::Saved; }
};

} // namespace safefile
