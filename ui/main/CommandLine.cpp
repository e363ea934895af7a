#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

void Print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

CommandLine::CommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Loan repayment calculator: weekly to quarterly instalments of a loan "
                       "split into a variable-rate and a fixed-rate part."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A loan file (.loa) to open."),
                                 QStringLiteral("[FILE]"));

    finished_ = true;
    if (!parser.parse(arguments)) {
        Print(stderr, parser.errorText() + QStringLiteral("\n"));
        exitCode_ = 2;
        return;
    }
    if (parser.isSet(help)) {
        Print(stdout, parser.helpText());
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
    if (!positional.isEmpty()) file_ = positional.first();
}
