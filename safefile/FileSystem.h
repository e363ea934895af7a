#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <sys/stat.h>
#include <sys/types.h>

namespace safefile {

// Every system call the safe-writing layer makes, in one place, so tests can make any of them
// fail the way a full disk, a quota, a failing device or a signal would.
//
// The public calls return what the system call returns and set errno as it does, except that a
// call interrupted by a signal (EINTR) is made again: a save must not fail because the user
// resized a terminal. Close is the one exception, as Linux releases the descriptor even when
// close reports EINTR, and a second close could close a descriptor another thread just got.
// Tests override the protected Sys* calls, one attempt each.
class FileSystem {
  public:
    // The operations a test can make fail, one per Sys* call.
    enum class Op {
        Open,
        Close,
        Read,
        PRead,
        Write,
        PWrite,
        Fsync,
        Fallocate,
        Ftruncate,
        Fstat,
        Stat,
        Lstat,
        Fchmod,
        Fchown,
        ListXattr,
        GetXattr,
        FlistXattr,
        FsetXattr,
        FremoveXattr,
        Rename,
        RenameNoReplace,
        Link,
        LinkOpenFile,
        Unlink,
        ReadLink,
        Mkdir,
        Access,
        kCount
    };
    static const char* NameOf(Op op);

    virtual ~FileSystem() = default;

    int Open(const std::string& path, int flags, mode_t mode = 0);
    int Close(int fd);
    ssize_t Read(int fd, void* buffer, std::size_t size);
    ssize_t PRead(int fd, void* buffer, std::size_t size, off_t offset);
    ssize_t Write(int fd, const void* data, std::size_t size);
    ssize_t PWrite(int fd, const void* data, std::size_t size, off_t offset);
    int Fsync(int fd);
    // Reserves disk space for the first length bytes without changing the file's size or
    // content (fallocate with FALLOC_FL_KEEP_SIZE).
    int Fallocate(int fd, off_t length);
    int Ftruncate(int fd, off_t length);
    int Fstat(int fd, struct stat* info);
    int Stat(const std::string& path, struct stat* info);
    int Lstat(const std::string& path, struct stat* info);
    int Fchmod(int fd, mode_t mode);
    int Fchown(int fd, uid_t owner, gid_t group);
    ssize_t ListXattr(const std::string& path, char* names, std::size_t size);
    ssize_t GetXattr(const std::string& path, const char* name, void* value, std::size_t size);
    ssize_t FlistXattr(int fd, char* names, std::size_t size);
    int FsetXattr(int fd, const char* name, const void* value, std::size_t size);
    int FremoveXattr(int fd, const char* name);
    int Rename(const std::string& from, const std::string& to);
    // A rename that fails with EEXIST rather than replace what to names (renameat2 with
    // RENAME_NOREPLACE); EINVAL or ENOSYS where the file system or kernel has no such rename.
    int RenameNoReplace(const std::string& from, const std::string& to);
    int Link(const std::string& from, const std::string& to);
    // Gives the open file fd, made with O_TMPFILE, the name path.
    int LinkOpenFile(int fd, const std::string& path);
    int Unlink(const std::string& path);
    ssize_t ReadLink(const std::string& path, char* buffer, std::size_t size);
    int Mkdir(const std::string& path, mode_t mode);
    int Access(const std::string& path, int mode);

    // Writes all of bytes (at offset, for WriteAllAt), going on after short writes; false with
    // errno set on failure (EIO for a write that wrote nothing).
    bool WriteAll(int fd, std::string_view bytes);
    bool WriteAllAt(int fd, std::string_view bytes, off_t offset);

    // The machine's own calls.
    static FileSystem& Real();
    // "what \"path\": the system's words for error".
    static std::string Reason(const std::string& what, const std::string& path, int error);

  protected:
    virtual int SysOpen(const std::string& path, int flags, mode_t mode);
    virtual int SysClose(int fd);
    virtual ssize_t SysRead(int fd, void* buffer, std::size_t size);
    virtual ssize_t SysPRead(int fd, void* buffer, std::size_t size, off_t offset);
    virtual ssize_t SysWrite(int fd, const void* data, std::size_t size);
    virtual ssize_t SysPWrite(int fd, const void* data, std::size_t size, off_t offset);
    virtual int SysFsync(int fd);
    virtual int SysFallocate(int fd, off_t length);
    virtual int SysFtruncate(int fd, off_t length);
    virtual int SysFstat(int fd, struct stat* info);
    virtual int SysStat(const std::string& path, struct stat* info);
    virtual int SysLstat(const std::string& path, struct stat* info);
    virtual int SysFchmod(int fd, mode_t mode);
    virtual int SysFchown(int fd, uid_t owner, gid_t group);
    virtual ssize_t SysListXattr(const std::string& path, char* names, std::size_t size);
    virtual ssize_t SysGetXattr(const std::string& path, const char* name, void* value,
                                std::size_t size);
    virtual ssize_t SysFlistXattr(int fd, char* names, std::size_t size);
    virtual int SysFsetXattr(int fd, const char* name, const void* value, std::size_t size);
    virtual int SysFremoveXattr(int fd, const char* name);
    virtual int SysRename(const std::string& from, const std::string& to);
    virtual int SysRenameNoReplace(const std::string& from, const std::string& to);
    virtual int SysLink(const std::string& from, const std::string& to);
    virtual int SysLinkOpenFile(int fd, const std::string& path);
    virtual int SysUnlink(const std::string& path);
    virtual ssize_t SysReadLink(const std::string& path, char* buffer, std::size_t size);
    virtual int SysMkdir(const std::string& path, mode_t mode);
    virtual int SysAccess(const std::string& path, int mode);
};

} // namespace safefile
