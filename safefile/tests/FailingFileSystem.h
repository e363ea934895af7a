#pragma once

#include "safefile/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <string>

namespace safefile_test {

// The machine's file system, except that the n-th call of one operation fails with an error,
// as a full disk, a quota, a failing device or a signal would make it; with persistent set,
// every call of it from the n-th on fails. A failing close still releases the descriptor, as
// Linux's does. With error 0 the call throws std::bad_alloc instead, as an allocation that
// fails inside it would.
class FailingFileSystem : public safefile::FileSystem {
  public:
    using Op = safefile::FileSystem::Op;

    FailingFileSystem(Op op, int nth, int error, bool persistent = false)
        : op_(op), nth_(nth), error_(error), persistent_(persistent) {}

    bool Fired() const { return fired_; }
    std::string What() const {
        return std::string(NameOf(op_)) + " call " + std::to_string(nth_) + ", " +
               (error_ == 0 ? "out of memory" : std::string(std::strerror(error_))) +
               (persistent_ ? ", for good" : "");
    }

  protected:
    bool Fails(Op op) {
        if (op != op_) return false;
        const int call = ++calls_;
        if (call < nth_ || (call > nth_ && !persistent_)) return false;
        fired_ = true;
        if (error_ == 0) throw std::bad_alloc();
        errno = error_;
        return true;
    }

    int SysOpen(const std::string& path, int flags, mode_t mode) override {
        return Fails(Op::Open) ? -1 : FileSystem::SysOpen(path, flags, mode);
    }
    int SysClose(int fd) override {
        if (!Fails(Op::Close)) return FileSystem::SysClose(fd);
        FileSystem::SysClose(fd);
        return -1;
    }
    ssize_t SysRead(int fd, void* buffer, std::size_t size) override {
        return Fails(Op::Read) ? -1 : FileSystem::SysRead(fd, buffer, size);
    }
    ssize_t SysPRead(int fd, void* buffer, std::size_t size, off_t offset) override {
        return Fails(Op::PRead) ? -1 : FileSystem::SysPRead(fd, buffer, size, offset);
    }
    ssize_t SysWrite(int fd, const void* data, std::size_t size) override {
        return Fails(Op::Write) ? -1 : FileSystem::SysWrite(fd, data, size);
    }
    ssize_t SysPWrite(int fd, const void* data, std::size_t size, off_t offset) override {
        return Fails(Op::PWrite) ? -1 : FileSystem::SysPWrite(fd, data, size, offset);
    }
    int SysFsync(int fd) override { return Fails(Op::Fsync) ? -1 : FileSystem::SysFsync(fd); }
    int SysFallocate(int fd, off_t length) override {
        return Fails(Op::Fallocate) ? -1 : FileSystem::SysFallocate(fd, length);
    }
    int SysFtruncate(int fd, off_t length) override {
        return Fails(Op::Ftruncate) ? -1 : FileSystem::SysFtruncate(fd, length);
    }
    int SysFstat(int fd, struct stat* info) override {
        return Fails(Op::Fstat) ? -1 : FileSystem::SysFstat(fd, info);
    }
    int SysStat(const std::string& path, struct stat* info) override {
        return Fails(Op::Stat) ? -1 : FileSystem::SysStat(path, info);
    }
    int SysLstat(const std::string& path, struct stat* info) override {
        return Fails(Op::Lstat) ? -1 : FileSystem::SysLstat(path, info);
    }
    int SysFchmod(int fd, mode_t mode) override {
        return Fails(Op::Fchmod) ? -1 : FileSystem::SysFchmod(fd, mode);
    }
    int SysFchown(int fd, uid_t owner, gid_t group) override {
        return Fails(Op::Fchown) ? -1 : FileSystem::SysFchown(fd, owner, group);
    }
    ssize_t SysListXattr(const std::string& path, char* names, std::size_t size) override {
        return Fails(Op::ListXattr) ? -1 : FileSystem::SysListXattr(path, names, size);
    }
    ssize_t SysGetXattr(const std::string& path, const char* name, void* value,
                        std::size_t size) override {
        return Fails(Op::GetXattr) ? -1 : FileSystem::SysGetXattr(path, name, value, size);
    }
    ssize_t SysFlistXattr(int fd, char* names, std::size_t size) override {
        return Fails(Op::FlistXattr) ? -1 : FileSystem::SysFlistXattr(fd, names, size);
    }
    int SysFsetXattr(int fd, const char* name, const void* value, std::size_t size) override {
        return Fails(Op::FsetXattr) ? -1 : FileSystem::SysFsetXattr(fd, name, value, size);
    }
    int SysFremoveXattr(int fd, const char* name) override {
        return Fails(Op::FremoveXattr) ? -1 : FileSystem::SysFremoveXattr(fd, name);
    }
    int SysRename(const std::string& from, const std::string& to) override {
        return Fails(Op::Rename) ? -1 : FileSystem::SysRename(from, to);
    }
    int SysRenameNoReplace(const std::string& from, const std::string& to) override {
        return Fails(Op::RenameNoReplace) ? -1 : FileSystem::SysRenameNoReplace(from, to);
    }
    int SysLink(const std::string& from, const std::string& to) override {
        return Fails(Op::Link) ? -1 : FileSystem::SysLink(from, to);
    }
    int SysLinkOpenFile(int fd, const std::string& path) override {
        return Fails(Op::LinkOpenFile) ? -1 : FileSystem::SysLinkOpenFile(fd, path);
    }
    int SysUnlink(const std::string& path) override {
        return Fails(Op::Unlink) ? -1 : FileSystem::SysUnlink(path);
    }
    ssize_t SysReadLink(const std::string& path, char* buffer, std::size_t size) override {
        return Fails(Op::ReadLink) ? -1 : FileSystem::SysReadLink(path, buffer, size);
    }
    int SysMkdir(const std::string& path, mode_t mode) override {
        return Fails(Op::Mkdir) ? -1 : FileSystem::SysMkdir(path, mode);
    }
    int SysAccess(const std::string& path, int mode) override {
        return Fails(Op::Access) ? -1 : FileSystem::SysAccess(path, mode);
    }

  private:
    Op op_;
    int nth_;
    int error_;
    bool persistent_;
    int calls_ = 0;
    bool fired_ = false;
};

} // namespace safefile_test
