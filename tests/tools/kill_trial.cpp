// Kills saves at random moments and counts what the file is left holding. Not a test of the
// suite (it takes minutes); run by hand:
//   build/dev/tests/tools/kill_trial [trials] [replace|inplace]
// Each trial saves 200,000 loans over a file of 150,000 and SIGKILLs the saving process after a
// random delay within the time a save takes. The file must then hold the old bytes or the new
// ones; a rewrite in place may be caught half way, and is then only safe if its backup copy
// holds the old bytes whole.
#include "loan/LoanFileWriter.h"
#include "loan/LoanTable.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

loan::LoanTable TableOf(int loans, const std::string& tag) {
    loan::LoanTable table;
    table.Grid.SetRows(loans + 2);
    for (int r = 1; r <= loans; ++r) {
        const std::string code = tag + std::to_string(r);
        const std::string_view texts[13] = {code,        "250000",     "25",  "60",     "7.5",
                                            "150000",    "40",         "6.9", "100000", "Monthly",
                                            "$1,500.00", "$18,000.00", "Yes"};
        for (int c = 0; c < 13; ++c)
            table.Grid.SetTextAt(r, c, texts[c]);
    }
    return table;
}

std::string Encoded(loan::LoanTable& table) {
    std::ostringstream out;
    loan::LoanFileWriter::Write(out, table.Grid);
    return out.str();
}

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

} // namespace

int main(int argc, char** argv) {
    const int trials = argc > 1 ? std::atoi(argv[1]) : 200;
    const bool inPlace = argc > 2 && std::string(argv[2]) == "inplace";

    char folderName[] = "/tmp/kill_trial_XXXXXX";
    if (!::mkdtemp(folderName)) return 1;
    const std::string folder = folderName;
    const std::string cache = folder + "/cache";
    ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    const std::string path = folder + "/loans/loans.loa";
    fs::create_directories(folder + "/loans");

    loan::LoanTable oldTable = TableOf(150000, "OLD"), newTable = TableOf(200000, "NEW");
    const std::string oldBytes = Encoded(oldTable), newBytes = Encoded(newTable);
    const auto reset = [&] {
        fs::remove_all(folder + "/loans");
        fs::remove_all(cache);
        fs::create_directories(folder + "/loans");
        Put(path, oldBytes);
        // A second name makes every save a rewrite in place.
        if (inPlace) fs::create_hard_link(path, folder + "/loans/other-name.loa");
    };

    // How long a whole save takes, to spread the kills over it.
    reset();
    const auto start = std::chrono::steady_clock::now();
    if (!loan::LoanFileWriter::WriteFile(path, newTable.Grid).Saved()) return 1;
    const auto saveTime = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);

    std::mt19937 random(20261208);
    std::uniform_int_distribution<long> delay(0, saveTime.count() * 12 / 10);
    int asOld = 0, asNew = 0, halfWithBackup = 0, lost = 0, leftovers = 0;
    for (int trial = 0; trial < trials; ++trial) {
        reset();
        const pid_t child = ::fork();
        if (child == 0) {
            const bool ok = loan::LoanFileWriter::WriteFile(path, newTable.Grid).Saved();
            ::_exit(ok ? 0 : 1);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        const std::string now = Contents(path);
        const auto backups = loan::LoanFileWriter::Backups().Leftovers(path);
        if (now == oldBytes) {
            ++asOld;
        } else if (now == newBytes) {
            ++asNew;
        } else if (!backups.empty() && Contents(backups.back()) == oldBytes) {
            ++halfWithBackup;
        } else {
            ++lost;
        }
        for (const auto& entry : fs::directory_iterator(folder + "/loans"))
            if (entry.path().filename().string().find(".tmp-") != std::string::npos) ++leftovers;
    }
    std::printf("%s: %d trials, one save %.1f ms\n", inPlace ? "rewrite in place" : "replace",
                trials, static_cast<double>(saveTime.count()) / 1000.0);
    std::printf("  old content %d, new content %d, half written with a whole backup %d, "
                "neither (loans lost) %d; named temporaries left %d\n",
                asOld, asNew, halfWithBackup, lost, leftovers);
    fs::remove_all(folder);
    return lost == 0 ? 0 : 2;
}
