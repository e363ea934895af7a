#include "calc/KeyFilter.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

using calc::FilterKey;
using calc::KeyRule;
using calc::KeyRuleFor;

// Types each character at the end of the text, as the field would, and returns what it shows.
std::u16string Type(const KeyRule& rule, std::u16string text, std::u16string_view keys) {
    for (const char16_t key : keys) {
        const int accepted = FilterKey(text, static_cast<int>(text.size()), 0, key, rule);
        if (accepted != 0) {
            EXPECT_EQ(accepted, key);
            text += static_cast<char16_t>(accepted);
        }
    }
    return text;
}

TEST(KeyRuleFor, RangesOfTheEntryFields) {
    const struct {
        int index;
        const char16_t* principal;
        int minimum;
        int maximum;
        bool decimal;
    } cases[] = {
        {0, u"5", 0, 99999999, true},
        {1, u"", 1, 100, false},
        {2, u"", 0, 100, true},
        {3, u"", 0, 100, true},
        {5, u"", 0, 100, true},
        {6, u"", 0, 100, true},
        {4, u"", 0, 99999999, true},
        {7, u"", 0, 99999999, true},
        {4, u"250000", 0, 250000, true},
        {7, u"1234.5", 0, 1234, true},
        {4, u"1235.5", 0, 1236, true},
        {4, u"1234.51", 0, 1235, true},
        {7, u".", 0, 0, true},
        {4, u" ", 0, 0, true},
        {4, u"5000000000", 0, INT_MAX, true},
        {7, u"1e999", 0, INT_MAX, true},
        {4, u"-7", 0, -7, true},
    };
    for (const auto& c : cases) {
        const KeyRule rule = KeyRuleFor(c.index, c.principal);
        EXPECT_EQ(rule.minimum, c.minimum) << c.index;
        EXPECT_EQ(rule.maximum, c.maximum) << c.index;
        EXPECT_EQ(rule.decimalAllowed, c.decimal) << c.index;
    }
}

TEST(FilterKey, TypingIntoTheFields) {
    const struct {
        const char* name;
        int index;
        const char16_t* principal;
        const char16_t* start;
        const char16_t* keys;
        const char16_t* shown;
    } cases[] = {
        {"principal up to 99999999", 0, u"", u"", u"999999999", u"99999999"},
        {"one decimal point", 0, u"", u"", u"12.5.", u"12.5"},
        {"term refuses a leading 0", 1, u"", u"", u"0", u""},
        {"term up to 100", 1, u"", u"", u"1001", u"100"},
        {"term has no decimal point", 1, u"", u"", u"1.5", u"15"},
        {"percent 100 and a point", 2, u"", u"", u"100.1", u"100."},
        {"interest like the percents", 6, u"", u"", u"5.99", u"5.99"},
        {"amount up to the principal", 4, u"250000", u"", u"2500000", u"250000"},
        {"amount without a principal", 7, u"", u"", u"123456789", u"12345678"},
        {"amount with a non-number principal", 7, u".", u"", u"01", u"0"},
        {"letters, blanks and signs", 0, u"", u"", u"a -+,$e\r\t5", u"5"},
        {"fifteen digits count", 2, u"", u"100.000000000000", u"1", u"100.0000000000001"},
        {"but not more", 2, u"", u"100.00000000000", u"1", u"100.00000000000"},
        {"a pasted text beyond double", 0, u"", u"1e99", u"9", u"1e99"},
    };
    for (const auto& c : cases) {
        const KeyRule rule = KeyRuleFor(c.index, c.principal);
        EXPECT_EQ(Type(rule, c.start, c.keys), std::u16string(c.shown)) << c.name;
    }
}

TEST(FilterKey, ControlAndWideCharacters) {
    const KeyRule rule = KeyRuleFor(1, u"");
    const struct {
        int key;
        int result;
    } cases[] = {
        {8, 8},  {13, 0},  {3, 0},     {22, 0},        {24, 0},     {0, 0},
        {-1, 0}, {127, 0}, {0x130, 0}, {0x660 + 5, 0}, {0xFF15, 0}, {'5' + 256, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FilterKey(u"10", 2, 0, c.key, rule), c.result) << c.key;
    }
}

TEST(FilterKey, TheDigitReplacesTheSelection) {
    const KeyRule percent = KeyRuleFor(2, u"");
    const struct {
        const char16_t* text;
        int caret;
        int selection;
        int key;
        int result;
    } cases[] = {
        {u"3.5", 0, 3, '.', 0},    // the selected point still counts
        {u"3.5", 0, 3, '7', '7'},  // "7"
        {u"15", 1, 0, '0', 0},     // "105"
        {u"15", 0, 0, '0', '0'},   // "015"
        {u"90", 0, 1, '1', '1'},   // "10"
        {u"90", 1, 1, '5', '5'},   // "95"
        {u"99", 0, 0, '1', 0},     // "199"
        {u"100", 1, 2, '9', '9'},  // "19"
        {u"100", 1, 99, '9', '9'}, // selection beyond the text
        {u"100", -4, 0, '0', '0'}, // caret before the text: "0100"
        {u"100", 40, 0, '0', 0},   // caret after the text: "1000"
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FilterKey(c.text, c.caret, c.selection, c.key, percent), c.result)
            << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)) << ' '
            << c.caret << '+' << c.selection << ' ' << static_cast<char>(c.key);
    }
}

TEST(FilterKey, BackspaceMayLeaveAValueOutsideTheRange) {
    EXPECT_EQ(FilterKey(u"10", 1, 0, 8, KeyRuleFor(1, u"")), 8);
}

} // namespace

TEST(PasteAccepted, OnlyWhatTypingWouldTake) {
    const KeyRule principal = KeyRuleFor(0, u"");
    const KeyRule term = KeyRuleFor(1, u"");
    const KeyRule percent = KeyRuleFor(2, u"");
    const KeyRule amount = KeyRuleFor(4, u"250000");
    const struct {
        const char* name;
        const char16_t* text;
        int caret, selected;
        const char16_t* pasted;
        const KeyRule& rule;
        int maxLength;
        bool accepted;
    } cases[] = {
        {"amount into an empty field", u"", 0, 0, u"250000", principal, 15, true},
        {"decimals", u"", 0, 0, u"1250.75", principal, 15, true},
        {"over the maximum", u"", 0, 0, u"100000000", principal, 15, false},
        {"grouping comma", u"", 0, 0, u"250,000", principal, 15, false},
        {"currency sign", u"", 0, 0, u"$250000", principal, 15, false},
        {"surrounding blank", u"", 0, 0, u"250000 ", principal, 15, false},
        {"line break", u"", 0, 0, u"250000\n", principal, 15, false},
        {"minus", u"", 0, 0, u"-5", principal, 15, false},
        {"empty", u"12", 2, 0, u"", principal, 15, false},
        {"second point", u"1.5", 3, 0, u"2.5", principal, 15, false},
        {"point replaces the selected point", u"1.5", 1, 1, u".25", principal, 15, false},
        {"replaces the selection", u"3.5", 0, 3, u"7", percent, 6, true},
        {"inserted at the caret", u"10", 1, 0, u"0", term, 6, true},
        {"105 years once inserted", u"15", 1, 0, u"0", term, 6, false},
        {"term has no point", u"", 0, 0, u"2.5", term, 6, false},
        {"term starting with 0", u"", 0, 0, u"05", term, 6, false},
        {"term 100", u"", 0, 0, u"100", term, 6, true},
        {"percent over 100 at the caret", u"10", 0, 0, u"5", percent, 6, false},
        {"amount up to the principal", u"", 0, 0, u"250000", amount, 15, true},
        {"amount over the principal", u"", 0, 0, u"250001", amount, 15, false},
        {"longer than the field", u"", 0, 0, u"1234567", percent, 6, false},
        {"fills the field exactly", u"1", 1, 0, u".2345", percent, 6, true},
        {"backspace character", u"12", 2, 0, u"\b", principal, 15, false},
        {"wide digit", u"", 0, 0, u"\uFF15", principal, 15, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(calc::PasteAccepted(c.text, c.caret, c.selected, c.pasted, c.rule, c.maxLength),
                  c.accepted)
            << c.name;
}

TEST(FilterAmountKey, DollarsAndCents) {
    const struct {
        const char* name;
        const char16_t* text;
        int caret, selected;
        int key;
        bool taken;
    } cases[] = {
        {"a digit into nothing", u"", 0, 0, '5', true},
        {"a point into nothing", u"", 0, 0, '.', true},
        {"eighth whole digit", u"1234567", 7, 0, '8', true},
        {"ninth whole digit", u"12345678", 8, 0, '9', false},
        {"ninth whole digit before the point", u"12345678.5", 0, 0, '1', false},
        {"ninth digit over the selection", u"12345678", 0, 1, '9', true},
        {"second decimal", u"1.5", 3, 0, '0', true},
        {"third decimal", u"1.50", 4, 0, '1', false},
        {"a point that leaves three decimals", u"1250", 1, 0, '.', false},
        {"a point that leaves two decimals", u"1250", 2, 0, '.', true},
        {"second point", u"1.5", 1, 0, '.', false},
        {"a point over the selected point", u"1.5", 1, 1, '.', true},
        {"backspace", u"1.50", 4, 0, 8, true},
        {"comma", u"1", 1, 0, ',', false},
        {"minus", u"", 0, 0, '-', false},
        {"Ctrl+V", u"", 0, 0, 22, false},
        {"wide digit five", u"", 0, 0, 0xFF15, false},
        {"'5' beyond 16 bits", u"", 0, 0, '5' + 0x10000, false},
    };
    for (const auto& c : cases) {
        const int result = calc::FilterAmountKey(c.text, c.caret, c.selected, c.key);
        EXPECT_EQ(result, c.taken ? c.key : 0) << c.name;
    }
}
