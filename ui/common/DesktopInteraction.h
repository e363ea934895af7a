#pragma once

#include "Interaction.h"

class QDialog;
class QFileDialog;
class QPrinter;

// Real dialogs: QMessageBox, Qt's own (non-native) file dialog, QPrintDialog,
// QPrintPreviewDialog, QDialog::exec.
class DesktopInteraction final : public Interaction {
  public:
    Answer Message(QWidget* parent, const QString& text, const QString& caption, Buttons buttons,
                   Icon icon) override;
    std::optional<QString> ChooseFile(QWidget* parent, const FileRequest& request) override;
    std::unique_ptr<Printer> ChoosePrinter(QWidget* parent) override;
    std::unique_ptr<Printer> ChoosePrinterForJob(QWidget* parent, const QString& jobName) override;
    int Exec(QDialog& dialog) override;

    // Sets dialog up for request: Qt's own dialog, the one file type, the initial name, and a
    // width at which the name, size, type and date columns all show.
    static void SetUp(QFileDialog& dialog, const FileRequest& request);
    // A print preview large enough to read a page, most of the parent's screen, its toolbar's
    // buttons all in sight; centred on the screen.
    static void FitPreview(QDialog& preview, const QWidget* parent);
    // The printer the printer dialog starts from, its job named jobName.
    static std::unique_ptr<QPrinter> NewPrinter(const QString& jobName);
    PrintOutcome PrintWithPreview(QWidget* parent, const PrintJob& print, bool landscape,
                                  const QString& jobName) override;
};
