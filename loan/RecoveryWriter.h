#pragma once

#include "GridSnapshot.h"
#include "RecoveryCopy.h"
#include "RecoveryFolder.h"

#include "safefile/BackupStore.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace loan {

// Writes this program's recovery copy on a thread of its own, so that a table of a million loans
// is copied without the window waiting: the window hands over a snapshot and goes on. Requests
// are done in the order they were made, and only the latest waiting one counts: a newer copy
// makes an older one not yet begun unneeded, and a removal always comes after the write before
// it, so a copy written late can never outlive the save that made it unneeded.
class RecoveryWriter {
  public:
    // backups: where a rewrite in place of the copy keeps the old one meanwhile.
    RecoveryWriter(RecoveryFolder folder, safefile::BackupStore backups);
    // Does what was asked, then stops.
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    const std::string& Path() const { return path_; }
    // The copy of header and loans, through the safe-writing layer, private to the user.
    void Write(RecoveryHeader header, GridSnapshot loans);
    // No copy.
    void Remove();
    // Work to do when there is nothing to write: making room for the next snapshot. Only the
    // latest counts.
    void Prepare(std::function<void()> job);
    // Until everything asked so far is done, room made for snapshots too.
    void Wait();
    // Why the last request failed; empty when it succeeded.
    std::string LastError() const;

  private:
    struct Request {
        bool remove = false;
        RecoveryHeader header;
        GridSnapshot loans;
    };
    void Ask(Request request);
    void Run();
    std::string Do(const Request& request);

    RecoveryFolder folder_;
    safefile::BackupStore backups_;
    std::string path_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<Request> pending_;
    std::function<void()> prepare_;
    bool busy_ = false;
    bool stopping_ = false;
    std::string lastError_;
    std::thread thread_; // started by the first request: a window left unchanged needs none
};

} // namespace loan
