#pragma once

#include "calc/RepaymentSchedule.h"

#include <QString>

#include <vector>

// A money axis from $0 up, in round steps: 1, 2, 2.5 or 5 times a power of ten cents, so a $1
// loan is ticked in 20 cents and a trillion-dollar one in hundreds of billions. Counted in whole
// cents, as the schedule is, so no tick lands a hair off its round value.
class ChartScale {
  public:
    // The smallest round step that takes about `steps` steps (at least one) to reach highest;
    // the axis's top is the first tick at or above it.
    ChartScale(calc::Cents highest, int steps);

    calc::Cents Step() const { return step_; }
    calc::Cents Top() const { return top_; }
    // 0, Step(), ... Top().
    std::vector<calc::Cents> Ticks() const;

    // A tick's label, as short as the step allows: "$0.20" where the step has cents, "$250,000"
    // in whole dollars, and from $10 million at the top in millions, billions or trillions
    // ("$2.5M", "$40B", "$1T", and "$0"), so the axis stays narrow for a huge loan.
    QString Label(calc::Cents value) const;

    // The smallest round step at or above rough (at least one cent).
    static calc::Cents RoundStep(calc::Cents rough);

  private:
    calc::Cents step_ = 1;
    calc::Cents top_ = 1;
};
