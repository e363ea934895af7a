#pragma once

#include <QString>

#include <optional>

class QWidget;

// The main window's file dialog, dlgOpen: shows the Open and Save dialogs through the program's
// interaction seam and keeps the current file name. It makes no checks of its own; the file
// commands decide what to do with the chosen path and whether it becomes FileName.
class FileDialogComponent {
  public:
    explicit FileDialogComponent(QWidget* owner) : owner_(owner) {}

    // The table's file, empty while untitled; offered as the initial name.
    QString FileName;
    QString Filter = QStringLiteral("Loan Files (*.loa)");
    QString DefaultExt = QStringLiteral("loa");

    // The chosen path, or nothing when the user cancelled.
    std::optional<QString> ShowOpen() const;
    std::optional<QString> ShowSave() const;

  private:
    std::optional<QString> Show(bool save) const;

    QWidget* owner_;
};
