#include "Descriptor.h"

#include <cerrno>

namespace safefile {

Descriptor::~Descriptor() {
    const int saved = errno;
    if (fd_ >= 0) fs_.Close(fd_);
    errno = saved;
}

int Descriptor::Close() {
    if (fd_ < 0) return 0;
    const int fd = Release();
    // Linux has released the descriptor even then, and whatever must be on disk has been synced
    // before a close is relied on.
    return fs_.Close(fd) == 0 || errno == EINTR ? 0 : errno;
}

int Descriptor::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void Descriptor::Adopt(int fd) {
    if (fd_ >= 0 && fd_ != fd) {
        const int saved = errno;
        fs_.Close(fd_);
        errno = saved;
    }
    fd_ = fd;
}

} // namespace safefile
