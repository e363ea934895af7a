#pragma once

// The choice made in the print options dialog, read by the Print command after it closes.
struct PrintSettings {
    bool PrintCancelled = false;
    bool PrintAll = false;
    bool PrintActive = false;
};
