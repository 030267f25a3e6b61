// files: everything QB41 keeps on disk. The settings data file (.dat, the
// sectioned key=value text the user keeps a radio's configuration in), the
// image file (.hex, raw RadioImage bytes, a service feature), the destination
// default files (raw images beside the executable that seed each region's
// factory set) and the keys of the per-user settings store.
//
// Plain C++ on top of core (records, state, errors, log, notifier), image (the
// codec) and report (SplitList, PriorityText, the report text). No Qt: the GUI
// adds dialogs, pointers and its own settings backend around these operations.
//
// Every top-level operation here follows the program's failure convention: it
// traps its own failures, sets the error and cancel flags of AppState, logs
// under its fixed source name and shows its fixed message through the
// Notifier. It also returns whether it succeeded, for callers without flags.
#pragma once

#include "core/app_state.h"
#include "core/error_log.h"
#include "core/notifier.h"
#include "core/records.h"

namespace qb41 {

// What a file operation works on and reports through. The GUI's flows add the
// window handling (busy pointer, disabled window, 500 ms pauses) around it.
struct FileContext {
    AppState& app;
    DataSet& data;
    Notifier& notifier;
    const ErrorLog& log;
};

} // namespace qb41
