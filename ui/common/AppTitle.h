#pragma once

#include <QString>

// The caption of message boxes that carry none of their own, and the stem of the main caption.
inline const QString kAppTitle = QStringLiteral("Dravenholt Information Technology Loan");
// The program's short name: its menu entry, its --version, the name of its print jobs.
inline const QString kProgramName = QStringLiteral("Dravenholt Loan");
