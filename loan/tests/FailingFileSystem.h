#pragma once

#include "loan/FileSystem.h"

#include <array>
#include <cerrno>
#include <string>

namespace loan_test {

// The machine's file system, except that the n-th call of one operation fails with an error,
// as a full disk, a quota or a failing device would make it; with persistent set, every call of
// it from the n-th on fails.
class FailingFileSystem : public loan::FileSystem {
  public:
    enum Op {
        OpOpen,
        OpWrite,
        OpFsync,
        OpFallocate,
        OpFchmod,
        OpFchown,
        OpFsetXattr,
        OpRename,
        OpClose,
        kOps
    };
    static constexpr std::array<const char*, kOps> kNames = {
        "open", "write", "fsync", "fallocate", "fchmod", "fchown", "fsetxattr", "rename", "close"};

    FailingFileSystem(Op op, int nth, int error, bool persistent = false)
        : op_(op), nth_(nth), error_(error), persistent_(persistent) {}

    bool Fired() const { return fired_; }

    int Open(const std::string& path, int flags, mode_t mode) override {
        return Fails(OpOpen) ? -1 : FileSystem::Open(path, flags, mode);
    }
    int Close(int fd) override {
        if (!Fails(OpClose)) return FileSystem::Close(fd);
        FileSystem::Close(fd); // a failed close still releases the descriptor
        return -1;
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        return Fails(OpWrite) ? -1 : FileSystem::Write(fd, data, size);
    }
    ssize_t PWrite(int fd, const void* data, std::size_t size, off_t offset) override {
        return Fails(OpWrite) ? -1 : FileSystem::PWrite(fd, data, size, offset);
    }
    int Fsync(int fd) override { return Fails(OpFsync) ? -1 : FileSystem::Fsync(fd); }
    int Fallocate(int fd, off_t length) override {
        return Fails(OpFallocate) ? -1 : FileSystem::Fallocate(fd, length);
    }
    int Fchmod(int fd, mode_t mode) override {
        return Fails(OpFchmod) ? -1 : FileSystem::Fchmod(fd, mode);
    }
    int Fchown(int fd, uid_t owner, gid_t group) override {
        return Fails(OpFchown) ? -1 : FileSystem::Fchown(fd, owner, group);
    }
    int FsetXattr(int fd, const char* name, const void* value, std::size_t size) override {
        return Fails(OpFsetXattr) ? -1 : FileSystem::FsetXattr(fd, name, value, size);
    }
    int Rename(const std::string& from, const std::string& to) override {
        return Fails(OpRename) ? -1 : FileSystem::Rename(from, to);
    }

  private:
    bool Fails(Op op) {
        if (op != op_) return false;
        const int call = ++calls_;
        if (call < nth_ || (call > nth_ && !persistent_)) return false;
        fired_ = true;
        errno = error_;
        return true;
    }

    Op op_;
    int nth_;
    int error_;
    bool persistent_;
    int calls_ = 0;
    bool fired_ = false;
};

} // namespace loan_test
