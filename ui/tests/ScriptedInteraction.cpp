#include "ScriptedInteraction.h"

#include "ui/common/AppTitle.h"
#include "ui/common/Printer.h"

#include <QApplication>
#include <QDialog>

namespace {
QString Effective(const QString& caption) {
    return caption.isEmpty() ? kAppTitle : caption;
}
} // namespace

ScriptedInteraction& ScriptedInteraction::ExpectMessage(const QString& text, const QString& caption,
                                                        Buttons buttons, Icon icon, Answer answer) {
    steps_.push_back(MessageStep{text, Effective(caption), buttons, icon, answer});
    return *this;
}

ScriptedInteraction& ScriptedInteraction::ExpectStartUp() {
    return ExpectMessage(QStringLiteral("For more software visit https://www.dravenholt.example"),
                         kAppTitle, Buttons::OK, Icon::Information);
}

ScriptedInteraction& ScriptedInteraction::ExpectFile(FileMode mode, std::optional<QString> path) {
    steps_.push_back(FileStep{mode, std::move(path)});
    return *this;
}

ScriptedInteraction& ScriptedInteraction::ExpectPrinter(PrinterMaker make) {
    steps_.push_back(std::move(make));
    return *this;
}

ScriptedInteraction& ScriptedInteraction::ExpectPreview(PrinterMaker make) {
    steps_.push_back(PreviewStep{std::move(make)});
    return *this;
}

ScriptedInteraction& ScriptedInteraction::ExpectDialog(DialogScript script) {
    steps_.push_back(std::move(script));
    return *this;
}

template <typename T> T* ScriptedInteraction::Next(const char* what, const QString& detail) {
    if (steps_.empty()) {
        errors_ << QStringLiteral("unexpected %1: %2").arg(QLatin1String(what), detail);
        return nullptr;
    }
    if (!std::holds_alternative<T>(steps_.front())) {
        errors_ << QStringLiteral("expected another exchange, got %1: %2")
                       .arg(QLatin1String(what), detail);
        steps_.pop_front();
        return nullptr;
    }
    return &std::get<T>(steps_.front());
}

Interaction::Answer ScriptedInteraction::Message(QWidget*, const QString& text,
                                                 const QString& caption, Buttons buttons,
                                                 Icon icon) {
    const QString shown = Effective(caption);
    messagesShown << shown + QLatin1Char('|') + text;
    auto* step = Next<MessageStep>("message", shown + QLatin1Char('|') + text);
    if (!step) return buttons == Buttons::YesNo ? Answer::No : Answer::OK;
    const MessageStep expected = *step;
    steps_.pop_front();
    if (expected.text != text || expected.caption != shown || expected.buttons != buttons ||
        expected.icon != icon) {
        errors_ << QStringLiteral(
                       "message differs: got \"%1\" / \"%2\" (buttons %3, icon %4), expected "
                       "\"%5\" / \"%6\" (buttons %7, icon %8)")
                       .arg(text, shown)
                       .arg(int(buttons))
                       .arg(int(icon))
                       .arg(expected.text, expected.caption)
                       .arg(int(expected.buttons))
                       .arg(int(expected.icon));
    }
    return expected.answer;
}

std::optional<QString> ScriptedInteraction::ChooseFile(QWidget*, const FileRequest& request) {
    fileRequests << request;
    auto* step = Next<FileStep>("file dialog", request.initialName);
    if (!step) return std::nullopt;
    const FileStep expected = *step;
    steps_.pop_front();
    if (expected.mode != request.mode) errors_ << QStringLiteral("file dialog of the other mode");
    return expected.path;
}

std::unique_ptr<Printer> ScriptedInteraction::ChoosePrinterForJob(QWidget* parent,
                                                                  const QString& jobName) {
    printJobNames << jobName;
    return ChoosePrinter(parent);
}

std::unique_ptr<Printer> ScriptedInteraction::ChoosePrinter(QWidget*) {
    auto* step = Next<PrinterMaker>("printer dialog", QString());
    if (!step) return nullptr;
    PrinterMaker make = std::move(*step);
    steps_.pop_front();
    return make ? make() : nullptr;
}

Interaction::PrintOutcome ScriptedInteraction::PrintWithPreview(QWidget*, const PrintJob& print,
                                                                bool landscape,
                                                                const QString& jobName) {
    previewsLandscape << landscape;
    printJobNames << jobName;
    auto* step = Next<PreviewStep>("print preview", QString());
    if (!step) return PrintOutcome::Cancelled;
    const PrinterMaker make = std::move(step->make);
    steps_.pop_front();
    const std::unique_ptr<Printer> printer = make ? make() : nullptr;
    if (!printer) return PrintOutcome::Cancelled;
    return print(*printer) ? PrintOutcome::Printed : PrintOutcome::Failed;
}

int ScriptedInteraction::Exec(QDialog& dialog) {
    auto* step = Next<DialogScript>("dialog", dialog.windowTitle());
    if (!step) return QDialog::Rejected;
    DialogScript script = std::move(*step);
    steps_.pop_front();
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QApplication::processEvents();
    if (script) script(dialog);
    if (dialog.isVisible()) {
        errors_
            << QStringLiteral("dialog \"%1\" left open by its script").arg(dialog.windowTitle());
        dialog.reject();
    }
    return dialog.result();
}

QString ScriptedInteraction::Errors() const {
    QStringList all = errors_;
    if (!steps_.empty())
        all << QStringLiteral("%1 scripted exchange(s) never happened").arg(steps_.size());
    return all.join(QLatin1Char('\n'));
}

void ScriptedInteraction::Clear() {
    steps_.clear();
    errors_.clear();
    messagesShown.clear();
    fileRequests.clear();
    printJobNames.clear();
    previewsLandscape.clear();
}
