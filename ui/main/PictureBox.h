#pragma once

#include <QPixmap>
#include <QWidget>

// A picture with mouse-down and mouse-up events, optionally framed by a single line.
class PictureBox final : public QWidget {
    Q_OBJECT
  public:
    PictureBox(const QPixmap& picture, bool border, QWidget* parent = nullptr);

    const QPixmap& Picture() const { return picture_; }

    // A box whose picture is not shown lets what lies under it show through, while it keeps
    // the mouse: a raised button picture is "hidden" this way during a press, so the release
    // still comes to it (a widget hidden while pressed loses its release).
    bool PictureShown() const { return shown_; }
    void SetPictureShown(bool shown);

  signals:
    void MouseDown();
    void MouseUp();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QPixmap picture_;
    bool border_;
    bool shown_ = true;
};
