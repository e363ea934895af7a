#pragma once

#include "GridSnapshot.h"

#include "safefile/FileIdentity.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace loan {

// What a recovery copy says besides its loans: whose copy it is, when it was made, and all the
// open file needs to carry on as it was, Save's questions included.
struct RecoveryHeader {
    std::string program;     // the process stamp of the program that made it
    std::int64_t madeAt = 0; // seconds since 1970, UTC
    std::string fileName;    // the loan file's name as the system's bytes; empty when untitled
    std::optional<safefile::FileIdentity> identity; // the file as the program last read or wrote it
    std::int64_t fileLoans = 0;                     // how many loans the file held then
    bool queryHid = false;       // a query by example has hidden loans of the file since
    std::uint64_t tailBytes = 0; // bytes after the file's last whole loan, which a save drops
    // The loans' plans as their plan file would hold them (JSON); empty while there are none,
    // and then the copy has no plans section at all.
    std::string plans;
    // A plan file that could not be read when the loans were opened, which a save must ask
    // before it replaces; empty for none.
    std::string unreadablePlans;
};

// The recovery copy's format. The loans are records of the loan file's own format, so they read
// back exactly as a save would have written them; around them a header and a check line:
//
//   DRAVENHOLT LOAN RECOVERY 1\n            the format and its version
//   <name> <byte count>\n<bytes>\n          sections: program, made, file, untitled, identity,
//   ...                                     file-loans, query-hid, tail-bytes, plans,
//                                           unreadable-plans, loans
//   check <16 hex digits>\n                 a checksum of every byte before it
//
// A reader skips sections it does not know, so a later program can add one (as plans were)
// without a new version, and its copies still read here. A copy whose check line is missing or
// wrong, or whose sections do not add up, is damaged: it is never read as loans.
class RecoveryCopy {
  public:
    static constexpr int kVersion = 1;
    // Takes the next bytes of the copy; false when they could not be written.
    using Sink = std::function<bool(std::string_view bytes)>;

    // Hands the copy of header and rows 1.. of loans (the heading row is not a loan; the last,
    // blank row is written, as a loan file ends with it) to sink, piece by piece. False once the
    // sink has refused.
    static bool Write(const RecoveryHeader& header, const GridSnapshot& loans, const Sink& sink);

    struct Contents {
        RecoveryHeader header;
        std::string_view loans; // whole 114-byte records, inside the bytes read
    };
    // The parts of a copy, or nothing with error saying what is wrong with it.
    static std::optional<Contents> Read(std::string_view bytes, std::string& error);
    // The check line's 16 hex digits for the bytes before it.
    static std::string Checksum(std::string_view bytes);
};

} // namespace loan
