#include "RecoveryCopy.h"

#include "LoanRecord.h"
#include "LoanTable.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <map>
#include <memory>

namespace loan {

namespace {

constexpr std::string_view kMagic = "DRAVENHOLT LOAN RECOVERY ";
constexpr std::string_view kCheck = "check ";
constexpr int kRecordsPerChunk = 8192; // about 1 MB

// A 64-bit checksum that takes eight bytes a step: a copy of a million loans is 114 MB, read
// whole before it is offered. Damage and truncation are what it must catch, not an attacker.
class Checksum64 {
  public:
    void Add(std::string_view bytes) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        std::size_t n = bytes.size();
        while (n > 0 && pending_ > 0) {
            Byte(*p++);
            --n;
        }
        for (; n >= 8; p += 8, n -= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            Word(word);
        }
        for (; n > 0; --n)
            Byte(*p++);
    }

    std::string Hex() const {
        std::uint64_t h = state_ ^ (length_ * 0x9E3779B97F4A7C15ull);
        for (unsigned i = 0; i < pending_; ++i)
            h = (h ^ buffer_[i]) * kPrime;
        h ^= h >> 29;
        h *= 0xBF58476D1CE4E5B9ull;
        h ^= h >> 32;
        static constexpr char kDigits[] = "0123456789abcdef";
        std::string text(16, '0');
        for (int i = 15; i >= 0; --i, h >>= 4)
            text[static_cast<std::size_t>(i)] = kDigits[h & 15];
        return text;
    }

  private:
    static constexpr std::uint64_t kPrime = 0x100000001B3ull;

    void Word(std::uint64_t word) {
        state_ = (state_ ^ word) * kPrime;
        state_ ^= state_ >> 31;
        length_ += 8;
    }
    void Byte(unsigned char byte) {
        buffer_[pending_++] = byte;
        if (pending_ < 8) return;
        std::uint64_t word;
        std::memcpy(&word, buffer_.data(), 8);
        pending_ = 0;
        Word(word);
    }

    std::uint64_t state_ = 0xCBF29CE484222325ull;
    std::uint64_t length_ = 0;
    std::array<unsigned char, 8> buffer_{};
    unsigned pending_ = 0;
};

// The sink, with every byte that passes counted into the checksum.
class CheckedSink {
  public:
    explicit CheckedSink(const RecoveryCopy::Sink& sink) : sink_(sink) {}
    bool operator()(std::string_view bytes) {
        checksum_.Add(bytes);
        return sink_(bytes);
    }
    std::string Hex() const { return checksum_.Hex(); }

  private:
    const RecoveryCopy::Sink& sink_;
    Checksum64 checksum_;
};

std::string SectionStart(std::string_view name, std::uint64_t size) {
    return std::string(name) + " " + std::to_string(size) + "\n";
}

bool PutSection(CheckedSink& out, std::string_view name, std::string_view bytes) {
    return out(SectionStart(name, bytes.size())) && out(bytes) && out("\n");
}

std::string YesNo(bool value) {
    return value ? "yes" : "no";
}

std::string IdentityText(const std::optional<safefile::FileIdentity>& identity) {
    if (!identity) return {};
    return std::to_string(identity->device) + " " + std::to_string(identity->inode) + " " +
           std::to_string(identity->size) + " " + std::to_string(identity->modifiedSeconds) + " " +
           std::to_string(identity->modifiedNanoseconds);
}

template <typename Number> bool ParseNumber(std::string_view text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

bool ParseYesNo(std::string_view text, bool& value) {
    if (text != "yes" && text != "no") return false;
    value = text == "yes";
    return true;
}

bool ParseIdentity(std::string_view text, std::optional<safefile::FileIdentity>& identity) {
    if (text.empty()) {
        identity.reset();
        return true;
    }
    safefile::FileIdentity parsed;
    std::array<std::string_view, 5> parts;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const auto space = text.find(' ');
        if ((space == std::string_view::npos) != (i + 1 == parts.size())) return false;
        parts[i] = text.substr(0, space);
        text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
    }
    if (!ParseNumber(parts[0], parsed.device) || !ParseNumber(parts[1], parsed.inode) ||
        !ParseNumber(parts[2], parsed.size) || !ParseNumber(parts[3], parsed.modifiedSeconds) ||
        !ParseNumber(parts[4], parsed.modifiedNanoseconds))
        return false;
    identity = parsed;
    return true;
}

} // namespace

bool RecoveryCopy::Write(const RecoveryHeader& header, const GridSnapshot& loans,
                         const Sink& sink) {
    if (loans.Cols() != kLoanCols || loans.Rows() < 2) return false;
    CheckedSink out(sink);
    const int records = loans.Rows() - 1;
    const bool started =
        out(std::string(kMagic) + std::to_string(kVersion) + "\n") &&
        PutSection(out, "program", header.program) &&
        PutSection(out, "made", std::to_string(header.madeAt)) &&
        PutSection(out, "file", header.fileName) &&
        PutSection(out, "untitled", YesNo(header.fileName.empty())) &&
        PutSection(out, "identity", IdentityText(header.identity)) &&
        PutSection(out, "file-loans", std::to_string(header.fileLoans)) &&
        PutSection(out, "query-hid", YesNo(header.queryHid)) &&
        PutSection(out, "tail-bytes", std::to_string(header.tailBytes)) &&
        (header.plans.empty() || PutSection(out, "plans", header.plans)) &&
        (header.unreadablePlans.empty() ||
         PutSection(out, "unreadable-plans", header.unreadablePlans)) &&
        out(SectionStart("loans", static_cast<std::uint64_t>(records) * LoanRecord::kSize));
    if (!started) return false;

    const int chunkRecords = std::min(records, kRecordsPerChunk);
    const auto chunk = std::make_unique_for_overwrite<char[]>(
        static_cast<std::size_t>(chunkRecords) * LoanRecord::kSize);
    std::array<std::string_view, kLoanCols> texts;
    std::size_t used = 0;
    for (int row = 1; row < loans.Rows(); ++row) {
        loans.RowTexts(row, texts.data());
        LoanRecord::Encode(texts.data(), chunk.get() + used);
        used += LoanRecord::kSize;
        if (used == static_cast<std::size_t>(chunkRecords) * LoanRecord::kSize) {
            if (!out(std::string_view(chunk.get(), used))) return false;
            used = 0;
        }
    }
    if (used > 0 && !out(std::string_view(chunk.get(), used))) return false;
    if (!out("\n")) return false;
    return sink(std::string(kCheck) + out.Hex() + "\n");
}

std::optional<RecoveryCopy::Contents> RecoveryCopy::Read(std::string_view bytes,
                                                         std::string& error) {
    const auto damaged = [&error](std::string why) -> std::optional<Contents> {
        error = std::move(why);
        return std::nullopt;
    };
    const std::string expectedStart = std::string(kMagic) + std::to_string(kVersion) + "\n";
    if (bytes.substr(0, kMagic.size()) != kMagic) return damaged("it is not a recovery copy.");
    if (bytes.substr(0, expectedStart.size()) != expectedStart)
        return damaged("it was written in a format this version does not read.");

    // The check line is the last line; everything before it is what it checks.
    const std::size_t checkLine = bytes.rfind(std::string("\n") + std::string(kCheck));
    if (bytes.empty() || bytes.back() != '\n' || checkLine == std::string_view::npos ||
        checkLine + 1 + kCheck.size() + 16 + 1 != bytes.size())
        return damaged("it ends before its check line: it was cut short.");
    const std::string_view checked = bytes.substr(0, checkLine + 1);
    if (bytes.substr(checkLine + 1 + kCheck.size(), 16) != RecoveryCopy::Checksum(checked))
        return damaged("its checksum does not match its content.");

    std::map<std::string_view, std::string_view> sections;
    std::string_view rest = checked.substr(expectedStart.size());
    while (!rest.empty()) {
        const auto space = rest.find(' ');
        const auto newline = rest.find('\n');
        std::uint64_t size = 0;
        if (space == std::string_view::npos || newline == std::string_view::npos || space == 0 ||
            space > newline || !ParseNumber(rest.substr(space + 1, newline - space - 1), size) ||
            size > rest.size() - newline - 1 || rest.size() - newline - 1 - size < 1 ||
            rest[newline + 1 + size] != '\n')
            return damaged("its sections do not add up.");
        const std::string_view name = rest.substr(0, space);
        if (!sections.emplace(name, rest.substr(newline + 1, size)).second)
            return damaged("it holds the section \"" + std::string(name) + "\" twice.");
        rest.remove_prefix(newline + 1 + size + 1);
    }

    Contents contents;
    RecoveryHeader& header = contents.header;
    const auto section = [&sections](std::string_view name) -> std::optional<std::string_view> {
        const auto found = sections.find(name);
        if (found == sections.end()) return std::nullopt;
        return found->second;
    };
    const auto program = section("program");
    const auto made = section("made");
    const auto file = section("file");
    const auto untitled = section("untitled");
    const auto identity = section("identity");
    const auto fileLoans = section("file-loans");
    const auto queryHid = section("query-hid");
    const auto tailBytes = section("tail-bytes");
    const auto loans = section("loans");
    if (!program || !made || !file || !untitled || !identity || !fileLoans || !queryHid ||
        !tailBytes || !loans)
        return damaged("a section it must have is missing.");
    bool isUntitled = false;
    if (!ParseNumber(*made, header.madeAt) || !ParseYesNo(*untitled, isUntitled) ||
        isUntitled != file->empty() || !ParseIdentity(*identity, header.identity) ||
        !ParseNumber(*fileLoans, header.fileLoans) || !ParseYesNo(*queryHid, header.queryHid) ||
        !ParseNumber(*tailBytes, header.tailBytes))
        return damaged("its header cannot be read.");
    // At least the blank row that ends every table, and whole records only.
    if (loans->empty() || loans->size() % LoanRecord::kSize != 0)
        return damaged("its loans are not whole loan records.");
    header.program = std::string(*program);
    header.fileName = std::string(*file);
    if (const auto plans = section("plans")) header.plans = std::string(*plans);
    if (const auto unreadable = section("unreadable-plans"))
        header.unreadablePlans = std::string(*unreadable);
    contents.loans = *loans;
    return contents;
}

std::string RecoveryCopy::Checksum(std::string_view bytes) {
    Checksum64 checksum;
    checksum.Add(bytes);
    return checksum.Hex();
}

} // namespace loan
