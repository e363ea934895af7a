#include "FolderSync.h"

#include "Descriptor.h"

#include <cerrno>

#include <fcntl.h>

namespace safefile {

int FolderSync::Sync(FileSystem& fs, const std::string& folder) {
    Descriptor dir(fs, fs.Open(folder, O_RDONLY | O_DIRECTORY));
    if (!dir.IsOpen()) return errno;
    const int synced = fs.Fsync(dir.Get()) == 0 || errno == EINVAL ? 0 : errno;
    const int closed = dir.Close();
    return synced != 0 ? synced : closed;
}

} // namespace safefile
