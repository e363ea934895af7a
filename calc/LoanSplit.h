#pragma once

#include <array>
#include <string>
#include <string_view>

namespace calc {

inline constexpr std::string_view kSplitFailureMessage = "Unexpected error in loan calculation";

// Entry field indexes of the loan details dialog.
enum Field : int {
    FieldPrincipal = 0,
    FieldTerm = 1,
    FieldVariablePercent = 2,
    FieldVariableRate = 3,
    FieldVariableAmount = 4,
    FieldFixedPercent = 5,
    FieldFixedRate = 6,
    FieldFixedAmount = 7,
    FieldCode = 8,
};

using LoanFields = std::array<std::string, 9>;

struct SplitResult {
    LoanFields fields; // after a failure: the texts written before it, the rest as they were
    bool failed = false;
};

// Rewrites the split fields (0, 2, 4, 5, 7) that depend on the changed field.
SplitResult SplitLoan(LoanFields fields, int changedIndex);

} // namespace calc
