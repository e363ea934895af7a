#pragma once

#include "LoanGrid.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace loan {

// One table row as a 114-byte record: 13 fields of Windows-1252 text, left-aligned and padded
// with spaces or cut to their widths, then a carriage return.
struct LoanRecord {
    static constexpr std::size_t kSize = 114;
    static constexpr std::array<int, 13> kOffsets = {0,  15, 26, 29, 35, 41, 52,
                                                     58, 64, 75, 86, 98, 110};

    // Encodes row of grid into out (kSize bytes). A number (columns 1 to 8) too long for its
    // field is written in its shortest exact form when that fits, and cut otherwise.
    static void Encode(const LoanGrid& grid, int row, char* out);
    // The same from a row's 13 texts (as a grid snapshot gives them).
    static void Encode(const std::string_view* texts, char* out);
    // Decodes one record into 13 UTF-8 texts with leading and trailing spaces removed.
    static std::array<std::string, 13> Decode(const char* record);
    // As Decode, reusing the strings' storage; for readers that decode many records.
    static void DecodeInto(const char* record, std::array<std::string, 13>& texts);
};

// Windows-1252 <-> UTF-8. Every byte decodes (the five unassigned bytes to the C1 controls of the
// same number), so any file round-trips. A character with no Windows-1252 byte encodes as "?".
std::string DecodeWindows1252(std::string_view bytes);
// Encodes text into at most width bytes, cutting by characters, padding with spaces to width.
void EncodeWindows1252(std::string_view utf8, char* out, int width);

// The shortest text of the same exact value as a plain decimal number (optional "-", digits, at
// most one "."; spaces around ignored): "0100" gives "100", "-007.50" gives "-7.5", ".5" gives
// "0.5". Empty for any other text.
std::string ShortestDecimal(std::string_view text);

// For the number columns 1 to 8: the shortest form of a text too long for its record field, when
// that form fits. Empty when the text fits, is no plain number, or is in another column; the
// field then keeps the text's first characters.
std::string FittedNumber(int column, std::string_view text);

} // namespace loan
