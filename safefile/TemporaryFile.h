#pragma once

#include "Descriptor.h"
#include "FileSystem.h"

#include <string>

namespace safefile {

// The new content of a file, written beside it before it replaces the file. Where the file
// system allows it the file has no name until just before the replace (O_TMPFILE), so a crash
// leaves nothing behind; otherwise it is named "<name>.tmp-<n>-<process stamp>", and the stale
// ones of this host's ended processes are removed by the next save.
class TemporaryFile {
  public:
    explicit TemporaryFile(FileSystem& fs) : fs_(fs), fd_(fs, -1) {}
    ~TemporaryFile() { Discard(); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates the file for writing in the folder of target with mode (less the umask). 0, or
    // the errno.
    int Create(const std::string& target, mode_t mode);
    int Fd() const { return fd_.Get(); }
    bool Named() const { return !path_.empty(); }

    // Names the file if it has no name yet and closes it, reporting a failed close: some file
    // systems report write errors only there. 0, or the errno.
    int Close();
    // After Close(), puts the written file in target's place in one step. 0, or the errno; the
    // target is untouched on failure.
    int ReplaceInto(const std::string& target);
    // Closes and removes the file; errno is kept.
    void Discard();

    // Removes named temporaries of target left by this host's processes that have ended.
    static void RemoveStale(FileSystem& fs, const std::string& target);

  private:
    int CreateNamed(mode_t mode);
    static std::string Stem(const std::string& target);

    FileSystem& fs_;
    std::string target_;
    std::string path_; // empty while the file has no name
    Descriptor fd_;
};

} // namespace safefile
