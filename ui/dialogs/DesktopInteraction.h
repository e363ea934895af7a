#pragma once

#include "Interaction.h"

// Real dialogs: QMessageBox, Qt's own (non-native) file dialog, QPrintDialog,
// QPrintPreviewDialog, QDialog::exec.
class DesktopInteraction final : public Interaction {
public:
    Answer Message(QWidget* parent, const QString& text, const QString& caption, Buttons buttons,
                   Icon icon) override;
    std::optional<QString> ChooseFile(QWidget* parent, const FileRequest& request) override;
    std::unique_ptr<Printer> ChoosePrinter(QWidget* parent) override;
    int Exec(QDialog& dialog) override;
    PrintOutcome PrintWithPreview(QWidget* parent, const PrintJob& print, bool landscape) override;
};
