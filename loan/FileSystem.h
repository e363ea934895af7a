#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <sys/stat.h>
#include <sys/types.h>

namespace loan {

// The system calls the loan file reader and writer make, in one place, so tests can make any of
// them fail the way a full disk, a quota or a failing device would. Each returns what the system
// call returns and sets errno as it does.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    virtual int Open(const std::string& path, int flags, mode_t mode = 0);
    virtual int Close(int fd);
    virtual ssize_t Read(int fd, void* buffer, std::size_t size);
    virtual ssize_t PRead(int fd, void* buffer, std::size_t size, off_t offset);
    virtual ssize_t Write(int fd, const void* data, std::size_t size);
    virtual ssize_t PWrite(int fd, const void* data, std::size_t size, off_t offset);
    virtual int Fsync(int fd);
    // Reserves disk space for the first length bytes without changing the file's size or
    // content (fallocate with FALLOC_FL_KEEP_SIZE).
    virtual int Fallocate(int fd, off_t length);
    virtual int Ftruncate(int fd, off_t length);
    virtual int Fstat(int fd, struct stat* info);
    virtual int Stat(const std::string& path, struct stat* info);
    virtual int Lstat(const std::string& path, struct stat* info);
    virtual int Fchmod(int fd, mode_t mode);
    virtual int Fchown(int fd, uid_t owner, gid_t group);
    virtual ssize_t ListXattr(const std::string& path, char* names, std::size_t size);
    virtual ssize_t GetXattr(const std::string& path, const char* name, void* value,
                             std::size_t size);
    virtual ssize_t FlistXattr(int fd, char* names, std::size_t size);
    virtual int FsetXattr(int fd, const char* name, const void* value, std::size_t size);
    virtual int FremoveXattr(int fd, const char* name);
    virtual int Rename(const std::string& from, const std::string& to);
    // Gives the open file fd, made with O_TMPFILE, the name path.
    virtual int LinkOpenFile(int fd, const std::string& path);
    virtual int Unlink(const std::string& path);
    virtual ssize_t ReadLink(const std::string& path, char* buffer, std::size_t size);
    virtual int Mkdir(const std::string& path, mode_t mode);
    virtual int Access(const std::string& path, int mode);

    // Writes all of bytes (at offset, for WriteAllAt), going on after short writes and
    // interruptions; false with errno set on failure (EIO for a write that wrote nothing).
    bool WriteAll(int fd, std::string_view bytes);
    bool WriteAllAt(int fd, std::string_view bytes, off_t offset);

    // The machine's own calls.
    static FileSystem& Real();
    // "what \"path\": the system's words for error".
    static std::string Reason(const std::string& what, const std::string& path, int error);
};

} // namespace loan
