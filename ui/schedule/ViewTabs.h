#pragma once

#include <QTabWidget>

// Tabs whose access keys go where the user is headed: Alt and a tab's letter shows the tab and
// puts the focus in its page (a stacked page's current one), as a label's access key puts it in
// the field the label names.
// A plain QTabWidget only shows the page and leaves the focus where it was, out of sight.
class ViewTabs final : public QTabWidget {
    Q_OBJECT
  public:
    explicit ViewTabs(QWidget* parent = nullptr);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool forwarding_ = false;
};
