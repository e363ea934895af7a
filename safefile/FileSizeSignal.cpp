#include "FileSizeSignal.h"

#include <csignal>

namespace safefile {

namespace {

void OnFileSizeSignal(int) {}

} // namespace

void FileSizeSignal::Catch() {
    struct sigaction action {};
    action.sa_handler = OnFileSizeSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGXFSZ, &action, nullptr);
}

} // namespace safefile
