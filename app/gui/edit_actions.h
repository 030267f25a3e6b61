// The window's editing commands: Edit > Undo/Redo over the undo stack, the
// editable list grids (Space, F2 or typing, Ctrl+D, Ctrl+C/Ctrl+V, Delete),
// Edit > Find... / Find Next, and View > "Show all channels". The window
// creates one after its panes and tells it when the records were replaced
// and after every event (sync).
#pragma once

#include "grid_model.h"

#include "editor/undo_stack.h"

#include "files/settings_store.h"

#include <QObject>

#include <optional>

class QAction;
class QTableView;

namespace qb41::gui {

class MainWindow;
class QtNotifier;

class EditActions : public QObject {
    Q_OBJECT
public:
    EditActions(MainWindow& window, AppState& app, DataSet& data, QtNotifier& notifier,
                SettingsStore& store);

    // After every event: pane edits become steps, a save marks the clean one.
    void sync();
    // New, Open, a read, a model or destination switch: a new history.
    void recordsReplaced();
    // The list grid of `nodeKey` after the window filled it: remembered
    // column sizes, name column stretched.
    void listShown(QTableView* grid, const std::string& nodeKey);
    bool showAll() const { return showAll_; }
    // The grid list a list node shows with the "Show all channels" choice.
    std::optional<editor::GridList> listOf(const std::string& nodeKey) const;

    void undo();
    void redo();
    void copy();
    void paste();
    void fillDown();
    void find();
    void findNext();
    void setShowAll(bool on);
    const editor::UndoStack& stack() const { return stack_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void configure(QTableView* grid);
    QTableView* shownGrid() const;
    std::vector<int> selectedRows(QTableView* grid) const;
    void toggle(QTableView* grid, const std::vector<int>& rows, int column);
    void deleteRows(QTableView* grid);
    void recorded(const std::string& text);
    void afterHistoryMove(std::size_t step);
    void refreshTreeFor(const editor::RecordsChange& change);
    void updateActions();
    void showHit(const editor::FindHit& hit);
    void saveWidths(QTableView* grid);

    MainWindow& window_;
    AppState& app_;
    DataSet& data_;
    QtNotifier& notifier_;
    SettingsStore& store_;
    editor::UndoStack stack_;
    GridModelContext context_;
    QTableView* grids_[2] = {nullptr, nullptr};
    std::string listKeys_[2];
    bool applyingWidths_ = false;
    bool showAll_ = false;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QAction* showAllAction_ = nullptr;
    std::string findText_;
    std::optional<editor::FindHit> lastHit_;
};

inline constexpr const char* kGridSection = "Grid";

} // namespace qb41::gui
