#include "loan/LoanRecord.h"
#include "loan/LoanTable.h"

#include <gtest/gtest.h>

namespace {

using loan::LoanRecord;

std::string EncodeRow(const std::array<std::string, 13>& texts) {
    loan::LoanGrid grid;
    for (int c = 0; c < 13; ++c)
        grid.SetTextAt(1, c, texts[static_cast<std::size_t>(c)]);
    std::string record(LoanRecord::kSize, '#');
    LoanRecord::Encode(grid, 1, record.data());
    return record;
}

std::string Field(const std::string& text, std::size_t width) {
    return text + std::string(width - text.size(), ' ');
}

TEST(LoanRecord, TheExampleRecordByteForByte) {
    const std::string expected = Field("HOME", 15) + Field("250000", 11) + Field("25", 3) +
                                 Field("60", 6) + Field("7.5", 6) + Field("150000", 11) +
                                 Field("40", 6) + Field("6.9", 6) + Field("100000", 11) +
                                 Field("Monthly", 11) + Field("$1,500.00", 12) +
                                 Field("$18,000.00", 12) + "Yes" + "\r";
    ASSERT_EQ(expected.size(), 114u);
    EXPECT_EQ(EncodeRow({"HOME", "250000", "25", "60", "7.5", "150000", "40", "6.9", "100000",
                         "Monthly", "$1,500.00", "$18,000.00", "Yes"}),
              expected);
}

TEST(LoanRecord, TheBlankRowIsSpacesAndACarriageReturn) {
    EXPECT_EQ(EncodeRow({}), std::string(113, ' ') + "\r");
}

TEST(LoanRecord, LayoutMatchesTheWidths) {
    int offset = 0;
    for (std::size_t i = 0; i < 13; ++i) {
        EXPECT_EQ(LoanRecord::kOffsets[i], offset) << "field " << i;
        offset += loan::kRecordWidths[i];
    }
    EXPECT_EQ(offset + 1, static_cast<int>(LoanRecord::kSize));
}

TEST(LoanRecord, LongTextsKeepTheirFirstCharacters) {
    const struct {
        int col;
        std::string text, kept;
    } cases[] = {
        {0, "ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNO"}, // exactly 15 survives
        {0, "ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNO"},
        {1, "123456789012", "12345678901"},
        {2, "2500", "250"},
        {10, "$1,234,567.89", "$1,234,567.8"},
        {12, "Yess", "Yes"},
        {0, "  HOME  ", "HOME"},                     // spaces around are lost
        {0, "MY  HOME", "MY  HOME"},                 // spaces inside stay
        {1, " 1 000 ", "1 000"},                     //
        {0, "ÉCOLE €", "ÉCOLE €"},                   // Windows-1252 characters are one byte each
        {0, "ÀÀÀÀÀÀÀÀÀÀÀÀÀÀÀÀÀ", "ÀÀÀÀÀÀÀÀÀÀÀÀÀÀÀ"}, // cut by characters, not bytes
        {0, "Жилье", "?????"},                       // no byte in the code page
        {0,
         "a\xFF"
         "b",
         "a?b"},           // not UTF-8
        {2, "a😀b", "a?b"}, // four-byte sequence is one character
    };
    for (const auto& c : cases) {
        std::array<std::string, 13> texts;
        texts[static_cast<std::size_t>(c.col)] = c.text;
        const std::string record = EncodeRow(texts);
        EXPECT_EQ(LoanRecord::Decode(record.data())[static_cast<std::size_t>(c.col)], c.kept)
            << c.text;
    }
}

// The bytes of column col's field in a record of a row holding text there.
std::string StoredField(int col, const std::string& text) {
    std::array<std::string, 13> texts;
    texts[static_cast<std::size_t>(col)] = text;
    const std::string record = EncodeRow(texts);
    const auto i = static_cast<std::size_t>(col);
    return record.substr(static_cast<std::size_t>(LoanRecord::kOffsets[i]),
                         static_cast<std::size_t>(loan::kRecordWidths[i]));
}

// Widths: principal and amounts (1, 5, 8) 11, term (2) 3, percents and rates (3, 4, 6, 7) 6.
TEST(LoanRecord, NumbersTooLongForTheirFieldKeepTheirValue) {
    const struct {
        int col;
        std::string text, stored;
    } cases[] = {
        {2, "0100", "100"},
        {2, "0100.", "100"},
        {2, "100.000", "100"},
        {2, "  25  ", "25"},
        {2, "-0005", "-5"},
        {2, "0000", "0"},
        {3, "0025.50", "25.5"},
        {4, "-007.50", "-7.5"},
        {7, ".500000", "0.5"},
        {6, "00040.0", "40"},
        {1, "000000250000", "250000"},
        {5, "150000.000000", "150000"},
        {8, "0000000100000.25", "100000.25"},
        {8, "00000000000", "00000000000"}, // fits: left as it is
    };
    for (const auto& c : cases) {
        const auto width =
            static_cast<std::size_t>(loan::kRecordWidths[static_cast<std::size_t>(c.col)]);
        EXPECT_EQ(StoredField(c.col, c.text), Field(c.stored, width)) << c.col << " " << c.text;
    }
}

TEST(LoanRecord, TextsThatFitAreStoredAsTheyAre) {
    const struct {
        int col;
        std::string text;
    } cases[] = {
        {2, "010"},         {2, "1."},      {3, "07.50"},   {4, "-0.50"}, {7, "6.9000"},
        {1, "00250000.00"}, {5, "1 000"},   {8, "  100  "}, {6, ".5"},    {0, "0100"},
        {9, "Monthly"},     {10, "$01.00"}, {12, "Yes"},
    };
    for (const auto& c : cases) {
        const auto width =
            static_cast<std::size_t>(loan::kRecordWidths[static_cast<std::size_t>(c.col)]);
        EXPECT_EQ(StoredField(c.col, c.text), Field(c.text, width)) << c.col << " " << c.text;
    }
}

// What older files hold: the first characters, whenever no shorter exact form fits or the
// column is not a number column.
TEST(LoanRecord, StillCutsWhenNoShorterExactFormFits) {
    const struct {
        int col;
        std::string text, stored;
    } cases[] = {
        {1, "123456789012", "12345678901"},
        {2, "2500", "250"},
        {2, "0.125", "0.1"},
        {4, "7.123456", "7.1234"},
        {3, "00.1234567", "00.123"},
        {2, "1e03", "1e0"},   // not a plain decimal number
        {2, "+010", "+01"},   //
        {2, "1,000", "1,0"},  //
        {2, "01.2.3", "01."}, //
        {5, "0001 000 000", "0001 000 00"},
        {0, "0000000000000100", "000000000000010"}, // not a number column
        {9, "0000000000100", "00000000001"},
        {10, "$0001,234,567", "$0001,234,56"},
        {12, "0100", "010"},
    };
    for (const auto& c : cases) {
        const auto width =
            static_cast<std::size_t>(loan::kRecordWidths[static_cast<std::size_t>(c.col)]);
        EXPECT_EQ(StoredField(c.col, c.text), Field(c.stored, width)) << c.col << " " << c.text;
    }
}

TEST(LoanRecord, ShortestDecimalOfOtherTextsIsEmpty) {
    for (const std::string text : {"", "   ", ".", "-", "-.", "--1", "1.2.3", "1e5", "+1", "1 000",
                                   "$5", "1,000", "12a", "١٢"})
        EXPECT_EQ(loan::ShortestDecimal(text), "") << text;
    EXPECT_EQ(loan::ShortestDecimal("-0.000"), "-0");
    EXPECT_EQ(loan::ShortestDecimal("-.50"), "-0.5");
    EXPECT_EQ(loan::ShortestDecimal("1000"), "1000");
}

TEST(Windows1252, EveryByteRoundTrips) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::string text = loan::DecodeWindows1252(byte);
        char out[2] = {'#', '#'};
        loan::EncodeWindows1252(text, out, 2);
        EXPECT_EQ(out[0], byte[0]) << "byte " << b;
        EXPECT_EQ(out[1], ' ');
    }
}

TEST(Windows1252, DecodesToUnicode) {
    const struct {
        std::string bytes, utf8;
    } cases[] = {
        {"\x80", "€"},      {"\x8A\x9A", "Šš"},
        {"\x9F", "Ÿ"},      {"\xE9", "é"},
        {"\xA0", "\u00A0"}, {"\x81\x8D\x8F\x90\x9D", "\u0081\u008D\u008F\u0090\u009D"},
        {"\x99", "™"},      {"plain", "plain"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(loan::DecodeWindows1252(c.bytes), c.utf8) << c.utf8;
}

TEST(Windows1252, EncodingPadsAndNeverOverruns) {
    char out[6];
    std::fill(std::begin(out), std::end(out), '#');
    loan::EncodeWindows1252("€uro", out, 5);
    EXPECT_EQ(std::string(out, 6), "\x80uro #");
    loan::EncodeWindows1252("\u0080", out, 1); // a C1 control with no byte of its own
    EXPECT_EQ(out[0], '?');
    loan::EncodeWindows1252("\xE2\x82", out, 3); // a sequence cut short
    EXPECT_EQ(std::string(out, 3), "?? ");
}

} // namespace
