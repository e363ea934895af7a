#include "ChartScale.h"

#include <QLocale>

#include <algorithm>
#include <limits>

calc::Cents ChartScale::RoundStep(calc::Cents rough) {
    calc::Cents power = 1;
    for (;;) {
        // 2.5 x a power of ten needs a power of at least 10 to stay whole cents.
        for (const calc::Cents mantissa : {10, 20, 25, 50}) {
            if (mantissa == 25 && power < 10) continue;
            const calc::Cents step = power * mantissa / 10;
            if (step >= rough) return step;
        }
        if (power > std::numeric_limits<calc::Cents>::max() / 100) return power * 10;
        power *= 10;
    }
}

ChartScale::ChartScale(calc::Cents highest, int steps) {
    highest = std::max<calc::Cents>(highest, 1);
    steps = std::max(steps, 1);
    step_ = RoundStep((highest + steps - 1) / steps);
    top_ = (highest + step_ - 1) / step_ * step_;
}

std::vector<calc::Cents> ChartScale::Ticks() const {
    std::vector<calc::Cents> ticks;
    for (calc::Cents value = 0; value <= top_; value += step_)
        ticks.push_back(value);
    return ticks;
}

QString ChartScale::Label(calc::Cents value) const {
    const QLocale c = QLocale::c();
    constexpr calc::Cents kMillion = 100'000'000; // in cents
    if (top_ >= 10 * kMillion) {
        if (value == 0) return QStringLiteral("$0");
        static constexpr struct {
            calc::Cents unit;
            char suffix;
        } kUnits[] = {{kMillion * 1'000'000, 'T'}, {kMillion * 1'000, 'B'}, {kMillion, 'M'}};
        const auto& u = *std::find_if(std::begin(kUnits), std::end(kUnits),
                                      [this](const auto& x) { return top_ >= x.unit || x.suffix == 'M'; });
        // As many decimals as the step needs in that unit: 2.5M is a step of a quarter.
        int decimals = 0;
        for (calc::Cents scaled = u.unit; decimals < 3 && step_ % scaled != 0; scaled /= 10)
            ++decimals;
        const double amount = static_cast<double>(value) / static_cast<double>(u.unit);
        QString number = c.toString(amount, 'f', decimals);
        if (decimals > 0) {
            while (number.endsWith(QLatin1Char('0'))) number.chop(1);
            if (number.endsWith(QLatin1Char('.'))) number.chop(1);
        }
        return QLatin1Char('$') + number + QLatin1Char(u.suffix);
    }
    if (step_ % 100 != 0)
        return QLatin1Char('$') + c.toString(static_cast<double>(value) / 100, 'f', 2);
    QLocale grouped = c;
    grouped.setNumberOptions(QLocale::DefaultNumberOptions);
    return QLatin1Char('$') + grouped.toString(static_cast<qlonglong>(value / 100));
}
