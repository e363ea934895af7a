#include "LoanTable.h"

#include "UnicodeUpper.h"

#include <algorithm>
#include <cctype>
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

std::optional<int> RepaymentTimeTyped(std::string_view name) {
    const auto same = [](std::string_view a, std::string_view b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
                   return std::tolower(x) == std::tolower(y);
               });
    };
    for (int i = 1; i < static_cast<int>(kRepaymentTimeNames.size()); ++i)
        if (same(name, kRepaymentTimeNames[static_cast<std::size_t>(i)])) return i;
    return std::nullopt;
}

namespace {

// The code point of the UTF-8 sequence at text[i] and its length, or length 0 where the bytes
// are no valid sequence.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& c) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2, c = b & 0x1Fu;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3, c = b & 0x0Fu;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4, c = b & 0x07u;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto t = static_cast<unsigned char>(text[i + k]);
        if ((t & 0xC0) != 0x80) return 0;
        c = (c << 6) | (t & 0x3Fu);
    }
    const char32_t smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < smallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return length;
}

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

void UpperCaseInto(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += (b >= 'a' && b <= 'z') ? static_cast<char>(b - 0x20) : static_cast<char>(b);
            ++i;
            continue;
        }
        char32_t c = 0;
        const std::size_t length = DecodeUtf8(text, i, c);
        if (length == 0) { // not UTF-8: the byte is kept as it is
            out += text[i];
            ++i;
            continue;
        }
        char32_t upper[3];
        const int count = UnicodeUpper(c, upper);
        for (int k = 0; k < count; ++k)
            AppendUtf8(upper[k], out);
        i += length;
    }
}

std::string UpperCase(std::string_view text) {
    std::string upper;
    upper.reserve(text.size());
    UpperCaseInto(text, upper);
    return upper;
}

std::string_view TrimmedSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
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

int LoanTable::FindLoan(const LoanGrid& grid, std::string_view code) {
    code = Trimmed(code);
    const int last = grid.Rows() - 2;
    for (int row = 1; row <= last; ++row)
        if (Trimmed(grid.TextAt(row, ColCode)) == code) return row;
    const std::string upper = UpperCase(code);
    for (int row = 1; row <= last; ++row)
        if (UpperCase(Trimmed(grid.TextAt(row, ColCode))) == upper) return row;
    return -1;
}

calc::RepaymentFields LoanTable::FieldsOfRow(const LoanGrid& grid, int row) {
    calc::RepaymentFields fields;
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i] = std::string(grid.TextAt(row, ColPrincipal + static_cast<int>(i)));
    return fields;
}

} // namespace loan
