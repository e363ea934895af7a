#pragma once

#include <QAccessibleWidget>

class LoanChart;

// The chart to assistive tools: a chart, not a plain pane, so a screen reader says what it is
// before it reads the cursor's period and values from the description.
class LoanChartAccessible final : public QAccessibleWidget {
  public:
    // Registers the interface (once).
    static void Install();

    explicit LoanChartAccessible(LoanChart* chart);

    QAccessible::Role role() const override;
};
