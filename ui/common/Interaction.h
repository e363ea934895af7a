#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QDialog;
class QWidget;
class Printer;

// Every modal exchange with the user passes through here: message boxes, file and printer
// dialogs and the program's own dialogs. The desktop implementation shows real dialogs;
// tests install a scripted one and run the real windows without a modal event loop.
class Interaction {
  public:
    // RecoverDiscard: the start-up offer of loans a program left unsaved.
    enum class Buttons { OK, YesNo, RecoverDiscard };
    enum class Icon { None, Information, Question, Critical };
    enum class Answer { OK, Yes, No, Recover, Discard };
    enum class FileMode { Open, Save };

    struct FileRequest {
        FileMode mode = FileMode::Open;
        QString initialName;
        QString filter;        // "Loan Files (*.loa)"
        QString defaultSuffix; // "loa"
    };

    virtual ~Interaction() = default;

    // A caption left empty shows the application's title.
    virtual Answer Message(QWidget* parent, const QString& text, const QString& caption,
                           Buttons buttons, Icon icon) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> ChooseFile(QWidget* parent, const FileRequest& request) = 0;
    // The printer the user set up, ready to print, or nullptr when the user cancelled.
    virtual std::unique_ptr<Printer> ChoosePrinter(QWidget* parent) = 0;
    // The same for a job of that name: the title of a PDF, the name a print queue shows.
    // Interactions that do not name jobs need not override it.
    virtual std::unique_ptr<Printer> ChoosePrinterForJob(QWidget* parent, const QString& jobName);
    // Shows one of the program's own dialogs modally; returns its result code.
    virtual int Exec(QDialog& dialog) = 0;

    enum class PrintOutcome { Printed, Cancelled, Failed };
    // Prints with print(printer), which ends the job and returns false when the printer failed.
    // The desktop shows a print preview first (in landscape when asked), from which the user
    // prints or not; print runs for the preview pages and again for the printer. Without a
    // preview of its own an interaction prints straight to the printer the user sets up.
    // jobName names the job (a PDF's title).
    using PrintJob = std::function<bool(Printer&)>;
    virtual PrintOutcome PrintWithPreview(QWidget* parent, const PrintJob& print, bool landscape,
                                          const QString& jobName);

    static Interaction& Current();
    // Replaces the interaction for the rest of the run (tests); nullptr restores the desktop one.
    static void Install(Interaction* interaction);
};
