#include "RunOnlySettings.h"

#include <QSettings>

RunOnlySettings::RunOnlySettings() {
    // Without a private folder the settings must not go anywhere that outlives the run.
    const QString path = folder_.isValid() ? folder_.path() : QStringLiteral("/nonexistent");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
}
