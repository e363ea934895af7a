#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace calc {

// The number a text denotes: blanks, tabs and line feeds are skipped anywhere; then a sign,
// digits, one ".", digits and an exponent (E or D) are read up to the first other character.
// 0 when no digit was read. Never fails; may return an infinity for huge exponents.
double TextValue(std::string_view text);

// x to d decimals; an exact half goes to the even neighbour (0.125 -> 0.12, 0.375 -> 0.38).
double RoundHalfEven(double x, int decimals);

// General decimal form: at most 15 significant digits, no grouping, no trailing zeros.
std::string NumberText(double x);

// "$" and the number t denotes, grouped by threes with two decimals ("$23,909.42");
// "$" alone for an empty t.
std::string CurrencyText(std::string_view t);

// CurrencyText(NumberText(x)), without the trip through the text; empty for a value that is
// not finite.
std::string CurrencyTextOf(double x);

// Strict reading of a rate: optional sign, digits with at most one ".", at least one digit,
// optional exponent, nothing else once trimmed. Empty when the text is not such a number.
std::optional<double> StrictNumber(std::string_view text);

// A table cell as the print-out shows an amount ("###,##0.00", with "$" in front when dollar is
// set): a cell that reads as a number (spaces around, sign, leading "$", "," groups, one ".")
// is taken to 15 significant digits and rounded to two decimals, halves away from zero, "-" in
// front of the whole; any other text, the empty one included, comes back unchanged.
std::string AmountText(std::string_view cell, bool dollar);

// An amount of dollars typed as the program's amount fields take it: digits with at most one
// "." and two decimals, at most 99,999,999.99, the whole dollars written plain or grouped by
// threes with commas ("1000.50", "1,000.50"), nothing else. Its cents, or empty otherwise.
std::optional<std::int64_t> AmountCents(std::string_view text);

} // namespace calc
