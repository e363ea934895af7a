#include "RepaymentTable.h"

#include "LoanSplit.h"
#include "NumberText.h"

#include <cmath>
#include <utility>

namespace calc {

namespace {

bool IsFilled(const std::string& text) {
    return text.find_first_not_of(' ') != std::string::npos;
}

// An annual rate in percent as a fraction, kept to 15 significant digits like the text it
// passes through.
std::optional<double> AnnualRate(const std::string& text) {
    const auto percent = StrictNumber(text);
    if (!percent) {
        return std::nullopt;
    }
    const double fraction = TextValue(NumberText(*percent / 100));
    if (!std::isfinite(fraction)) {
        return std::nullopt;
    }
    return fraction;
}

bool Finite(double x) {
    return std::isfinite(x);
}

} // namespace

double PeriodsPerYear(int row) {
    switch (row) {
    case 0:
        return 365.0 / 7.0;
    case 1:
        return 365.0 / 14.0;
    case 2:
        return 24.0;
    case 3:
        return 12.0;
    case 4:
        return 4.0;
    default:
        return 0.0;
    }
}

std::optional<double> PMT(double i, double n, double p) {
    if (n == 0.0) {
        return std::nullopt;
    }
    double payment = 0.0;
    if (i == 0.0) {
        payment = -p / n;
    } else {
        const double growth = std::pow(1 + i, n);
        payment = -p * i * growth / (growth - 1);
    }
    if (!std::isfinite(payment)) {
        return std::nullopt;
    }
    return payment;
}

RepaymentResult CalculateRepayments(const RepaymentFields& fields, RepaymentCells cells) {
    RepaymentResult result{std::move(cells), false};
    RepaymentCells& cel = result.cells;

    for (const std::string& text : fields) {
        if (!IsFilled(text)) {
            for (std::string& cell : cel) {
                cell.clear();
            }
            return result;
        }
    }

    // Everything a row reads from the fields is the same for all rows, so it is read and
    // checked once, before the first cell is written.
    const auto variableRate = AnnualRate(fields[FieldVariableRate]);
    const auto fixedRate = AnnualRate(fields[FieldFixedRate]);
    const double term = TextValue(fields[FieldTerm]);
    const double variableAmount = TextValue(fields[FieldVariableAmount]);
    const double fixedAmount = TextValue(fields[FieldFixedAmount]);
    if (!variableRate || !fixedRate || !Finite(term) || !Finite(variableAmount) ||
        !Finite(fixedAmount)) {
        result.failed = true;
        return result;
    }

    for (int row = 0; row < kRepaymentRows; ++row) {
        const double n = PeriodsPerYear(row);
        const auto variable = PMT(*variableRate / n, n * term, -variableAmount);
        const auto fixed = PMT(*fixedRate / n, n * term, -fixedAmount);
        if (!variable || !fixed) {
            result.failed = true;
            return result;
        }
        const double sum = *fixed + *variable;
        const double instalment = RoundHalfEven(sum, 2);
        if (!Finite(sum) || !Finite(instalment)) {
            result.failed = true;
            return result;
        }
        cel[3 * row] = NumberText(instalment);

        // From the unrounded sum, not the rounded instalment.
        const double yearly = RoundHalfEven(sum * n, 2);
        if (!Finite(yearly)) {
            result.failed = true;
            return result;
        }
        cel[3 * row + 1] = NumberText(yearly);

        if (row > 0) {
            // Read back from the rounded texts, so each difference matches the cells shown.
            const double difference =
                RoundHalfEven(TextValue(cel[3 * row + 1]) - TextValue(cel[3 * row - 2]), 2);
            if (!Finite(difference)) {
                result.failed = true;
                return result;
            }
            cel[3 * row + 2] = NumberText(difference);
        }
    }

    for (int i = 0; i < kRepaymentCells; ++i) {
        if (i != 2) {
            cel[i] = CurrencyText(cel[i]);
        }
    }
    cel[2].clear(); // the weekly row has no row above to differ from
    return result;
}

} // namespace calc
