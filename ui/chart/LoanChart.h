#pragma once

#include "ChartGeometry.h"

#include <QWidget>

#include <optional>

namespace calc {
class LoanSchedule;
class ScheduleScenarios;
} // namespace calc

// The chart of a loan's schedule as a control of its own. It takes the focus, and a cursor walks
// its periods from the keyboard: Left and Right a period, Page Up and Page Down a year's periods,
// Home and End to the first and the last; a click or a drag puts it at the period under the
// pointer. The tooltip and the accessible description say the cursor's period, its date and the
// table's values for it, and CursorMoved tells the window, which may move its table along.
class LoanChart final : public QWidget {
    Q_OBJECT
  public:
    explicit LoanChart(QWidget* parent = nullptr);

    // The schedule shown and the scenarios beside it, or none; they must outlive their showing.
    // The cursor stays at its period where the new schedule has it.
    void SetSchedule(const calc::LoanSchedule* schedule,
                     const calc::ScheduleScenarios* scenarios = nullptr);
    // The Variable +1% and +2% lines over the plan's.
    void SetStressedShown(bool shown);
    bool StressedShown() const { return stressed_; }

    // The cursor's period from 1; 0 without a schedule.
    int CursorPeriod() const { return cursor_; }
    void SetCursorPeriod(int period);

    // The geometry as last laid out for the widget's size; nullptr without a schedule.
    const ChartGeometry* Geometry() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    void CursorMoved(int period);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void Invalidate();
    void CursorChanged(bool tellTheTooltip);

    const calc::LoanSchedule* schedule_ = nullptr;
    const calc::ScheduleScenarios* scenarios_ = nullptr;
    bool stressed_ = false;
    int cursor_ = 0;
    // Laid out on demand: a schedule changing at every keystroke is laid out once it is shown.
    mutable std::optional<ChartGeometry> geometry_;
};
