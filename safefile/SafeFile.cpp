#include "SafeFile.h"

#include "LinkTarget.h"
#include "ReplaceByRename.h"
#include "RewriteInPlace.h"
#include "TemporaryFile.h"

#include <cerrno>
#include <exception>
#include <new>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace safefile {

namespace {

WriteOutcome Failed(std::string error) {
    WriteOutcome result;
    result.state = WriteState::FailedAsItWas;
    result.error = std::move(error);
    return result;
}

WriteOutcome InPlace(const std::string& target, const SafeFile::Content& content,
                     const SafeFile::Options& options) {
    std::string bytes;
    try {
        content([&](std::string_view piece) {
            bytes.append(piece);
            return true;
        });
    } catch (const std::bad_alloc&) {
        return Failed("There is not enough memory to write \"" + target + "\".");
    }
    return RewriteInPlace::Run(options.fs, options.backups, target, bytes);
}

WriteOutcome Write(const std::string& path, const SafeFile::Content& content,
                   const SafeFile::Options& options) {
    FileSystem& fs = options.fs;
    const LinkTarget::Resolved resolved = LinkTarget::Resolve(fs, path);
    if (!resolved.refusedLink.empty())
        return Failed("The link \"" + resolved.refusedLink +
                      "\" belongs to another user, in a folder where everyone may create "
                      "files, so it is not followed: it may lead to a file other than the one "
                      "you mean. Choose another name.");
    if (resolved.error != 0)
        return Failed(FileSystem::Reason("Cannot follow the link", path, resolved.error));
    const std::string& target = resolved.target;

    std::optional<struct stat> old;
    struct stat info {};
    if (fs.Stat(target, &info) == 0) {
        old = info;
    } else if (errno != ENOENT) {
        return Failed(FileSystem::Reason("Cannot write", target, errno));
    }
    if (old && S_ISDIR(old->st_mode))
        return Failed(FileSystem::Reason("Cannot write", target, EISDIR));
    if (old && !S_ISREG(old->st_mode)) return Failed("\"" + target + "\" is not a regular file.");
    // A replace would otherwise get round a file's own refusal to be written.
    if (old && fs.Access(target, W_OK) != 0 && (errno == EACCES || errno == EROFS))
        return Failed(FileSystem::Reason("Cannot write", target, errno));

    TemporaryFile::RemoveStale(fs, target);
    // A replace would split a file with other names from them.
    if (old && old->st_nlink > 1) return InPlace(target, content, options);
    // A replace streams the content, as a large file costs less written piece by piece than
    // built whole in memory first.
    ReplaceByRename::Outcome replaced =
        ReplaceByRename::Run(fs, target, old, options.newFileMode, [&](int fd) {
            return content([&](std::string_view piece) { return fs.WriteAll(fd, piece); });
        });
    if (replaced.cannotKeep) return InPlace(target, content, options);
    return replaced.result;
}

} // namespace

WriteOutcome SafeFile::Write(const std::string& path, const Content& content,
                             const Options& options) {
    try {
        return safefile::Write(path, content, options);
    } catch (const std::bad_alloc&) {
        WriteOutcome result;
        result.error = "There is not enough memory to write \"" + path + "\".";
        return result;
    } catch (const std::exception& e) {
        WriteOutcome result;
        result.error = "Cannot write \"" + path + "\": " + e.what();
        return result;
    }
}

WriteOutcome SafeFile::Write(const std::string& path, std::string_view bytes,
                             const Options& options) {
    return Write(
        path, [bytes](const Sink& sink) { return sink(bytes); }, options);
}

} // namespace safefile
