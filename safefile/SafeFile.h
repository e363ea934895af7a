#pragma once

#include "BackupStore.h"
#include "FileSystem.h"
#include "WriteOutcome.h"

#include <functional>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace safefile {

// Writes a whole file so that it ends up holding either its old content or the whole new one,
// and says which (WriteOutcome). Every file the program writes goes through here.
//
// A link is followed to the file it names (never one the kernel's rule for shared folders
// refuses). The file is replaced through a temporary file that takes its owner, group,
// permissions and extended attributes; where a replace cannot keep them (a folder that refuses
// new files, an owner or group this user cannot give, a file with other names) it is rewritten
// in place behind a backup copy kept in backups.
class SafeFile {
  public:
    // Takes the next bytes of the content; false, with errno set, when they could not be written.
    using Sink = std::function<bool(std::string_view bytes)>;
    // Hands the whole content to the sink, in as many pieces as it likes; false once the sink
    // has refused. May be called twice: a rewrite in place needs the content whole first.
    using Content = std::function<bool(const Sink& sink)>;

    struct Options {
        const BackupStore& backups;
        FileSystem& fs = FileSystem::Real();
        // A new file's permissions, less the umask; an existing file keeps its own.
        mode_t newFileMode = 0666;
    };

    static WriteOutcome Write(const std::string& path, const Content& content,
                              const Options& options);
    static WriteOutcome Write(const std::string& path, std::string_view bytes,
                              const Options& options);
};

} // namespace safefile
