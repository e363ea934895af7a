#pragma once

#include <QWidget>

#include <array>

class QLabel;

// The repayment results as one keyboard stop: the heading labels and the value cells of the
// five repayment rows lie in it. Up and Down pick the row above or below the chosen one, Home
// and End the first and the last, reported as a click on that row would be; the chosen row is
// framed while the table has the focus. To assistive tools it is a table whose chosen row's
// cells are selected.
class ResultsTable final : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kRows = 5;
    static constexpr int kColumns = 3;

    explicit ResultsTable(QWidget* parent = nullptr);

    // The labels it holds (its children): headings 0..3 across the top, 4..8 down the side,
    // and the value cells row by row.
    void SetLabels(const std::array<QLabel*, kRows + 4>& headings,
                   const std::array<QLabel*, kRows * kColumns>& cells);
    QLabel* Heading(int index) const { return headings_.at(static_cast<std::size_t>(index)); }
    QLabel* Cell(int index) const { return cells_.at(static_cast<std::size_t>(index)); }

    // The row shown chosen, -1 for none. Set by the dialog whenever it marks a row.
    int ChosenRow() const { return chosen_; }
    void SetChosenRow(int row);

  signals:
    // The user picked a row by key or through an assistive tool; handled as a click on it.
    void RowPicked(int row);

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void PlaceFocusFrame();

    std::array<QLabel*, kRows + 4> headings_{};
    std::array<QLabel*, kRows * kColumns> cells_{};
    QWidget* focusFrame_;
    int chosen_ = -1;
};
