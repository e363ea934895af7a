#pragma once

#include <QPixmap>
#include <QWidget>

// A picture with mouse-down and mouse-up events, optionally framed by a single line.
class PictureBox final : public QWidget {
    Q_OBJECT
  public:
    PictureBox(const QPixmap& picture, bool border, QWidget* parent = nullptr);

    const QPixmap& Picture() const { return picture_; }

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
};
