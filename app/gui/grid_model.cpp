#include "grid_model.h"

#include <QApplication>
#include <QPalette>

namespace qb41::gui {

void GridModel::setGrid(editor::Grid grid) {
    beginResetModel();
    grid_ = {};
    grid_.grid = std::move(grid);
    hasList_ = false;
    endResetModel();
}

void GridModel::showList(const editor::GridList& list) {
    beginResetModel();
    if (context_) {
        grid_ = editor::BuildEditableGrid(context_->data.records, list, context_->app.modelNumber);
        hasList_ = true;
    }
    endResetModel();
}

void GridModel::reload() {
    if (hasList_) showList(grid_.list);
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(grid_.grid.rows.size());
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(grid_.grid.headers.size());
}

bool GridModel::isEditableCell(int row, int column) const {
    if (!hasList_ || row < 0 || column < 0 || row >= static_cast<int>(grid_.editable.size()))
        return false;
    const auto& flags = grid_.editable[static_cast<std::size_t>(row)];
    return column < static_cast<int>(flags.size()) && flags[static_cast<std::size_t>(column)];
}

editor::CellKind GridModel::kind(int column) const {
    if (!hasList_ || column < 0 || column >= static_cast<int>(grid_.columns.size()))
        return editor::CellKind::Fixed;
    return grid_.columns[static_cast<std::size_t>(column)].kind;
}

QStringList GridModel::choices(int row, int column) const {
    QStringList list;
    if (!context_ || !hasList_) return list;
    for (const std::string& text :
         editor::CellChoices(context_->data.records, grid_, row, column, context_->app.modelNumber))
        list << QString::fromStdString(text);
    return list;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role == Qt::ForegroundRole && hasList_ && !isEditableCell(index.row(), index.column()))
        return QApplication::palette().color(QPalette::Disabled, QPalette::Text);
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    const auto& row = grid_.grid.rows[static_cast<std::size_t>(index.row())];
    const auto column = static_cast<std::size_t>(index.column());
    return column < row.size() ? QString::fromStdString(row[column]) : QString();
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (section < 0 || section >= static_cast<int>(grid_.grid.headers.size())) return {};
    return QString::fromStdString(grid_.grid.headers[static_cast<std::size_t>(section)]);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // Check cells change by Space or a click, not through an editor.
    if (isEditableCell(index.row(), index.column()) &&
        kind(index.column()) != editor::CellKind::Check)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool GridModel::run(
    const std::function<std::optional<editor::CellRefusal>(Records&, AppState&)>& edit,
    const std::string& text) {
    if (!context_ || !hasList_) return false;
    const Records before = context_->data.records;
    if (auto refusal = edit(context_->data.records, context_->app)) {
        context_->notifier.show(MessageIcon::Warning, context_->app.windowTitle, refusal->text());
        return false;
    }
    if (before == context_->data.records) return true;
    context_->recordEdit(text);
    return true;
}

void GridModel::refreshRow(int row) {
    editor::RefreshGridRow(grid_, context_->data.records, row, context_->app.modelNumber);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || !isEditableCell(index.row(), index.column()))
        return false;
    const int row = index.row();
    const std::string text = value.toString().toStdString();
    const bool taken = run(
        [&](Records& records, AppState& state) {
            return editor::SetGridCell(records, state, grid_, row, index.column(), text);
        },
        {});
    if (taken) refreshRow(row);
    return taken;
}

} // namespace qb41::gui
