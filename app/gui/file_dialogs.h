// The program's file dialogs. Every one starts in the same remembered folder
// (kept in the settings store), suggests a name where one is known, and gives
// a typed name without an extension the extension of the chosen filter.
#pragma once

#include "files/settings_store.h"

#include <QString>

class QWidget;

namespace qb41::gui {

struct FileDialogRequest {
    // Pairs of caption and pattern: "dat files(*.dat)|*.dat|All files(*.*)|*.*".
    QString filter;
    bool save = false;
    QString suggestedName; // file name only; save dialogs
};

// "boat" with the pattern "*.dat" gives "boat.dat"; a name with an extension,
// or a pattern without one ("*.*"), is kept as it is.
QString WithFilterSuffix(const QString& name, const QString& pattern);

// The name a save dialog suggests: the current file's name when it is of the
// filter's first kind, else its base name (or "radio") with that kind's
// extension.
QString SuggestedSaveName(const QString& currentFile, const QString& filter);

class FileDialogs {
public:
    explicit FileDialogs(SettingsStore& store) : store_(store) {}
    // The chosen absolute path, or empty when cancelled. The chosen file's
    // folder becomes the remembered one.
    QString ask(QWidget* parent, const FileDialogRequest& request);
    QString startFolder() const;

private:
    SettingsStore& store_;
};

} // namespace qb41::gui
