#include "edit_actions.h"

#include "main_window.h"
#include "pane_support.h"
#include "qt_notifier.h"

#include "editor/grid_edit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStyledItemDelegate>
#include <QTableView>

#include <set>

namespace qb41::gui {
namespace {

// Text cells edit in a box with the pane's rule; the scrambler in a list.
class GridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        const auto* model = static_cast<const GridModel*>(index.model());
        if (model->kind(index.column()) == editor::CellKind::Choice) {
            auto* combo = new QComboBox(parent);
            combo->addItems(model->choices(index.row(), index.column()));
            return combo;
        }
        auto* box =
            qobject_cast<QLineEdit*>(QStyledItemDelegate::createEditor(parent, option, index));
        if (box == nullptr) return box;
        const std::string_view key =
            model->editable().columns[static_cast<std::size_t>(index.column())].key;
        if (key == "ChTag") RestrictBox(box, editor::TextBox::ChannelName);
        if (key == "TagName") RestrictBox(box, editor::TextBox::DirectoryName);
        if (key == "Rxfreq") RestrictBox(box, editor::TextBox::RxFrequency);
        if (key == "Txfreq") RestrictBox(box, editor::TextBox::TxFrequency);
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            combo->setCurrentIndex(combo->findText(index.data(Qt::EditRole).toString()));
            return;
        }
        if (auto* box = qobject_cast<QLineEdit*>(editor)) {
            // The shown text is the baseline the box's rule allows.
            if (auto* rule =
                    qobject_cast<RuleValidator*>(const_cast<QValidator*>(box->validator())))
                rule->setShown(index.data(Qt::EditRole).toString());
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            model->setData(index, combo->currentText(), Qt::EditRole);
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }
};

GridModel* ModelOf(QTableView* grid) {
    return grid ? static_cast<GridModel*>(grid->model()) : nullptr;
}

std::string Join(const std::vector<int>& values) {
    std::string text;
    for (int v : values) text += (text.empty() ? "" : ",") + std::to_string(v);
    return text;
}

// Keeps the current cell and the selected rows over a rebuild of the grid.
struct SelectionKeeper {
    explicit SelectionKeeper(QTableView* g) : grid(g) {
        if (!grid) return;
        current = grid->currentIndex();
        for (const QModelIndex& index : grid->selectionModel()->selectedRows())
            rows.insert(index.row());
    }
    ~SelectionKeeper() {
        if (!grid || !current.isValid()) return;
        QAbstractItemModel* model = grid->model();
        const int row = std::min(current.row(), model->rowCount() - 1);
        if (row < 0) return;
        grid->setCurrentIndex(model->index(row, current.column()));
        QItemSelection selection;
        for (int r : rows)
            if (r < model->rowCount())
                selection.select(model->index(r, 0), model->index(r, model->columnCount() - 1));
        grid->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    }
    QTableView* grid;
    QPersistentModelIndex current;
    std::set<int> rows;
};

} // namespace

EditActions::EditActions(MainWindow& window, AppState& app, DataSet& data, QtNotifier& notifier,
                         SettingsStore& store)
    : QObject(&window), window_(window), app_(app), data_(data), notifier_(notifier),
      store_(store), context_{app, data, notifier,
                              [this](const std::string& text) { recorded(text); }} {
    showAll_ = store_.GetSetting(kSettingsApp, kGridSection, "ShowAllChannels", "0") == "1";
    grids_[0] = window.findChild<QTableView*>(QStringLiteral("MSFlexGrid1"));
    grids_[1] = window.findChild<QTableView*>(QStringLiteral("MSFlexGrid2"));
    for (QTableView* grid : grids_)
        if (grid) configure(grid);
    buildMenus();
    stack_.Reset(data_.records, app_.modelNumber);
    updateActions();
    qApp->installEventFilter(this);
}

void EditActions::configure(QTableView* grid) {
    ModelOf(grid)->attach(&context_);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    grid->setItemDelegate(new GridDelegate(grid));
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->installEventFilter(this);
    connect(grid, &QTableView::clicked, this, [this, grid](const QModelIndex& index) {
        GridModel* model = ModelOf(grid);
        if (model->kind(index.column()) == editor::CellKind::Check &&
            model->isEditableCell(index.row(), index.column()))
            toggle(grid, {index.row()}, index.column());
    });
    connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this, grid] {
        if (!applyingWidths_) saveWidths(grid);
    });
}

void EditActions::buildMenus() {
    QMenu* edit = window_.findChild<QMenu*>(QStringLiteral("mnuEdit"));
    auto make = [&](QMenu* menu, const char* name, const QString& caption, QList<QKeySequence> keys,
                    auto slot) {
        auto* act = new QAction(caption, &window_);
        act->setObjectName(QString::fromLatin1(name));
        act->setShortcuts(keys);
        menu->addAction(act);
        connect(act, &QAction::triggered, this, slot);
        return act;
    };
    edit->addSeparator();
    undo_ = make(edit, "mnuEditUndo", QStringLiteral("&Undo"), {QKeySequence(Qt::CTRL | Qt::Key_Z)},
                 [this] { undo(); });
    redo_ =
        make(edit, "mnuEditRedo", QStringLiteral("&Redo"),
             {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
             [this] { redo(); });
    edit->addSeparator();
    make(edit, "mnuEditCopy", QStringLiteral("&Copy"), {QKeySequence(Qt::CTRL | Qt::Key_C)},
         [this] { copy(); });
    make(edit, "mnuEditPaste", QStringLiteral("&Paste"), {QKeySequence(Qt::CTRL | Qt::Key_V)},
         [this] { paste(); });
    make(edit, "mnuEditFillDown", QStringLiteral("Fill &Down"),
         {QKeySequence(Qt::CTRL | Qt::Key_D)}, [this] { fillDown(); });
    edit->addSeparator();
    make(edit, "mnuEditFind", QStringLiteral("&Find..."), {QKeySequence(Qt::CTRL | Qt::Key_F)},
         [this] { find(); });
    make(edit, "mnuEditFindNext", QStringLiteral("Find &Next"), {QKeySequence(Qt::Key_F3)},
         [this] { findNext(); });

    auto* view = new QMenu(QStringLiteral("&View"), &window_);
    view->setObjectName(QStringLiteral("mnuView"));
    QMenu* transfer = window_.findChild<QMenu*>(QStringLiteral("mnuTransfer"));
    window_.menuBar()->insertMenu(transfer ? transfer->menuAction() : nullptr, view);
    showAllAction_ = new QAction(QStringLiteral("Show &all channels"), &window_);
    showAllAction_->setObjectName(QStringLiteral("mnuViewShowAll"));
    showAllAction_->setCheckable(true);
    showAllAction_->setChecked(showAll_);
    view->addAction(showAllAction_);
    connect(showAllAction_, &QAction::triggered, this, [this](bool on) { setShowAll(on); });
}

std::optional<editor::GridList> EditActions::listOf(const std::string& nodeKey) const {
    return editor::GridListOfKey(nodeKey, showAll_);
}

void EditActions::listShown(QTableView* grid, const std::string& nodeKey) {
    const int which = grid == grids_[0] ? 0 : 1;
    listKeys_[which] = nodeKey;
    const std::string key = "Widths " + nodeKey + (showAll_ ? " all" : "");
    const QStringList widths =
        QString::fromStdString(store_.GetSetting(kSettingsApp, kGridSection, key, ""))
            .split(QLatin1Char(','), Qt::SkipEmptyParts);
    applyingWidths_ = true;
    for (int c = 0; c < widths.size() && c < grid->model()->columnCount() - 1; ++c) {
        bool ok = false;
        const int width = widths[c].toInt(&ok);
        if (ok && width > 4 && width < 2000) grid->setColumnWidth(c, width);
    }
    applyingWidths_ = false;
}

void EditActions::saveWidths(QTableView* grid) {
    const int which = grid == grids_[0] ? 0 : 1;
    if (listKeys_[which].empty()) return;
    std::vector<int> widths;
    for (int c = 0; c + 1 < grid->model()->columnCount(); ++c)
        widths.push_back(grid->columnWidth(c));
    store_.SaveSetting(kSettingsApp, kGridSection,
                       "Widths " + listKeys_[which] + (showAll_ ? " all" : ""), Join(widths));
}

void EditActions::setShowAll(bool on) {
    showAll_ = on;
    store_.SaveSetting(kSettingsApp, kGridSection, "ShowAllChannels", on ? "1" : "0");
    if (showAllAction_->isChecked() != on) showAllAction_->setChecked(on);
    const auto list = listOf(window_.session().currentKey());
    if (list && list->pane == editor::PaneKind::PlanList) window_.session().ShowCurrentPane();
}

void EditActions::sync() {
    stack_.Sync(data_.records, app_);
    updateActions();
}

void EditActions::recordsReplaced() {
    stack_.Reset(data_.records, app_.modelNumber);
    lastHit_.reset();
    updateActions();
}

void EditActions::updateActions() {
    if (!undo_) return;
    const QString undoText = QString::fromStdString(stack_.undoText());
    const QString redoText = QString::fromStdString(stack_.redoText());
    if (undo_->text() != undoText) undo_->setText(undoText);
    if (redo_->text() != redoText) redo_->setText(redoText);
    if (undo_->isEnabled() != stack_.canUndo()) undo_->setEnabled(stack_.canUndo());
    if (redo_->isEnabled() != stack_.canRedo()) redo_->setEnabled(stack_.canRedo());
}

void EditActions::recorded(const std::string& text) {
    if (stack_.Record(data_.records, app_, text)) refreshTreeFor(stack_.change(stack_.index() - 1));
    updateActions();
    window_.showChangedMark();
}

void EditActions::refreshTreeFor(const editor::RecordsChange& change) {
    editor::Session& session = window_.session();
    if (change.rest) {
        session.RefreshTree();
        return;
    }
    for (const auto& c : change.channels)
        session.RefreshNodeText(editor::ChannelNodeKey(c.bank, c.index));
    std::set<editor::DirectoryKind> kinds;
    for (const auto& e : change.entries) kinds.insert(e.kind);
    for (editor::DirectoryKind kind : kinds) session.RefreshDirectoryTexts(kind);
}

void EditActions::afterHistoryMove(std::size_t step) {
    refreshTreeFor(stack_.change(step));
    {
        SelectionKeeper keep(shownGrid());
        window_.session().ShowCurrentPane();
    }
    updateActions();
    window_.showChangedMark();
}

void EditActions::undo() {
    if (!window_.validateEditor()) return;
    sync();
    if (stack_.Undo(data_.records, app_)) afterHistoryMove(stack_.index());
}

void EditActions::redo() {
    if (!window_.validateEditor()) return;
    sync();
    if (stack_.Redo(data_.records, app_)) afterHistoryMove(stack_.index() - 1);
}

QTableView* EditActions::shownGrid() const {
    for (QTableView* grid : grids_)
        if (grid && grid->isVisible() && ModelOf(grid)->hasList()) return grid;
    return nullptr;
}

std::vector<int> EditActions::selectedRows(QTableView* grid) const {
    std::set<int> rows;
    for (const QModelIndex& index : grid->selectionModel()->selectedIndexes())
        rows.insert(index.row());
    if (rows.empty() && grid->currentIndex().isValid()) rows.insert(grid->currentIndex().row());
    std::vector<int> out(rows.begin(), rows.end());
    // The current row leads (the state a toggle takes its opposite of).
    const int current = grid->currentIndex().row();
    auto found = std::find(out.begin(), out.end(), current);
    if (found != out.end()) std::rotate(out.begin(), found, found + 1);
    return out;
}

void EditActions::toggle(QTableView* grid, const std::vector<int>& rows, int column) {
    GridModel* model = ModelOf(grid);
    const std::string header = model->grid().headers[static_cast<std::size_t>(column)];
    const std::string text =
        rows.size() == 1 ? "" : "Toggle " + header + " on " + std::to_string(rows.size()) + " rows";
    SelectionKeeper keep(grid);
    if (model->run(
            [&](Records& records, AppState& state) {
                return editor::ToggleGridRows(records, state, model->editable(), rows, column);
            },
            text))
        model->reload();
}

void EditActions::fillDown() {
    QTableView* grid = shownGrid();
    if (!grid || !grid->currentIndex().isValid()) return;
    GridModel* model = ModelOf(grid);
    const int column = grid->currentIndex().column();
    const std::vector<int> rows = selectedRows(grid);
    SelectionKeeper keep(grid);
    if (model->run(
            [&](Records& records, AppState& state) {
                return editor::FillGridDown(records, state, model->editable(), rows, column);
            },
            "Fill Down " + model->grid().headers[static_cast<std::size_t>(column)]))
        model->reload();
}

void EditActions::copy() {
    QTableView* grid = shownGrid();
    if (!grid) return;
    const std::vector<int> rows = selectedRows(grid);
    if (rows.empty()) return;
    QApplication::clipboard()->setText(
        QString::fromStdString(editor::CopyGridRows(ModelOf(grid)->editable(), rows)));
}

void EditActions::paste() {
    QTableView* grid = shownGrid();
    if (!grid) return;
    GridModel* model = ModelOf(grid);
    const QModelIndex current = grid->currentIndex();
    const std::string text = QApplication::clipboard()->text().toStdString();
    int changed = 0;
    SelectionKeeper keep(grid);
    const Records before = data_.records;
    if (auto refusal = editor::PasteGridText(data_.records, app_, model->editable(), text,
                                             current.isValid() ? current.row() : 0,
                                             current.isValid() ? current.column() : 0, &changed)) {
        notifier_.show(MessageIcon::Warning, app_.windowTitle, refusal->text());
        return;
    }
    if (before == data_.records) return;
    recorded("Paste " + std::to_string(changed) + (changed == 1 ? " row" : " rows"));
    model->reload();
}

void EditActions::deleteRows(QTableView* grid) {
    GridModel* model = ModelOf(grid);
    const std::vector<int> rows = selectedRows(grid);
    SelectionKeeper keep(grid);
    if (!editor::DeleteGridRows(data_.records, app_, notifier_, model->editable(), rows)) return;
    recorded(rows.size() == 1 ? "" : "Delete " + std::to_string(rows.size()) + " entries");
    model->reload();
}

void EditActions::find() {
    bool ok = false;
    const QString text = QInputDialog::getText(
        &window_, QStringLiteral("Find"),
        QStringLiteral("Channel number (16, 21A, %1) or part of a name:")
            .arg(QString::fromLatin1(ExpBankName(app_.modelNumber).data(),
                                     static_cast<int>(ExpBankName(app_.modelNumber).size())) +
                 QStringLiteral("3")),
        QLineEdit::Normal, QString::fromStdString(findText_), &ok);
    if (!ok || text.trimmed().isEmpty()) return;
    findText_ = text.toStdString();
    lastHit_.reset();
    findNext();
}

void EditActions::findNext() {
    if (findText_.empty()) {
        find();
        return;
    }
    const auto hit = editor::FindInLists(data_.records, app_.modelNumber, findText_, lastHit_);
    if (!hit) {
        notifier_.show(MessageIcon::Information, app_.windowTitle,
                       "\"" + findText_ + "\" was not found.");
        return;
    }
    lastHit_ = hit;
    showHit(*hit);
}

void EditActions::showHit(const editor::FindHit& hit) {
    editor::Session& session = window_.session();
    if (!session.SelectNode(hit.listKey)) return;
    window_.selectNode(hit.listKey);
    const auto list = listOf(hit.listKey);
    if (!list) return;
    QTableView* grid = grids_[list->pane == editor::PaneKind::DirectoryList ? 1 : 0];
    GridModel* model = ModelOf(grid);
    if (model->editable().rowOfRecord(hit.record) < 0 && list->pane == editor::PaneKind::PlanList)
        setShowAll(true);
    const int row = model->editable().rowOfRecord(hit.record);
    if (row < 0) return;
    const QModelIndex index = model->index(row, 0);
    grid->setCurrentIndex(index);
    grid->selectRow(row);
    grid->scrollTo(index);
    grid->setFocus(Qt::ShortcutFocusReason);
}

bool EditActions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) stack_.CloseMerge();
    if (event->type() == QEvent::ShortcutOverride) {
        // The stack's Undo and Redo, not the text box's own: a box's undo
        // would change its text without storing it.
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == &window_ &&
            (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
             (key->key() == Qt::Key_Y && key->modifiers() == Qt::ControlModifier)))
            return true;
    }
    auto* grid = qobject_cast<QTableView*>(watched);
    if (!grid || (grid != grids_[0] && grid != grids_[1]) || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    GridModel* model = ModelOf(grid);
    const QModelIndex current = grid->currentIndex();
    if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier && current.isValid() &&
        model->kind(current.column()) == editor::CellKind::Check) {
        toggle(grid, selectedRows(grid), current.column());
        return true;
    }
    if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier &&
        model->editable().list.pane == editor::PaneKind::DirectoryList && model->hasList()) {
        deleteRows(grid);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace qb41::gui
