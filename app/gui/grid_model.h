// The table model over one list grid. The texts, the columns that take input
// and every edit come from editor/ (grid_edit.h): setData hands the value to
// the same rule the pane calls, a refused value is shown through the notifier
// and the cell keeps its old value. Cells that take no input are shown greyed.
#pragma once

#include "editor/grid_edit.h"

#include "core/app_state.h"
#include "core/notifier.h"
#include "core/records.h"

#include <QAbstractTableModel>

#include <functional>

namespace qb41::gui {

// What the editable model works on; all of it outlives the model.
struct GridModelContext {
    AppState& app;
    DataSet& data;
    Notifier& notifier;
    // Called after an edit changed the records, with the step's text (empty:
    // described from the change).
    std::function<void(const std::string& text)> recordEdit;
};

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    // Until attached the model shows grids read-only.
    void attach(GridModelContext* context) { context_ = context; }
    void setGrid(editor::Grid grid);
    // Builds the list from the records.
    void showList(const editor::GridList& list);
    // Builds the shown list again (after undo, or an edit of many rows).
    void reload();
    const editor::Grid& grid() const { return grid_.grid; }
    const editor::EditableGrid& editable() const { return grid_; }
    bool hasList() const { return hasList_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    bool isEditableCell(int row, int column) const;
    editor::CellKind kind(int column) const;
    QStringList choices(int row, int column) const;
    // A grid action on the records: shown through the notifier when refused,
    // recorded as one step with `text` when it changed something.
    bool run(const std::function<std::optional<editor::CellRefusal>(Records&, AppState&)>& edit,
             const std::string& text);

private:
    void refreshRow(int row);

    GridModelContext* context_ = nullptr;
    editor::EditableGrid grid_;
    bool hasList_ = false;
};

} // namespace qb41::gui
