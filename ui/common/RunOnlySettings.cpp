#include "RunOnlySettings.h"

#include <QDir>
#include <QSettings>

RunOnlySettings::RunOnlySettings()
    : folder_(QDir::tempPath() + QStringLiteral("/dravenholt-loan-XXXXXX")) {
    // Without a private folder the settings go to a path no one can create, not even root.
    const QString path = folder_.isValid() ? folder_.path() : QStringLiteral("/dev/null/none");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
}
