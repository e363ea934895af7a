#include "CommandLine.h"

#include "NativeFileName.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <filesystem>

namespace {

// The name the program is installed under; the help shows it rather than the path it was
// started by.
constexpr auto kProgram = "dravenholt-loan";

void Print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

QString HelpText(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    // The parser names the program as Qt read it.
    const QString started = QStringLiteral("Usage: ") + QCoreApplication::arguments().value(0);
    if (text.startsWith(started))
        text.replace(0, started.size(), QStringLiteral("Usage: ") + QLatin1String(kProgram));
    return text;
}

// The caption and later saves use the full path, as after File > Open; the folder the program
// was started in means nothing to either.
QString FullPath(const QString& name) {
    if (QDir::isAbsolutePath(name)) return QDir::cleanPath(name);
    std::error_code error;
    const std::string current = std::filesystem::current_path(error).native();
    if (error) return name;
    return QDir::cleanPath(NativeFileName::Decode(QByteArray::fromStdString(current)) +
                           QLatin1Char('/') + name);
}

} // namespace

QStringList CommandLine::Arguments(int argc, const char* const argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << NativeFileName::Decode(QByteArray(argv[i]));
    return arguments;
}

CommandLine::CommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Loan repayment calculator: weekly to quarterly instalments of a loan\n"
                       "split into a variable-rate and a fixed-rate part."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("A loan file (.loa) to open once the window is up, as File > Open does."),
        QStringLiteral("[FILE]"));

    finished_ = true;
    if (!parser.parse(arguments)) {
        Print(stderr, parser.errorText() + QStringLiteral("\n"));
        exitCode_ = 2;
        return;
    }
    if (parser.isSet(help)) {
        Print(stdout, HelpText(parser));
        return;
    }
    if (parser.isSet(version)) {
        Print(stdout, QCoreApplication::applicationName() + QStringLiteral(" ") +
                          QCoreApplication::applicationVersion() + QStringLiteral("\n"));
        return;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        Print(stderr, QStringLiteral("Only one loan file can be opened.\n"));
        exitCode_ = 2;
        return;
    }
    finished_ = false;
    if (!positional.isEmpty() && !positional.first().isEmpty())
        file_ = FullPath(positional.first());
}
