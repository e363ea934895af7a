#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace calc {

inline constexpr std::string_view kRepaymentFailureMessage =
    "Unexpected error in loan repayment calculation";

inline constexpr int kRepaymentRows = 5; // weekly, fortnightly, bi-monthly, monthly, quarterly
inline constexpr int kRepaymentCells = 15; // Cel(3 * row + column)

using RepaymentFields = std::array<std::string, 8>; // entry fields 0..7
using RepaymentCells = std::array<std::string, kRepaymentCells>;

struct RepaymentResult {
    RepaymentCells cells; // after a failure: plain numbers written so far, the rest as they were
    bool failed = false;
};

// Periods per year of a results row: 365/7, 365/14, 24, 12, 4.
double PeriodsPerYear(int row);

// Payment per period at rate i over n periods of present value p, paid at period ends.
// Empty for n == 0 or a result that is not finite.
std::optional<double> PMT(double i, double n, double p);

// Fills the results table from fields 0..7, or empties it while any of them is blank.
RepaymentResult CalculateRepayments(const RepaymentFields& fields, RepaymentCells cells);

} // namespace calc
