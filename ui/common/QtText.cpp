#include "QtText.h"

#include "calc/NumberText.h"

QString QtText::FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString QtText::Currency(calc::Cents cents) {
    return QString::fromStdString(calc::CurrencyTextOf(static_cast<double>(cents) / 100));
}
