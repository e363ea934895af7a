#pragma once

#include "ui/common/Interaction.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <variant>

// Plays the user's part in tests: each modal exchange must match the next expected step, which
// gives the answer. Mismatches and unused steps are collected in Errors().
class ScriptedInteraction final : public Interaction {
  public:
    using DialogScript = std::function<void(QDialog&)>;
    using PrinterMaker = std::function<std::unique_ptr<Printer>()>;

    ScriptedInteraction() { Install(this); }
    ~ScriptedInteraction() override { Install(nullptr); }

    // A caption given here is compared with the box's effective caption (empty = the app title).
    ScriptedInteraction& ExpectMessage(const QString& text, const QString& caption, Buttons buttons,
                                       Icon icon, Answer answer = Answer::OK);
    // The main window's start-up message, answered OK.
    ScriptedInteraction& ExpectStartUp();
    // Answers a file dialog of that mode with path, or cancels it with std::nullopt.
    ScriptedInteraction& ExpectFile(FileMode mode, std::optional<QString> path);
    // make() gives the printer; returning nullptr cancels the printer dialog.
    ScriptedInteraction& ExpectPrinter(PrinterMaker make);
    // A print preview from which the user prints on make()'s printer; nullptr closes it unprinted.
    ScriptedInteraction& ExpectPreview(PrinterMaker make);
    // script drives the shown dialog with real key and mouse events and must close it.
    ScriptedInteraction& ExpectDialog(DialogScript script);

    Answer Message(QWidget* parent, const QString& text, const QString& caption, Buttons buttons,
                   Icon icon) override;
    std::optional<QString> ChooseFile(QWidget* parent, const FileRequest& request) override;
    std::unique_ptr<Printer> ChoosePrinter(QWidget* parent) override;
    std::unique_ptr<Printer> ChoosePrinterForJob(QWidget* parent, const QString& jobName) override;
    int Exec(QDialog& dialog) override;
    PrintOutcome PrintWithPreview(QWidget* parent, const PrintJob& print, bool landscape,
                                  const QString& jobName) override;

    // Empty when every exchange matched its step and every step was used.
    QString Errors() const;
    bool Done() const { return Errors().isEmpty(); }
    void Clear();

    QStringList messagesShown;       // "caption|text" of every message box, in order
    QList<FileRequest> fileRequests; // every file dialog request, in order
    QStringList printJobNames;       // the job name given to every printer dialog, in order
    QList<bool> previewsLandscape;   // every print preview: whether it opened in landscape

  private:
    struct MessageStep {
        QString text, caption;
        Buttons buttons;
        Icon icon;
        Answer answer;
    };
    struct FileStep {
        FileMode mode;
        std::optional<QString> path;
    };
    struct PreviewStep {
        PrinterMaker make;
    };
    using Step = std::variant<MessageStep, FileStep, PrinterMaker, DialogScript, PreviewStep>;

    template <typename T> T* Next(const char* what, const QString& detail);

    std::deque<Step> steps_;
    QStringList errors_;
};
