#include "LoanTable.h"

#include <stdexcept>

namespace loan {

int RepaymentTimeIndexOf(std::string_view name) {
    for (int i = 1; i < static_cast<int>(kRepaymentTimeNames.size()); ++i)
        if (kRepaymentTimeNames[static_cast<std::size_t>(i)] == name) return i;
    return kDefaultRepaymentTime;
}

std::string_view RepaymentTimeName(int index) {
    if (index < 1 || index >= static_cast<int>(kRepaymentTimeNames.size()))
        return kRepaymentTimeNames[kDefaultRepaymentTime];
    return kRepaymentTimeNames[static_cast<std::size_t>(index)];
}

void UpperCaseInto(std::string_view text, char* out) {
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out[i] = (b >= 'a' && b <= 'z') ? static_cast<char>(b - 0x20) : static_cast<char>(b);
            continue;
        }
        out[i] = text[i];
        if (i + 1 >= n) continue;
        const auto c = static_cast<unsigned char>(text[i + 1]);
        // The lower-case letters of Windows-1252 are all two-byte sequences, and so are their
        // capitals; anything else is copied through untouched.
        unsigned char lead = b, trail = c;
        if (b == 0xC3 && c >= 0xA0 && c <= 0xBE && c != 0xB7) {
            trail = static_cast<unsigned char>(c - 0x20); // à..þ except ÷
        } else if (b == 0xC3 && c == 0xBF) {
            lead = 0xC5, trail = 0xB8; // ÿ -> Ÿ
        } else if (b == 0xC5 && (c == 0xA1 || c == 0x93 || c == 0xBE)) {
            trail = static_cast<unsigned char>(c - 1); // š œ ž
        } else {
            continue;
        }
        out[i] = static_cast<char>(lead);
        out[i + 1] = static_cast<char>(trail);
        ++i;
    }
}

std::string UpperCase(std::string_view text) {
    std::string upper(text.size(), '\0');
    UpperCaseInto(text, upper.data());
    return upper;
}

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

LoanTable::LoanTable() : Grid(kLoanCols, 2) {
    SetUp();
}

void LoanTable::SetUp() {
    for (int c = 0; c < kLoanCols; ++c)
        Grid.SetColWidth(c, kColumnTwips[static_cast<std::size_t>(c)]);
    Grid.SetRow(0);
    for (int c = 0; c < kLoanCols; ++c) {
        Grid.SetCol(c);
        Grid.SetText(kHeadings[static_cast<std::size_t>(c)]);
    }
}

void LoanTable::Clear() {
    Grid.SetRows(2);
    Grid.SetRow(1);
    for (int c = 0; c < kLoanCols; ++c) {
        Grid.SetCol(c);
        Grid.SetText("");
    }
}

int LoanTable::FindExactCode(std::string_view code) {
    Grid.SetCol(ColCode);
    for (int r = 1; r < Grid.Rows(); ++r) {
        Grid.SetRow(r);
        if (Grid.Text() == code) return r;
    }
    return -1;
}

void LoanTable::WriteLoan(int row, const std::array<std::string, kLoanCols>& texts) {
    if (row < 1 || row >= Grid.Rows()) throw std::out_of_range("WriteLoan: not a loan row");
    // Writing into the blank last row first adds a new blank row to end the table.
    if (row == Grid.Rows() - 1) Grid.SetRows(Grid.Rows() + 1);
    Grid.SetRow(row);
    for (int c = 0; c < kLoanCols; ++c) {
        Grid.SetCol(c);
        Grid.SetText(texts[static_cast<std::size_t>(c)]);
    }
    FileChanged = true;
}

void LoanTable::DeleteLoan(int row) {
    // The heading row and the blank last row are not loans; removing either would break the
    // table's shape.
    if (row < 1 || row >= Grid.Rows() - 1) return;
    Grid.RemoveItem(row);
    FileChanged = true;
}

} // namespace loan
