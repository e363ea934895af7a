#include "ReplaceByRename.h"

#include "FileMetadata.h"
#include "FolderSync.h"
#include "LinkTarget.h"
#include "TemporaryFile.h"

#include <cerrno>
#include <exception>
#include <new>

namespace safefile {

namespace {

using Outcome = ReplaceByRename::Outcome;

Outcome Failed(std::string error) {
    Outcome outcome;
    outcome.result.state = WriteState::FailedAsItWas;
    outcome.result.error = std::move(error);
    return outcome;
}

Outcome CannotKeep() {
    Outcome outcome;
    outcome.cannotKeep = true;
    outcome.result.state = WriteState::FailedAsItWas;
    return outcome;
}

// A folder that refuses new files, or a sticky folder that refuses to let another user's file
// be replaced: the file itself may still be writable.
bool Refused(int error) {
    return error == EACCES || error == EPERM;
}

// Everything up to the rename, which leaves the target untouched whatever fails. On success
// temp is closed and named, and written holds its stat.
Outcome Prepare(FileSystem& fs, const std::string& target, const std::optional<struct stat>& old,
                mode_t mode, const ReplaceByRename::Content& write, TemporaryFile& temp,
                struct stat& written) {
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

    // Private while the content is written to it; it takes the old file's mode at the end.
    if (const int error = temp.Create(target, old ? 0600 : mode); error != 0) {
        if (old && Refused(error)) return CannotKeep();
        return Failed(
            FileSystem::Reason("Cannot create a file in", LinkTarget::FolderOf(target), error));
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
    if (!write(temp.Fd())) return Failed(FileSystem::Reason("Cannot write", target, errno));
    // Last, as writing may clear set-id bits.
    if (old && !metadata.ApplyMode(fs, temp.Fd()))
        return Failed(FileSystem::Reason("Cannot keep the permissions of", target, errno));
    if (fs.Fsync(temp.Fd()) != 0) return Failed(FileSystem::Reason("Cannot write", target, errno));
    if (fs.Fstat(temp.Fd(), &written) != 0)
        return Failed(FileSystem::Reason("Cannot write", target, errno));
    if (const int error = temp.Close(); error != 0)
        return Failed(FileSystem::Reason("Cannot write", target, error));
    Outcome ready;
    ready.result.state = WriteState::Saved;
    return ready;
}

} // namespace

Outcome ReplaceByRename::Run(FileSystem& fs, const std::string& target,
                             const std::optional<struct stat>& old, mode_t mode,
                             const Content& write) {
    TemporaryFile temp(fs);
    struct stat written {};
    try {
        Outcome prepared = Prepare(fs, target, old, mode, write, temp, written);
        if (prepared.result.state != WriteState::Saved) return prepared;
    } catch (const std::bad_alloc&) {
        return Failed("There is not enough memory to write \"" + target + "\".");
    } catch (const std::exception& e) {
        return Failed("Cannot write \"" + target + "\": " + e.what());
    }
    if (const int error = temp.ReplaceInto(target); error != 0) {
        temp.Discard();
        if (old && Refused(error)) return CannotKeep();
        return Failed(FileSystem::Reason("Cannot replace", target, error));
    }

    Outcome outcome;
    outcome.result.written = FileIdentity::From(written);
    // The rename itself is only durable once the folder is on disk.
    const std::string folder = LinkTarget::FolderOf(target);
    if (const int error = FolderSync::Sync(fs, folder); error != 0) {
        outcome.result.state = WriteState::Unconfirmed;
        outcome.result.error = FileSystem::Reason("Cannot sync the folder", folder, error);
        return outcome;
    }
    outcome.result.state = WriteState::Saved;
    return outcome;
}

} // namespace safefile
