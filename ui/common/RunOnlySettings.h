#pragma once

#include <QTemporaryDir>

// The program keeps nothing between runs. Qt's own file dialog would remember its last folder
// and its history in the user's configuration; while an instance lives, Qt's user settings go to
// a private folder that is removed with it.
class RunOnlySettings {
  public:
    RunOnlySettings();
    RunOnlySettings(const RunOnlySettings&) = delete;
    RunOnlySettings& operator=(const RunOnlySettings&) = delete;

  private:
    QTemporaryDir folder_;
};
