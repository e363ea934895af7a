#pragma once

#include <QAccessibleWidget>

class PictureBox;

// Picture boxes to assistive tools: a button picture is a push button with a press action, any
// other picture an image. A button's pressed picture is only how the button looks, so the
// widget holding it leaves it out of its children.
class PictureBoxAccessible final : public QAccessibleWidget {
  public:
    // Registers the interfaces (once).
    static void Install();

    explicit PictureBoxAccessible(PictureBox* box);

    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

  private:
    PictureBox* Box() const;
};
