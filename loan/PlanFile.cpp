#include "PlanFile.h"

#include "safefile/Descriptor.h"
#include "safefile/SafeFile.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdio>
#include <limits>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>

namespace loan {

namespace {

using Json = nlohmann::json;

// A plan file is a few kilobytes; anything far larger is not one, and is not read into memory.
constexpr std::size_t kLargestFile = std::size_t{16} << 20;

// Thrown while reading: the reason the file is not a plan file.
struct Damage {
    std::string why;
};

// A date as the file writes it, also one that does not exist (a plan may hold one, and Resolve
// names it): yyyy-mm-dd.
std::string DateText(const std::chrono::year_month_day& date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()) % 10000,
                  static_cast<unsigned>(date.month()) % 100,
                  static_cast<unsigned>(date.day()) % 100);
    return text;
}

Json WhenJson(const calc::PlanWhen& when) {
    if (const int* period = std::get_if<int>(&when)) return *period;
    return DateText(std::get<std::chrono::year_month_day>(when));
}

Json PlanJson(const calc::LoanPlan& plan) {
    Json out = Json::object();
    if (plan.start) out["start"] = DateText(*plan.start);
    if (plan.fixedYears) out["fixedYears"] = *plan.fixedYears;
    if (plan.revertRatePercent) out["revertRate"] = *plan.revertRatePercent;
    if (!plan.rateChanges.empty()) {
        Json changes = Json::array();
        for (const calc::RateChange& change : plan.rateChanges)
            changes.push_back({{"when", WhenJson(change.when)}, {"rate", change.ratePercent}});
        out["rateChanges"] = std::move(changes);
    }
    if (!plan.lumpSums.empty()) {
        Json sums = Json::array();
        for (const calc::LumpSum& sum : plan.lumpSums)
            sums.push_back({{"when", WhenJson(sum.when)},
                            {"cents", sum.amount},
                            {"part", sum.part == calc::PlanPart::Fixed ? "fixed" : "variable"}});
        out["lumpSums"] = std::move(sums);
    }
    if (plan.afterRateChange == calc::AfterRateChange::PaymentStays)
        out["afterRateChange"] = "payment stays";
    if (plan.afterLumpSum == calc::AfterLumpSum::PaymentFollows)
        out["afterLumpSum"] = "payment follows";
    if (plan.carryOver) out["carryOver"] = true;
    return out;
}

const Json* Member(const Json& object, const char* key) {
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

double Number(const Json& value, const std::string& what) {
    if (!value.is_number()) throw Damage{what + " is not a number"};
    return value.get<double>();
}

std::chrono::year_month_day Date(const Json& value, const std::string& what) {
    const auto when =
        value.is_string() ? calc::LoanPlan::ParseWhen(value.get<std::string>()) : std::nullopt;
    if (!when || !std::holds_alternative<std::chrono::year_month_day>(*when))
        throw Damage{what + " is not a date written yyyy-mm-dd"};
    return std::get<std::chrono::year_month_day>(*when);
}

calc::PlanWhen When(const Json& value, const std::string& what) {
    if (value.is_number_integer()) {
        const auto period = value.get<long long>();
        if (period < std::numeric_limits<int>::min() || period > std::numeric_limits<int>::max())
            throw Damage{what + " is a period beyond any loan"};
        return static_cast<int>(period);
    }
    return Date(value, what);
}

template <typename Choice>
Choice Either(const Json* value, const std::string& what, const char* first, Choice firstChoice,
              const char* second, Choice secondChoice) {
    if (!value) return firstChoice;
    if (*value == first) return firstChoice;
    if (*value == second) return secondChoice;
    throw Damage{what + " is neither \"" + first + "\" nor \"" + second + "\""};
}

const Json& Array(const Json* value, const std::string& what) {
    static const Json empty = Json::array();
    if (!value) return empty;
    if (!value->is_array()) throw Damage{what + " are not a list"};
    return *value;
}

calc::LoanPlan PlanOf(const Json& entry, const std::string& name) {
    calc::LoanPlan plan;
    if (const Json* start = Member(entry, "start")) plan.start = Date(*start, name + ": the start");
    if (const Json* years = Member(entry, "fixedYears"))
        plan.fixedYears = Number(*years, name + ": the fixed period");
    if (const Json* rate = Member(entry, "revertRate"))
        plan.revertRatePercent = Number(*rate, name + ": the revert rate");
    const Json& changes = Array(Member(entry, "rateChanges"), name + ": the rate changes");
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const std::string what = name + ": rate change " + std::to_string(i + 1);
        const Json& change = changes[i];
        const Json* when = change.is_object() ? Member(change, "when") : nullptr;
        const Json* rate = change.is_object() ? Member(change, "rate") : nullptr;
        if (!when || !rate) throw Damage{what + " lacks its period or its rate"};
        plan.rateChanges.push_back({When(*when, what), Number(*rate, what + "'s rate")});
    }
    const Json& sums = Array(Member(entry, "lumpSums"), name + ": the lump sums");
    for (std::size_t i = 0; i < sums.size(); ++i) {
        const std::string what = name + ": lump sum " + std::to_string(i + 1);
        const Json& sum = sums[i];
        const Json* when = sum.is_object() ? Member(sum, "when") : nullptr;
        const Json* cents = sum.is_object() ? Member(sum, "cents") : nullptr;
        if (!when || !cents) throw Damage{what + " lacks its period or its amount"};
        if (!cents->is_number_integer()) throw Damage{what + "'s amount is not whole cents"};
        plan.lumpSums.push_back({When(*when, what), cents->get<calc::Cents>(),
                                 Either(Member(sum, "part"), what + "'s part", "variable",
                                        calc::PlanPart::Variable, "fixed", calc::PlanPart::Fixed)});
    }
    plan.afterRateChange = Either(Member(entry, "afterRateChange"), name + ": afterRateChange",
                                  "payment follows", calc::AfterRateChange::PaymentFollows,
                                  "payment stays", calc::AfterRateChange::PaymentStays);
    plan.afterLumpSum = Either(Member(entry, "afterLumpSum"), name + ": afterLumpSum",
                               "payment stays", calc::AfterLumpSum::PaymentStays, "payment follows",
                               calc::AfterLumpSum::PaymentFollows);
    if (const Json* carry = Member(entry, "carryOver")) {
        if (!carry->is_boolean()) throw Damage{name + ": carryOver is neither true nor false"};
        plan.carryOver = carry->get<bool>();
    }
    return plan;
}

PlansRead Unreadable(PlansRead::State state, std::string why) {
    PlansRead read;
    read.state = state;
    read.error = std::move(why);
    return read;
}

} // namespace

std::string PlanFile::Text(const Plans& plans) {
    Json list = Json::array();
    for (const auto& [code, plan] : plans) {
        Json entry = PlanJson(plan);
        entry["code"] = code;
        list.push_back(std::move(entry));
    }
    const Json file = {{"format", kFormat}, {"version", kVersion}, {"plans", std::move(list)}};
    // Codes come from the loan file's Windows-1252 text as UTF-8; should one not be, it is
    // written with replacement characters rather than failing the save.
    return file.dump(1, '\t', false, Json::error_handler_t::replace) + "\n";
}

PlansRead PlanFile::Parse(std::string_view text) {
    const Json file = Json::parse(text.begin(), text.end(), nullptr, false);
    if (file.is_discarded()) return Unreadable(PlansRead::State::Damaged, "it is not JSON");
    if (!file.is_object() || !file.contains("format") || file["format"] != kFormat)
        return Unreadable(PlansRead::State::Damaged, "it is not a file of loan plans");
    const Json* version = Member(file, "version");
    if (!version || !version->is_number_integer() || version->get<long long>() < 1)
        return Unreadable(PlansRead::State::Damaged, "its format version is missing");
    if (version->get<long long>() > kVersion)
        return Unreadable(PlansRead::State::Newer,
                          "it was written by a later version of the program (format version " +
                              std::to_string(version->get<long long>()) + "; this version reads " +
                              std::to_string(kVersion) + ")");
    try {
        PlansRead read;
        read.state = PlansRead::State::Read;
        const Json& list = Array(Member(file, "plans"), "the plans");
        for (std::size_t i = 0; i < list.size(); ++i) {
            const Json& entry = list[i];
            const std::string name = "plan " + std::to_string(i + 1);
            const Json* code = entry.is_object() ? Member(entry, "code") : nullptr;
            if (!code || !code->is_string()) throw Damage{name + " has no loan code"};
            if (!read.plans.emplace(code->get<std::string>(), PlanOf(entry, name)).second)
                throw Damage{name + " is a second plan for the loan " + code->dump()};
        }
        return read;
    } catch (const Damage& damage) {
        return Unreadable(PlansRead::State::Damaged, damage.why);
    } catch (const Json::exception&) {
        return Unreadable(PlansRead::State::Damaged, "an entry is not as the format has it");
    }
}

PlansRead PlanFile::Read(const std::string& path, safefile::FileSystem& fs) {
    using safefile::FileSystem;
    safefile::Descriptor file(fs, fs.Open(path, O_RDONLY | O_NONBLOCK));
    if (!file.IsOpen()) {
        const int error = errno;
        if (error == ENOENT) return {};
        return Unreadable(PlansRead::State::Damaged,
                          FileSystem::Reason("Cannot open", path, error));
    }
    struct stat info {};
    if (fs.Fstat(file.Get(), &info) != 0)
        return Unreadable(PlansRead::State::Damaged,
                          FileSystem::Reason("Cannot read", path, errno));
    if (!S_ISREG(info.st_mode))
        return Unreadable(PlansRead::State::Damaged, "it is not a regular file");
    if (static_cast<std::uint64_t>(info.st_size) > kLargestFile)
        return Unreadable(PlansRead::State::Damaged, "it is far larger than a file of plans");
    std::string text;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = fs.Read(file.Get(), buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0)
            return Unreadable(PlansRead::State::Damaged,
                              FileSystem::Reason("Cannot read", path, errno));
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > kLargestFile)
            return Unreadable(PlansRead::State::Damaged, "it is far larger than a file of plans");
    }
    return Parse(text);
}

safefile::WriteOutcome PlanFile::Write(const std::string& path, const Plans& plans,
                                       safefile::FileSystem& fs,
                                       const safefile::BackupStore& backups) {
    return safefile::SafeFile::Write(path, Text(plans), {backups, fs});
}

bool PlanFile::IsEmpty(const calc::LoanPlan& plan) {
    return Same(plan, calc::LoanPlan{});
}

bool PlanFile::Same(const calc::LoanPlan& a, const calc::LoanPlan& b) {
    return PlanJson(a) == PlanJson(b);
}

} // namespace loan
