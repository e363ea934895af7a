#include "RepaymentTable.h"

#include "LoanSplit.h"
#include "NumberText.h"

#include <array>
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

    // The cells' numbers are kept as values and turned into text once: plain number texts for
    // the cells written before a failure, currency texts of those plain texts otherwise.
    std::array<double, kRepaymentCells> value{};
    int written = 0; // cells are written in index order, Cel(2) skipped
    const auto fail = [&] {
        for (int i = 0; i < written; ++i) {
            if (i != 2) {
                cel[i] = NumberText(value[i]);
            }
        }
        result.failed = true;
        return result;
    };
    const auto write = [&](int index, double x) {
        if (!Finite(x)) {
            return false;
        }
        value[index] = x;
        written = index + 1;
        return true;
    };

    double shownYearly = 0.0; // the row above's yearly payment as its text reads
    for (int row = 0; row < kRepaymentRows; ++row) {
        const double n = PeriodsPerYear(row);
        const auto variable = PMT(*variableRate / n, n * term, -variableAmount);
        const auto fixed = PMT(*fixedRate / n, n * term, -fixedAmount);
        if (!variable || !fixed) {
            return fail();
        }
        const double sum = *fixed + *variable;
        if (!Finite(sum) || !write(3 * row, RoundHalfEven(sum, 2))) {
            return fail();
        }
        // From the unrounded sum, not the rounded instalment.
        if (!write(3 * row + 1, RoundHalfEven(sum * n, 2))) {
            return fail();
        }
        // Read back from the rounded texts, so each difference matches the cells shown.
        const double yearly = TextValue(NumberText(value[3 * row + 1]));
        if (row > 0 && !write(3 * row + 2, RoundHalfEven(yearly - shownYearly, 2))) {
            return fail();
        }
        shownYearly = yearly;
    }

    for (int i = 0; i < kRepaymentCells; ++i) {
        cel[i] = i == 2 ? std::string() : CurrencyTextOf(value[i]);
    }
    return result;
}

} // namespace calc
