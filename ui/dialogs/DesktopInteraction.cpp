#include "DesktopInteraction.h"

#include "AppTitle.h"
#include "Printer.h"
#include "QtPrinter.h"
#include "QuestionBox.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

Interaction::Answer DesktopInteraction::Message(QWidget* parent, const QString& text,
                                                const QString& caption, Buttons buttons,
                                                Icon icon) {
    QuestionBox question(parent);
    QMessageBox plain(parent);
    QMessageBox& box = buttons == Buttons::YesNo ? question : plain;
    box.setWindowTitle(caption.isEmpty() ? kAppTitle : caption);
    // File names in messages are shown as they stand, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    if (buttons == Buttons::YesNo) {
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::OK;
}

std::optional<QString> DesktopInteraction::ChooseFile(QWidget* parent, const FileRequest& request) {
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The program asks its own questions about existing files.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.mode == FileMode::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    if (!request.initialName.isEmpty()) dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::unique_ptr<Printer> DesktopInteraction::ChoosePrinter(QWidget* parent) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer.get(), parent);
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return std::make_unique<QtPrinter>(std::move(printer));
}

int DesktopInteraction::Exec(QDialog& dialog) {
    return dialog.exec();
}

Interaction::PrintOutcome DesktopInteraction::PrintWithPreview(QWidget* parent,
                                                               const PrintJob& print,
                                                               bool landscape) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPrintPreviewDialog preview(&printer, parent);
    // The last run is the one for the printer, once the user has printed.
    bool printed = true;
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&print, &printed](QPrinter* target) {
                         QtPrinter out(*target);
                         printed = print(out);
                     });
    if (preview.exec() != QDialog::Accepted) return PrintOutcome::Cancelled;
    return printed ? PrintOutcome::Printed : PrintOutcome::Failed;
}
