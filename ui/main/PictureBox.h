#pragma once

#include <QIcon>
#include <QPixmap>
#include <QWidget>

// A picture with mouse-down and mouse-up events, optionally framed by a single line.
// A picture given a pressed look is a button: Space (down, then up) and Enter press it as the
// mouse does, and assistive tools see a push button.
class PictureBox final : public QWidget {
    Q_OBJECT
  public:
    PictureBox(const QPixmap& picture, bool border, QWidget* parent = nullptr);
    // The picture in fileName together with its drawing for high-density screens beside it
    // (NAME@2x.png for NAME.png), so that a screen gets the one drawn nearest its pixel ratio.
    PictureBox(const QString& fileName, bool border, QWidget* parent = nullptr);

    // The picture at its own size, one image pixel to a screen pixel at ratio 1.
    const QPixmap& Picture() const { return picture_; }
    // The picture as it is drawn on a screen of this device pixel ratio.
    QPixmap PictureFor(qreal devicePixelRatio) const;

    // A box whose picture is not shown lets what lies under it show through, while it keeps
    // the mouse: a raised button picture is "hidden" this way during a press, so the release
    // still comes to it (a widget hidden while pressed loses its release).
    bool PictureShown() const { return shown_; }
    void SetPictureShown(bool shown);

    // pressed lies under this box and shows while it is pressed. It is how the button looks,
    // not a control: it takes no focus, and assistive tools do not see it.
    void SetPressedLook(PictureBox* pressed);
    bool IsButton() const { return pressedLook_ != nullptr; }
    bool IsPressedLook() const { return lookOf_ != nullptr; }

    // A press and release, as a click or Enter gives (for assistive tools).
    void Press();

  signals:
    void MouseDown();
    void MouseUp();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    QPixmap picture_;
    QIcon drawings_; // picture_ and its high-density drawings
    bool border_;
    bool shown_ = true;
    PictureBox* pressedLook_ = nullptr;
    PictureBox* lookOf_ = nullptr;
    bool spaceDown_ = false;
};
