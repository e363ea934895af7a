#pragma once

// The program keeps nothing between runs. Qt's own file dialog would remember its last folder
// and its history in the user's configuration; its settings go to a path that cannot be made, so
// there is nothing to write and no folder to leave behind, even when the program is killed (the
// dialog remembers its last folder for the run in memory). Earlier versions kept them in a
// private folder in the temp folder for each run, which a killed run left there; those are
// removed at start.
class RunOnlySettings {
  public:
    RunOnlySettings();
    RunOnlySettings(const RunOnlySettings&) = delete;
    RunOnlySettings& operator=(const RunOnlySettings&) = delete;

    // The folders "dravenholt-loan-XXXXXX" in folder that are this user's, removed unless
    // another run of the program is still going, which may be using one.
    static void RemoveLeftovers(const char* folder);
};
