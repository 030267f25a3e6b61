// The panes on the right of the main window that edit records. Each pane is a
// widget the window creates once; the window asks it to lay itself out for a
// model, to fill itself from the records when its node is selected, and to
// validate the field the user last edited before anything leaves it.
#pragma once

#include "editor/section_tree.h"

#include "core/app_state.h"
#include "core/notifier.h"
#include "core/records.h"

#include <QWidget>

#include <functional>
#include <map>
#include <string>

namespace qb41::editor {
class Session;
}

namespace qb41::gui {

// The dynamic property holding a control's help context number; F1 opens the
// help at the nearest one up the widget's parents.
inline constexpr const char* kHelpContext = "helpContext";

// What a pane works on; all of it outlives the panes.
struct PaneContext {
    AppState& app;
    DataSet& data;
    Notifier& notifier;
    editor::Session& session;
    std::function<void(const QString&)> setHint; // status panel 1
    // Runs a transfer (read, program or clear) through the transfer dialog;
    // empty until the window has one.
    std::function<void(TransferMode)> runTransfer;
};

class EditorPane : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    // Value lists, captions and visibility for the model (the data reset).
    virtual void prepare(ModelNumber model) { (void)model; }
    // Shows the record(s) the node names. Called with the loading flag set;
    // filling never counts as an edit.
    virtual void fill(const editor::PaneTarget& target, const std::string& nodeKey) = 0;
    // The check of the field the user last edited; shows its message and
    // returns focus to the field when it refuses.
    virtual bool validate() { return true; }

    // The size the pane's controls need to show without scrolling.
    QSize neededSize() const;

protected:
    // The widget a pane lays its controls out on: it scrolls inside the pane
    // when the window is smaller than the controls need (a large font or
    // scale), so nothing is squeezed or cut.
    QWidget* body();

private:
    QWidget* body_ = nullptr;
};

// The editing panes by kind (Usable, Common, Dsc, Atis, Channel, Weather,
// DirectoryEntry), parented to `parent`.
std::map<editor::PaneKind, EditorPane*> CreateEditorPanes(PaneContext& context, QWidget* parent);

} // namespace qb41::gui
