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
// Failures travel one way. An operation returns a FileOutcome (status,
// reason, path, cause; file_outcome.h) and neither shows, logs nor sets a
// flag. The FileContext operations (FileRead2, SaveFileAs, OpenImageFile,
// LoadDataSet, ...) are the edge the window's session and the command-line
// tool call: each runs one operation and hands its outcome to
// ApplyFileOutcome, the one place that follows the program's failure
// convention (error and cancel flags of AppState, the log line under the fixed
// source name, the fixed message through the Notifier). They return whether
// the operation succeeded, for callers without flags.
#pragma once

#include "core/app_state.h"
#include "core/error_log.h"
#include "core/notifier.h"
#include "core/records.h"
#include "file_outcome.h"

namespace qb41 {

// What a file operation works on and reports through. The GUI's flows add the
// window handling (busy pointer, disabled window, 500 ms pauses) around it.
struct FileContext {
    AppState& app;
    DataSet& data;
    Notifier& notifier;
    const ErrorLog& log;
};

// The edge: the flags, the log line and the message of `outcome`, exactly as
// the program has always reported each operation; true when it is Ok.
bool ApplyFileOutcome(FileContext& context, const FileOutcome& outcome);

} // namespace qb41
