#include "LoanSplit.h"

#include "NumberText.h"

#include <cmath>
#include <utility>

namespace calc {

namespace {

struct SplitFailure {};

// Reads and writes the field texts; a value that is not finite stops the split, leaving the
// texts written so far in place.
class SplitFields {
  public:
    explicit SplitFields(LoanFields& fields) : fields_(fields) {}

    double V(int index) const { return Checked(TextValue(fields_[index])); }

    void Write(int index, double x) { fields_[index] = NumberText(Checked(x)); }

    static double Checked(double x) {
        if (!std::isfinite(x)) {
            throw SplitFailure{};
        }
        return x;
    }

  private:
    LoanFields& fields_;
};

double R2(double x) {
    return SplitFields::Checked(RoundHalfEven(SplitFields::Checked(x), 2));
}
double R3(double x) {
    return SplitFields::Checked(RoundHalfEven(SplitFields::Checked(x), 3));
}

void Split(SplitFields& f, int changedIndex) {
    switch (changedIndex) {
    case FieldPrincipal:
        if (f.V(0) < 0) {
            f.Write(0, 0.0);
            return;
        }
        if (f.V(2) >= 0) {
            f.Write(4, R2(f.V(2) / 100 * f.V(0)));
        }
        if (f.V(5) >= 0) {
            f.Write(7, R2(f.V(5) / 100 * f.V(0)));
        }
        return;
    case FieldVariablePercent:
        if (f.V(2) < 0) {
            return;
        }
        if (f.V(0) >= 0) {
            f.Write(5, R3(100 - f.V(2)));
            f.Write(4, R2(f.V(2) / 100 * f.V(0)));
        }
        if (f.V(5) >= 0) {
            f.Write(7, R2(f.V(5) / 100 * f.V(0)));
        }
        return;
    case FieldVariableAmount:
        if (f.V(4) < 0 || !(f.V(0) > 0)) {
            return;
        }
        f.Write(2, R3(f.V(4) / f.V(0) * 100));
        f.Write(5, R3(100 - f.V(2)));
        f.Write(7, R2(f.V(0) - f.V(4)));
        return;
    case FieldFixedPercent:
        if (f.V(0) < 0) {
            return;
        }
        f.Write(2, R3(100 - f.V(5)));
        f.Write(4, R2(f.V(2) / 100 * f.V(0)));
        if (f.V(5) >= 0) {
            f.Write(7, R2(f.V(5) / 100 * f.V(0)));
        }
        return;
    case FieldFixedAmount:
        if (f.V(7) < 0 || !(f.V(0) > 0)) {
            return;
        }
        f.Write(5, R3(f.V(7) / f.V(0) * 100));
        f.Write(2, R3(100 - f.V(5)));
        f.Write(4, R2(f.V(0) - f.V(7)));
        return;
    default:
        return; // term, rates, code: nothing depends on them here
    }
}

} // namespace

SplitResult SplitLoan(LoanFields fields, int changedIndex) {
    SplitResult result{std::move(fields), false};
    SplitFields f(result.fields);
    try {
        Split(f, changedIndex);
    } catch (const SplitFailure&) {
        result.failed = true;
    }
    return result;
}

} // namespace calc
