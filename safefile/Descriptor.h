#pragma once

#include "FileSystem.h"

namespace safefile {

// Owns one open descriptor of the file system seam: whatever path a function leaves by, early
// return or exception, the descriptor is closed exactly once.
class Descriptor {
  public:
    Descriptor(FileSystem& fs, int fd) : fs_(fs), fd_(fd) {}
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    // Closes it now and says how that went: some file systems report write errors only here.
    // 0, or the errno.
    int Close();
    // Hands the descriptor over; this guard no longer closes it.
    int Release();
    // Takes fd, closing the one held before.
    void Adopt(int fd);

  private:
    FileSystem& fs_;
    int fd_;
};

} // namespace safefile
