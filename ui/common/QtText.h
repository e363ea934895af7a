#pragma once

#include "calc/RepaymentSchedule.h"

#include <QString>

#include <string_view>

// The program's own texts as the windows show them: calc/ and loan/ work in UTF-8 and cents.
class QtText {
  public:
    static QString FromUtf8(std::string_view text);
    // "$1,215.37", as the results table and the loan file write an amount.
    static QString Currency(calc::Cents cents);
};
