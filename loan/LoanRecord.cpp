#include "LoanRecord.h"

#include "LoanTable.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace loan {

namespace {

// Code points of the bytes 0x80..0x9F. The five unassigned bytes map to the C1 control of the
// same number so that every byte survives a read and a write.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t CodePointOf(unsigned char b) {
    return (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : b;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// The Windows-1252 byte of a code point, or '?' when it has none.
char ByteOf(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == cp) return static_cast<char>(0x80 + i);
    return '?';
}

// Reads one UTF-8 character at p (p < end), advancing p. A malformed sequence yields one
// replacement per byte, so text that is not UTF-8 still cuts and encodes predictably.
char32_t NextCodePoint(const unsigned char*& p, const unsigned char* end) {
    constexpr char32_t kBad = 0xFFFD;
    const unsigned char b = *p++;
    if (b < 0x80) return b;
    int more;
    char32_t cp;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        more = 1, cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        more = 2, cp = b & 0x0F;
        if (b == 0xE0) lo = 0xA0;
        if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        more = 3, cp = b & 0x07;
        if (b == 0xF0) lo = 0x90;
        if (b == 0xF4) hi = 0x8F;
    } else {
        return kBad;
    }
    const unsigned char* q = p;
    for (int i = 0; i < more; ++i, lo = 0x80, hi = 0xBF) {
        if (q == end || *q < lo || *q > hi) return kBad;
        cp = (cp << 6) | (*q++ & 0x3F);
    }
    p = q;
    return cp;
}

// Field bytes without the spaces around them.
std::string_view WithoutSpaces(const char* field, int width) {
    std::string_view text(field, static_cast<std::size_t>(width));
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool IsAscii(std::string_view bytes) {
    for (const char ch : bytes)
        if (static_cast<unsigned char>(ch) >= 0x80) return false;
    return true;
}

void DecodeBytes(std::string_view bytes, std::string& out) {
    out.clear();
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::size_t ascii = i;
        while (ascii < bytes.size() && static_cast<unsigned char>(bytes[ascii]) < 0x80)
            ++ascii;
        out.append(bytes.data() + i, ascii - i);
        if (ascii == bytes.size()) break;
        AppendUtf8(out, CodePointOf(static_cast<unsigned char>(bytes[ascii])));
        i = ascii + 1;
    }
}

} // namespace

std::string DecodeWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    DecodeBytes(bytes, out);
    return out;
}

void EncodeWindows1252(std::string_view utf8, char* out, int width) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    int n = 0;
    // Texts the program writes itself are ASCII: copied as they are.
    const auto fits = std::min(utf8.size(), static_cast<std::size_t>(width));
    if (IsAscii(utf8.substr(0, fits))) {
        std::memcpy(out, utf8.data(), fits);
        n = static_cast<int>(fits);
        p += fits;
    }
    while (n < width && p < end) {
        if (*p < 0x80) {
            out[n++] = static_cast<char>(*p++);
            continue;
        }
        out[n++] = ByteOf(NextCodePoint(p, end));
    }
    std::memset(out + n, ' ', static_cast<std::size_t>(width - n));
}

std::string ShortestDecimal(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);

    const bool negative = text.front() == '-';
    if (negative) text.remove_prefix(1);
    const auto point = text.find('.');
    std::string_view whole = text.substr(0, point);
    std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    const auto isDigit = [](char ch) { return ch >= '0' && ch <= '9'; };
    if (whole.empty() && fraction.empty()) return {};
    if (!std::all_of(whole.begin(), whole.end(), isDigit) ||
        !std::all_of(fraction.begin(), fraction.end(), isDigit))
        return {};

    whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
    const auto lastDigit = fraction.find_last_not_of('0');
    fraction = lastDigit == std::string_view::npos ? std::string_view{}
                                                   : fraction.substr(0, lastDigit + 1);
    std::string shortest = negative ? "-" : "";
    shortest += whole.empty() ? std::string_view("0") : whole;
    if (!fraction.empty()) {
        shortest += '.';
        shortest += fraction;
    }
    return shortest;
}

std::string FittedNumber(int column, std::string_view text) {
    if (column < ColPrincipal || column > ColPrincipalFixed) return {};
    const auto width = static_cast<std::size_t>(kRecordWidths[static_cast<std::size_t>(column)]);
    if (text.size() <= width) return {};
    std::string shortest = ShortestDecimal(text);
    if (shortest.size() > width) shortest.clear();
    return shortest;
}

void LoanRecord::Encode(const LoanGrid& grid, int row, char* out) {
    if (grid.Cols() != kLoanCols) throw std::invalid_argument("a loan record has 13 fields");
    std::array<std::string_view, kLoanCols> texts;
    grid.RowTexts(row, texts.data());
    Encode(texts.data(), out);
}

void LoanRecord::Encode(const std::string_view* texts, char* out) {
    for (std::size_t i = 0; i < kOffsets.size(); ++i) {
        // Cutting a number changes its value ("0100" kept as "010" reads back as 10), while its
        // shorter form keeps it. Texts that fit, and other columns, are stored as they are.
        const std::string fitted = FittedNumber(static_cast<int>(i), texts[i]);
        EncodeWindows1252(fitted.empty() ? texts[i] : std::string_view(fitted), out + kOffsets[i],
                          kRecordWidths[i]);
    }
    out[kSize - 1] = '\r';
}

std::array<std::string, 13> LoanRecord::Decode(const char* record) {
    std::array<std::string, 13> texts;
    DecodeInto(record, texts);
    return texts;
}

void LoanRecord::DecodeInto(const char* record, std::array<std::string, 13>& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i)
        DecodeBytes(WithoutSpaces(record + kOffsets[i], kRecordWidths[i]), texts[i]);
}

} // namespace loan
