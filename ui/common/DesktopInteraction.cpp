#include "DesktopInteraction.h"

#include "AppTitle.h"
#include "Printer.h"
#include "QtPrinter.h"
#include "QuestionBox.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLayout>
#include <QLocale>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeView>

#include <algorithm>
#include <iterator>

namespace {

// How the type column names a loan file: the comment of its MIME type where the desktop knows
// it, else that of plain text, as which the file's content is then recognised.
QString LoanFileType() {
    const QMimeDatabase types;
    const QMimeType loan =
        types.mimeTypeForFile(QStringLiteral("a.loa"), QMimeDatabase::MatchExtension);
    return loan.isDefault() ? types.mimeTypeForName(QStringLiteral("text/plain")).comment()
                            : loan.comment();
}

// Widens the detail view's columns to their longest usual texts and, once the dialog is laid out
// for showing, the dialog with them, so that no column starts cut off.
class ColumnFitter final : public QObject {
  public:
    ColumnFitter(QFileDialog& dialog, QTreeView& view)
        : QObject(&dialog), dialog_(dialog), view_(view) {
        WidenColumns();
        dialog.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Sent before the window is mapped, with its layout done: no flicker, known widths.
        if (watched == &dialog_ && event->type() == QEvent::Show) WidenDialog();
        return false;
    }

  private:
    void WidenColumns() {
        QHeaderView* header = view_.header();
        const QFontMetrics metrics(view_.font());
        const int padding = 2 * metrics.averageCharWidth();
        const auto text = [&metrics, padding](const QString& sample) {
            return metrics.horizontalAdvance(sample) + padding;
        };
        // The file system model shows sizes and dates in the system's own formats.
        const QLocale locale = QLocale::system();
        const QDateTime date(QDate(2028, 12, 28), QTime(23, 58, 58));
        // Qt's own width for names, room for some thirty characters, is left as it is.
        const int wanted[] = {
            0,
            text(locale.formattedDataSize(1023 * 1024 + 1000)),
            std::max(text(QCoreApplication::translate("QAbstractFileIconProvider", "Folder")),
                     text(LoanFileType())),
            text(locale.toString(date, QLocale::ShortFormat)),
        };
        for (int column = 0; column < int(std::size(wanted)) && column < header->count(); ++column)
            header->resizeSection(column, std::max({header->sectionSize(column), wanted[column],
                                                    header->sectionSizeHint(column)}));
    }

    void WidenDialog() {
        // Room for a vertical scroll bar too, which a full folder brings.
        const int needed = view_.header()->length() + view_.verticalScrollBar()->sizeHint().width();
        const int shortfall = needed - view_.viewport()->width();
        if (shortfall <= 0) return;
        // Grown on both sides, so it stays centred over the window; kept on its screen.
        QRect frame = dialog_.geometry().adjusted(-shortfall / 2, 0, shortfall - shortfall / 2, 0);
        if (const QScreen* screen = dialog_.screen()) {
            const QRect available = screen->availableGeometry();
            frame.setWidth(std::min(frame.width(), available.width()));
            if (frame.right() > available.right()) frame.moveRight(available.right());
            if (frame.left() < available.left()) frame.moveLeft(available.left());
        }
        dialog_.setGeometry(frame);
    }

    QFileDialog& dialog_;
    QTreeView& view_;
};

} // namespace

Interaction::Answer DesktopInteraction::Message(QWidget* parent, const QString& text,
                                                const QString& caption, Buttons buttons,
                                                Icon icon) {
    QuestionBox question(parent);
    QMessageBox plain(parent);
    QMessageBox& box = buttons == Buttons::OK ? plain : question;
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
    if (buttons == Buttons::RecoverDiscard) {
        // Answered by a button only, as a question box is; Recover, which loses nothing, is the
        // default, and only a press of Discard discards: a box ended by the program ending
        // keeps the loans.
        box.setStandardButtons(QMessageBox::NoButton);
        QPushButton* recover = box.addButton(QStringLiteral("&Recover"), QMessageBox::AcceptRole);
        QPushButton* discard =
            box.addButton(QStringLiteral("&Discard"), QMessageBox::DestructiveRole);
        box.setDefaultButton(recover);
        box.exec();
        return box.clickedButton() == discard ? Answer::Discard : Answer::Recover;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::OK;
}

std::optional<QString> DesktopInteraction::ChooseFile(QWidget* parent, const FileRequest& request) {
    QFileDialog dialog(parent);
    SetUp(dialog, request);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void DesktopInteraction::SetUp(QFileDialog& dialog, const FileRequest& request) {
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
    if (auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView")))
        new ColumnFitter(dialog, *view);
}

std::unique_ptr<Printer> DesktopInteraction::ChoosePrinter(QWidget* parent) {
    return ChoosePrinterForJob(parent, QString());
}

std::unique_ptr<Printer> DesktopInteraction::ChoosePrinterForJob(QWidget* parent,
                                                                 const QString& jobName) {
    std::unique_ptr<QPrinter> printer = NewPrinter(jobName);
    QPrintDialog dialog(printer.get(), parent);
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return std::make_unique<QtPrinter>(std::move(printer));
}

// Qt's own size shows a page too small to read. At twice the density its toolbar would fold
// buttons away behind an arrow: the dialog is as wide as the toolbar where the screen allows,
// and the buttons' icons keep to the style's small size where it does not.
void DesktopInteraction::FitPreview(QDialog& preview, const QWidget* parent) {
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    QSize size(area.width() * 9 / 10, area.height() * 9 / 10);
    if (auto* toolbar = preview.findChild<QToolBar*>()) {
        const QMargins frame = preview.layout() ? preview.layout()->contentsMargins() : QMargins();
        const int margins = frame.left() + frame.right();
        if (toolbar->sizeHint().width() + margins > size.width()) {
            const int small =
                toolbar->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, toolbar);
            toolbar->setIconSize(QSize(small, small));
        }
        size.setWidth(
            std::min(area.width(), std::max(size.width(), toolbar->sizeHint().width() + margins)));
    }
    preview.resize(size);
    // Centred on the screen the window is on.
    preview.move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

std::unique_ptr<QPrinter> DesktopInteraction::NewPrinter(const QString& jobName) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // Named before the dialog, which also offers the name for a print to a file.
    printer->setDocName(jobName);
    return printer;
}

int DesktopInteraction::Exec(QDialog& dialog) {
    return dialog.exec();
}

Interaction::PrintOutcome DesktopInteraction::PrintWithPreview(QWidget* parent,
                                                               const PrintJob& print,
                                                               bool landscape,
                                                               const QString& jobName) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(jobName);
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPrintPreviewDialog preview(&printer, parent);
    FitPreview(preview, parent);
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
