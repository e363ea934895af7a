#include "RecoveryWriter.h"

#include "safefile/FolderSync.h"
#include "safefile/SafeFile.h"

#include <cerrno>
#include <exception>
#include <utility>

namespace loan {

RecoveryWriter::RecoveryWriter(RecoveryFolder folder, safefile::BackupStore backups)
    : folder_(std::move(folder)), backups_(std::move(backups)), path_(folder_.OwnCopy()) {}

RecoveryWriter::~RecoveryWriter() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void RecoveryWriter::Write(RecoveryHeader header, GridSnapshot loans) {
    Ask({false, std::move(header), std::move(loans)});
}

void RecoveryWriter::Remove() {
    Ask({true, {}, {}});
}

void RecoveryWriter::Prepare(std::function<void()> job) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        prepare_ = std::move(job);
    }
    if (!thread_.joinable()) thread_ = std::thread(&RecoveryWriter::Run, this);
    wake_.notify_one();
}

void RecoveryWriter::Ask(Request request) {
    std::optional<Request> replaced;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        // The request it replaces lets go of its snapshot outside the lock.
        replaced = std::exchange(pending_, std::move(request));
    }
    if (!thread_.joinable()) thread_ = std::thread(&RecoveryWriter::Run, this);
    wake_.notify_one();
}

void RecoveryWriter::Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return !pending_ && !prepare_ && !busy_; });
}

std::string RecoveryWriter::LastError() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return lastError_;
}

void RecoveryWriter::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return pending_ || prepare_ || stopping_; });
        if (!pending_ && stopping_) return; // with nothing left to write
        if (!pending_) {
            const std::function<void()> job = std::exchange(prepare_, nullptr);
            busy_ = true;
            lock.unlock();
            try {
                job();
            } catch (const std::exception&) {
                // Room not made: the snapshot makes its own.
            }
            lock.lock();
            busy_ = false;
            if (!pending_ && !prepare_) idle_.notify_all();
            continue;
        }
        std::optional<Request> request = std::exchange(pending_, std::nullopt);
        busy_ = true;
        lock.unlock();
        std::string error = Do(*request);
        // The snapshot goes before the writer says it is idle: its rows are then free to change.
        request.reset();
        lock.lock();
        lastError_ = std::move(error);
        busy_ = false;
        if (!pending_ && !prepare_) idle_.notify_all();
    }
}

std::string RecoveryWriter::Do(const Request& request) {
    safefile::FileSystem& fs = folder_.Fs();
    try {
        if (request.remove) {
            if (fs.Unlink(path_) != 0 && errno != ENOENT)
                return safefile::FileSystem::Reason("Cannot remove", path_, errno);
            // A copy that came back after a power cut would be offered for loans long saved.
            safefile::FolderSync::Sync(fs, folder_.Folder());
            return {};
        }
        if (const int made = folder_.Make(); made != 0)
            return safefile::FileSystem::Reason("Cannot make the folder", folder_.Folder(), made);
        const safefile::WriteOutcome outcome = safefile::SafeFile::Write(
            path_,
            [&request](const safefile::SafeFile::Sink& sink) {
                return RecoveryCopy::Write(request.header, request.loans, sink);
            },
            {backups_, fs, 0600});
        return outcome.Saved() ? std::string() : outcome.error;
    } catch (const std::exception& e) {
        return e.what();
    }
}

} // namespace loan
