// Random field texts through the number helpers, the loan split, the repayment table, the key
// filter and the print-out's amount text: no text the calculation writes may show an infinity
// or a NaN, and a complete table is either a failure or 14 currency texts and an empty Cel(2).
// The same loan's repayment schedule, where it has one, clears to $0.00, repays the amounts to
// the cent and pays the table's instalment.
//
// Input: one byte for the changed field, two for a typed key, one each for caret and
// selection, then texts separated by line feeds (fields 0..8, then the previous cells).

#include "calc/KeyFilter.h"
#include "calc/LoanSchedule.h"
#include "calc/LoanSplit.h"
#include "calc/NumberText.h"
#include "calc/RepaymentTable.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition, const char* what, std::string_view text) {
    if (!condition) {
        std::fprintf(stderr, "%s: \"%.*s\"\n", what, static_cast<int>(text.size()), text.data());
        std::abort();
    }
}

bool ShowsNoInfinityOrNan(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("inf") == std::string::npos && lower.find("nan") == std::string::npos;
}

// A text the calculation wrote, as opposed to one it left as it was.
void CheckWritten(std::string_view before, std::string_view after, const char* what) {
    if (before != after) {
        Check(ShowsNoInfinityOrNan(after), what, after);
    }
}

bool IsCurrencyText(std::string_view text) {
    if (text.size() < 5 || text[0] != '$') {
        return false;
    }
    const std::size_t point = text.size() - 3;
    return text[point] == '.' && std::isdigit(static_cast<unsigned char>(text[point + 1])) &&
           std::isdigit(static_cast<unsigned char>(text[point + 2]));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) {
        return 0;
    }
    const int changed = data[0] % 12 - 1;
    const int key = data[1] | (data[2] << 8);
    const int caret = data[3] % 40 - 4;
    const int selection = data[4] % 40 - 4;
    const std::string_view rest(reinterpret_cast<const char*>(data + 5), size - 5);

    calc::LoanFields fields;
    calc::RepaymentCells cells;
    std::size_t start = 0;
    for (std::size_t i = 0; i < fields.size() + cells.size() && start <= rest.size(); ++i) {
        const std::size_t end = std::min(rest.find('\n', start), rest.size());
        const std::string text(rest.substr(start, end - start));
        (i < fields.size() ? fields[i] : cells[i - fields.size()]) = text;
        start = end + 1;
    }

    for (const std::string& text : fields) {
        const double value = calc::TextValue(text);
        Check(!std::isnan(value), "TextValue gave NaN", text);
        if (std::isfinite(value)) {
            const std::string shown = calc::NumberText(value);
            Check(ShowsNoInfinityOrNan(shown) && !shown.empty(), "NumberText", shown);
            Check(calc::NumberText(calc::TextValue(shown)) == shown, "NumberText round trip",
                  shown);
            Check(calc::CurrencyTextOf(value) == calc::CurrencyText(shown), "CurrencyTextOf",
                  shown);
        }
        for (const bool dollar : {false, true}) {
            CheckWritten(text, calc::AmountText(text, dollar), "AmountText");
        }
        if (ShowsNoInfinityOrNan(text)) {
            // A text that is no number passes through behind the "$".
            Check(ShowsNoInfinityOrNan(calc::CurrencyText(text)), "CurrencyText", text);
        }
        if (const auto strict = calc::StrictNumber(text)) {
            Check(std::isfinite(*strict), "StrictNumber", text);
        }
    }

    const calc::SplitResult split = calc::SplitLoan(fields, changed);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        CheckWritten(fields[i], split.fields[i], "SplitLoan");
    }

    calc::RepaymentFields entry;
    std::copy_n(split.fields.begin(), entry.size(), entry.begin());
    const calc::RepaymentResult table = calc::CalculateRepayments(entry, cells);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        CheckWritten(cells[i], table.cells[i], "CalculateRepayments");
    }
    if (!table.failed && !table.cells[0].empty()) {
        for (std::size_t i = 0; i < table.cells.size(); ++i) {
            Check(i == 2 ? table.cells[i].empty() : IsCurrencyText(table.cells[i]), "table cell",
                  table.cells[i]);
        }
    }

    const int time = 1 + data[0] % 5;
    const calc::Cents extra = key % 1000 * 100;
    const calc::ScheduleResult result = calc::LoanSchedule::FromFields(entry, time, extra);
    if (result.schedule) {
        const calc::LoanSchedule& s = *result.schedule;
        Check(s.Totals().principal == s.Variable().Amount() + s.Fixed().Amount(),
              "schedule principal", entry[calc::FieldTerm]);
        Check(s.Periods() == 0 || s.Row(s.Periods() - 1).balance == 0, "schedule balance",
              entry[calc::FieldTerm]);
        const std::string& instalment = table.cells[static_cast<std::size_t>(3 * (time - 1))];
        Check(table.failed ||
                  instalment == calc::CurrencyTextOf(static_cast<double>(s.Instalment()) / 100),
              "schedule instalment", instalment);
    }

    std::u16string text16;
    for (const char c : split.fields[0]) {
        text16 += static_cast<char16_t>(static_cast<unsigned char>(c));
    }
    for (int index = 0; index < 8; ++index) {
        const calc::KeyRule rule = calc::KeyRuleFor(index, text16);
        const int accepted = calc::FilterKey(text16, caret, selection, key, rule);
        Check(accepted == 0 || accepted == key, "FilterKey result", split.fields[0]);
        Check(accepted == 0 || key == 8 || key == '.' || (key >= '0' && key <= '9'),
              "FilterKey accepted a character no field takes", split.fields[0]);
    }
    return 0;
}
