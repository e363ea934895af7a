#include "ReplaceByRename.h"

#include "FileMetadata.h"
#include "LinkTarget.h"
#include "TemporaryFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>

namespace loan {

namespace {

using Outcome = ReplaceByRename::Outcome;

Outcome Failed(std::string error) {
    Outcome outcome;
    outcome.result.error = std::move(error);
    return outcome;
}

Outcome CannotKeep() {
    Outcome outcome;
    outcome.cannotKeep = true;
    return outcome;
}

// A folder that refuses new files, or a sticky folder that refuses to let another user's file
// be replaced: the file itself may still be writable.
bool Refused(int error) {
    return error == EACCES || error == EPERM;
}

} // namespace

Outcome ReplaceByRename::Run(FileSystem& fs, const std::string& target,
                             const std::optional<struct stat>& old, const Content& write) {
    FileMetadata metadata;
    if (old) {
        switch (FileMetadata::Read(fs, target, *old, metadata)) {
        case FileMetadata::Outcome::Kept:
            break;
        case FileMetadata::Outcome::CannotKeep:
            return CannotKeep();
        case FileMetadata::Outcome::Failed:
            return Failed(FileSystem::Reason("Cannot read the attributes of", target, errno));
        }
    }

    const std::string folder = LinkTarget::FolderOf(target);
    TemporaryFile temp(fs);
    // Private while the loans are written to it; it takes the old file's mode at the end. A new
    // file gets what any new file there would.
    if (const int error = temp.Create(target, old ? 0600 : 0666); error != 0) {
        if (old && Refused(error)) return CannotKeep();
        return Failed(FileSystem::Reason("Cannot create a file in", folder, error));
    }

    if (old) {
        struct stat fresh {};
        if (fs.Fstat(temp.Fd(), &fresh) != 0)
            return Failed(FileSystem::Reason("Cannot write", target, errno));
        switch (metadata.ApplyOwnerAndAttributes(fs, temp.Fd(), fresh)) {
        case FileMetadata::Outcome::Kept:
            break;
        case FileMetadata::Outcome::CannotKeep:
            return CannotKeep();
        case FileMetadata::Outcome::Failed:
            return Failed(
                FileSystem::Reason("Cannot keep the owner and attributes of", target, errno));
        }
    }
    if (!write(temp.Fd()))
        return Failed(FileSystem::Reason("Cannot write", target, errno));
    // Last, as writing may clear set-id bits.
    if (old && !metadata.ApplyMode(fs, temp.Fd()))
        return Failed(FileSystem::Reason("Cannot keep the permissions of", target, errno));
    if (fs.Fsync(temp.Fd()) != 0) return Failed(FileSystem::Reason("Cannot write", target, errno));
    struct stat written {};
    if (fs.Fstat(temp.Fd(), &written) != 0)
        return Failed(FileSystem::Reason("Cannot write", target, errno));
    if (const int error = temp.Close(); error != 0)
        return Failed(FileSystem::Reason("Cannot write", target, error));
    if (const int error = temp.ReplaceInto(target); error != 0) {
        temp.Discard();
        if (old && Refused(error)) return CannotKeep();
        return Failed(FileSystem::Reason("Cannot replace", target, error));
    }

    Outcome outcome;
    // The rename itself is only durable once the folder is on disk.
    const int dir = fs.Open(folder, O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        const bool synced = fs.Fsync(dir) == 0 || errno == EINVAL;
        const int error = errno;
        fs.Close(dir);
        if (!synced) {
            outcome.result.fileUnchanged = false;
            outcome.result.unconfirmed = true;
            outcome.result.written = FileIdentity::From(written);
            outcome.result.error = FileSystem::Reason("Cannot sync the folder", folder, error);
            return outcome;
        }
    }
    outcome.result.ok = true;
    outcome.result.written = FileIdentity::From(written);
    return outcome;
}

} // namespace loan
