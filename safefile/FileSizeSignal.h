#pragma once

namespace safefile {

// A file size limit (ulimit -f) sends SIGXFSZ to a process that writes past it, and by default
// the signal ends the process, mid-write, with the user's work unsaved. Caught, the write fails
// with EFBIG like any other failed write, and the failure is reported.
class FileSizeSignal {
  public:
    // Once, at start-up. A handler rather than SIG_IGN: an ignored signal stays ignored in the
    // programs this one starts, a handler does not outlive exec.
    static void Catch();
};

} // namespace safefile
