#include "FileSystem.h"

#include <cerrno>
#include <cstring>
#include <iterator>
#include <string>

#include <fcntl.h>
#include <stdio.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace safefile {

namespace {

template <typename Call> auto Retried(Call&& call) {
    for (;;) {
        const auto result = call();
        if (!(result < 0 && errno == EINTR)) return result;
    }
}

} // namespace

const char* FileSystem::NameOf(Op op) {
    static constexpr const char* kNames[] = {
        "open",     "close",           "read",   "pread",          "write",  "pwrite",
        "fsync",    "fallocate",       "ftruncate", "fstat",       "stat",   "lstat",
        "fchmod",   "fchown",          "listxattr", "getxattr",    "flistxattr",
        "fsetxattr", "fremovexattr",   "rename", "rename (no replace)", "link",
        "link (open file)", "unlink",  "readlink", "mkdir",        "access"};
    static_assert(std::size(kNames) == static_cast<std::size_t>(Op::kCount));
    return kNames[static_cast<std::size_t>(op)];
}

int FileSystem::Open(const std::string& path, int flags, mode_t mode) {
    return Retried([&] { return SysOpen(path, flags | O_CLOEXEC, mode); });
}

int FileSystem::Close(int fd) {
    return SysClose(fd);
}

ssize_t FileSystem::Read(int fd, void* buffer, std::size_t size) {
    return Retried([&] { return SysRead(fd, buffer, size); });
}

ssize_t FileSystem::PRead(int fd, void* buffer, std::size_t size, off_t offset) {
    return Retried([&] { return SysPRead(fd, buffer, size, offset); });
}

ssize_t FileSystem::Write(int fd, const void* data, std::size_t size) {
    return Retried([&] { return SysWrite(fd, data, size); });
}

ssize_t FileSystem::PWrite(int fd, const void* data, std::size_t size, off_t offset) {
    return Retried([&] { return SysPWrite(fd, data, size, offset); });
}

int FileSystem::Fsync(int fd) {
    return Retried([&] { return SysFsync(fd); });
}

int FileSystem::Fallocate(int fd, off_t length) {
    return Retried([&] { return SysFallocate(fd, length); });
}

int FileSystem::Ftruncate(int fd, off_t length) {
    return Retried([&] { return SysFtruncate(fd, length); });
}

int FileSystem::Fstat(int fd, struct stat* info) {
    return Retried([&] { return SysFstat(fd, info); });
}

int FileSystem::Stat(const std::string& path, struct stat* info) {
    return Retried([&] { return SysStat(path, info); });
}

int FileSystem::Lstat(const std::string& path, struct stat* info) {
    return Retried([&] { return SysLstat(path, info); });
}

int FileSystem::Fchmod(int fd, mode_t mode) {
    return Retried([&] { return SysFchmod(fd, mode); });
}

int FileSystem::Fchown(int fd, uid_t owner, gid_t group) {
    return Retried([&] { return SysFchown(fd, owner, group); });
}

ssize_t FileSystem::ListXattr(const std::string& path, char* names, std::size_t size) {
    return Retried([&] { return SysListXattr(path, names, size); });
}

ssize_t FileSystem::GetXattr(const std::string& path, const char* name, void* value,
                             std::size_t size) {
    return Retried([&] { return SysGetXattr(path, name, value, size); });
}

ssize_t FileSystem::FlistXattr(int fd, char* names, std::size_t size) {
    return Retried([&] { return SysFlistXattr(fd, names, size); });
}

int FileSystem::FsetXattr(int fd, const char* name, const void* value, std::size_t size) {
    return Retried([&] { return SysFsetXattr(fd, name, value, size); });
}

int FileSystem::FremoveXattr(int fd, const char* name) {
    return Retried([&] { return SysFremoveXattr(fd, name); });
}

int FileSystem::Rename(const std::string& from, const std::string& to) {
    return Retried([&] { return SysRename(from, to); });
}

int FileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
    return Retried([&] { return SysRenameNoReplace(from, to); });
}

int FileSystem::Link(const std::string& from, const std::string& to) {
    return Retried([&] { return SysLink(from, to); });
}

int FileSystem::LinkOpenFile(int fd, const std::string& path) {
    return Retried([&] { return SysLinkOpenFile(fd, path); });
}

int FileSystem::Unlink(const std::string& path) {
    return Retried([&] { return SysUnlink(path); });
}

ssize_t FileSystem::ReadLink(const std::string& path, char* buffer, std::size_t size) {
    return Retried([&] { return SysReadLink(path, buffer, size); });
}

int FileSystem::Mkdir(const std::string& path, mode_t mode) {
    return Retried([&] { return SysMkdir(path, mode); });
}

int FileSystem::Access(const std::string& path, int mode) {
    return Retried([&] { return SysAccess(path, mode); });
}

bool FileSystem::WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t done = Write(fd, bytes.data(), bytes.size());
        if (done <= 0) {
            if (done == 0) errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(done));
    }
    return true;
}

bool FileSystem::WriteAllAt(int fd, std::string_view bytes, off_t offset) {
    while (!bytes.empty()) {
        const ssize_t done = PWrite(fd, bytes.data(), bytes.size(), offset);
        if (done <= 0) {
            if (done == 0) errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(done));
        offset += done;
    }
    return true;
}

std::string FileSystem::Reason(const std::string& what, const std::string& path, int error) {
    return what + " \"" + path + "\": " + std::strerror(error);
}

FileSystem& FileSystem::Real() {
    static FileSystem real;
    return real;
}

// ---- One attempt each

int FileSystem::SysOpen(const std::string& path, int flags, mode_t mode) {
    return ::open(path.c_str(), flags, mode);
}

int FileSystem::SysClose(int fd) {
    return ::close(fd);
}

ssize_t FileSystem::SysRead(int fd, void* buffer, std::size_t size) {
    return ::read(fd, buffer, size);
}

ssize_t FileSystem::SysPRead(int fd, void* buffer, std::size_t size, off_t offset) {
    return ::pread(fd, buffer, size, offset);
}

ssize_t FileSystem::SysWrite(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}

ssize_t FileSystem::SysPWrite(int fd, const void* data, std::size_t size, off_t offset) {
    return ::pwrite(fd, data, size, offset);
}

int FileSystem::SysFsync(int fd) {
    return ::fsync(fd);
}

int FileSystem::SysFallocate(int fd, off_t length) {
    return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, length);
}

int FileSystem::SysFtruncate(int fd, off_t length) {
    return ::ftruncate(fd, length);
}

int FileSystem::SysFstat(int fd, struct stat* info) {
    return ::fstat(fd, info);
}

int FileSystem::SysStat(const std::string& path, struct stat* info) {
    return ::stat(path.c_str(), info);
}

int FileSystem::SysLstat(const std::string& path, struct stat* info) {
    return ::lstat(path.c_str(), info);
}

int FileSystem::SysFchmod(int fd, mode_t mode) {
    return ::fchmod(fd, mode);
}

int FileSystem::SysFchown(int fd, uid_t owner, gid_t group) {
    return ::fchown(fd, owner, group);
}

ssize_t FileSystem::SysListXattr(const std::string& path, char* names, std::size_t size) {
    return ::listxattr(path.c_str(), names, size);
}

ssize_t FileSystem::SysGetXattr(const std::string& path, const char* name, void* value,
                                std::size_t size) {
    return ::getxattr(path.c_str(), name, value, size);
}

ssize_t FileSystem::SysFlistXattr(int fd, char* names, std::size_t size) {
    return ::flistxattr(fd, names, size);
}

int FileSystem::SysFsetXattr(int fd, const char* name, const void* value, std::size_t size) {
    return ::fsetxattr(fd, name, value, size, 0);
}

int FileSystem::SysFremoveXattr(int fd, const char* name) {
    return ::fremovexattr(fd, name);
}

int FileSystem::SysRename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str());
}

int FileSystem::SysRenameNoReplace(const std::string& from, const std::string& to) {
    return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
}

int FileSystem::SysLink(const std::string& from, const std::string& to) {
    return ::link(from.c_str(), to.c_str());
}

int FileSystem::SysLinkOpenFile(int fd, const std::string& path) {
    // Linking by descriptor itself needs a privilege; the descriptor's /proc entry does not.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW);
}

int FileSystem::SysUnlink(const std::string& path) {
    return ::unlink(path.c_str());
}

ssize_t FileSystem::SysReadLink(const std::string& path, char* buffer, std::size_t size) {
    return ::readlink(path.c_str(), buffer, size);
}

int FileSystem::SysMkdir(const std::string& path, mode_t mode) {
    return ::mkdir(path.c_str(), mode);
}

int FileSystem::SysAccess(const std::string& path, int mode) {
    return ::access(path.c_str(), mode);
}

} // namespace safefile
