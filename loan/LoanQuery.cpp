#include "LoanQuery.h"

#include "LoanRecord.h"
#include "LoanTable.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace loan {

namespace {

// Upper-cases cells into one buffer, so a scan does not allocate for every row.
class UpperText {
  public:
    std::string_view Of(std::string_view text) {
        UpperCaseInto(text, buffer_);
        return buffer_;
    }

  private:
    std::string buffer_;
};

// The first characters of text, up to count of them; UTF-8 sequences are never split.
std::string_view FirstChars(std::string_view text, int count) {
    std::size_t i = 0;
    for (int n = 0; i < text.size(); ++n) {
        if (n == count) break;
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            ++i;
    }
    return text.substr(0, i);
}

void WriteCurrentRow(LoanGrid& grid, const std::string_view* texts) {
    for (int c = 0; c < grid.Cols(); ++c) {
        grid.SetCol(c);
        grid.SetText(texts[c]);
    }
}

std::vector<std::string> RowTexts(const LoanGrid& grid, int row) {
    std::vector<std::string> texts;
    for (int c = 0; c < grid.Cols(); ++c)
        texts.emplace_back(grid.TextAt(row, c));
    return texts;
}

void SetRowTexts(LoanGrid& grid, int row, const std::vector<std::string>& texts) {
    for (int c = 0; c < grid.Cols(); ++c)
        grid.SetTextAt(row, c, texts[static_cast<std::size_t>(c)]);
}

} // namespace

int LoanQuery::SearchCode(LoanGrid& grid, std::string_view entry) {
    grid.SetCol(ColCode);
    grid.SetRow(0);
    const std::string key = UpperCase(TrimmedSpaces(entry));
    if (key.empty() || grid.Rows() <= 2) return -1;
    UpperText upper;
    for (int r = 1; r < grid.Rows(); ++r) {
        grid.SetRow(r);
        if (upper.Of(grid.Text()) == key) return r;
    }
    return -1;
}

bool LoanQuery::QueryByCode(LoanGrid& grid, std::string_view code) {
    grid.SetCol(ColCode);
    grid.SetRow(0);
    const std::string key = UpperCase(Trimmed(code));
    // A blank code would find the blank last row and leave a table of two blank rows.
    if (key.empty()) return false;
    UpperText upper;
    int found = -1;
    for (int r = 1; r < grid.Rows() && found < 0; ++r) {
        grid.SetRow(r);
        if (upper.Of(Trimmed(grid.Text())) == key) found = r;
    }
    if (found < 0) return false;

    // What the loan file would keep of each cell.
    std::array<std::string, kLoanCols> kept;
    std::array<std::string_view, kLoanCols> views;
    for (int c = 0; c < kLoanCols; ++c) {
        const auto i = static_cast<std::size_t>(c);
        const std::string_view cell = grid.TextAt(found, c);
        const std::string fitted = FittedNumber(c, cell);
        kept[i] = Trimmed(fitted.empty() ? FirstChars(cell, kRecordWidths[i]) : fitted);
        views[i] = kept[i];
    }
    grid.SetRows(2);
    grid.SetRow(1);
    const std::array<std::string_view, kLoanCols> blank{};
    WriteCurrentRow(grid, blank.data());
    grid.SetRows(3);
    WriteCurrentRow(grid, views.data());
    return true;
}

void LoanQuery::QueryByExample(LoanGrid& grid, LoanGrid& staging,
                               const std::array<std::string, 8>& fields, bool optYes, bool optNo) {
    if (&staging == &grid || grid.Cols() != kLoanCols || staging.Cols() != kLoanCols)
        throw std::invalid_argument("QueryByExample needs a staging grid like the table");
    grid.SetCol(ColCode);
    grid.SetRow(0);

    struct Needle {
        int col;
        std::string text;
    };
    std::vector<Needle> needles;
    for (int k = 0; k < static_cast<int>(fields.size()); ++k) {
        std::string text = UpperCase(Trimmed(fields[static_cast<std::size_t>(k)]));
        if (!text.empty()) needles.push_back({k + 1, std::move(text)});
    }

    std::array<std::string_view, kLoanCols> cells;
    const auto matches = [&](int row, UpperText& upper) {
        grid.RowTexts(row, cells.data());
        const std::string_view active = cells[ColActive];
        if ((optYes && active == "Yes") || (optNo && active == "No")) return true;
        for (const Needle& needle : needles) {
            const std::string_view cell = Trimmed(cells[static_cast<std::size_t>(needle.col)]);
            if (upper.Of(cell).find(needle.text) != std::string_view::npos) return true;
        }
        return false;
    };

    // Collect the matching rows under the staging grid's heading row, then a blank row.
    staging.SetRows(1);
    UpperText upper;
    std::array<std::string_view, kLoanCols> texts;
    for (int r = 1; r < grid.Rows(); ++r) {
        if (!matches(r, upper)) continue;
        for (int c = 0; c < kLoanCols; ++c)
            texts[static_cast<std::size_t>(c)] = grid.TextAt(r, c);
        staging.AppendRow(texts.data(), kLoanCols);
    }
    staging.AppendRow(nullptr, 0);

    // The collected rows become the table as they are, each grid keeping its own headings.
    const std::vector<std::string> gridHeadings = RowTexts(grid, 0);
    const std::vector<std::string> stagingHeadings = RowTexts(staging, 0);
    grid.TakeRowsFrom(std::move(staging));
    SetRowTexts(grid, 0, gridHeadings);
    grid.SetRow(grid.Rows() - 1);
    grid.SetCol(grid.Cols() - 1);

    SetRowTexts(staging, 0, stagingHeadings);
    staging.SetRows(2);
    staging.SetRow(1);
    staging.SetCol(ColCode);
}

} // namespace loan
