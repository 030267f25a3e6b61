// A read-only table model over one overview grid: the first row of the grid
// is the header, as the lists have always shown it.
#pragma once

#include "editor/channel_lists.h"

#include <QAbstractTableModel>

namespace qb41::gui {

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setGrid(editor::Grid grid);
    const editor::Grid& grid() const { return grid_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    editor::Grid grid_;
};

} // namespace qb41::gui
