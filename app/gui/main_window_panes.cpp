// The main window's splitter and panes: the start pane, the grey section pane,
// the two list grids and the editor panes, and which of them is shown.
#include "main_window.h"

#include "edit_actions.h"
#include "main_window_measures.h"
#include "pane_dsc.h"

#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace qb41::gui {
namespace {

QTableView* MakeGrid(const char* name, GridModel* model, QWidget* parent) {
    auto* grid = new QTableView(parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setModel(model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->setVisible(false);
    // Rows as tight as the text, so a bank's list shows many channels at once.
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->setProperty(kHelpContext, 1022);
    return grid;
}

// The list's column widths, widened where the heading or the rows in view
// need more (a larger font or scale).
void ApplyWidths(QTableView* grid, const editor::Grid& content) {
    for (std::size_t c = 0; c < content.widthsTwips.size(); ++c) {
        const int column = static_cast<int>(c);
        grid->setColumnWidth(
            column, std::max({Pixels(content.widthsTwips[c]),
                              grid->horizontalHeader()->sectionSizeHint(column),
                              static_cast<QAbstractItemView*>(grid)->sizeHintForColumn(column)}));
    }
}

} // namespace

void MainWindow::buildPanes() {
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("imgSplitter"));
    splitter_->setChildrenCollapsible(false);
    // A handle that can be seen and grabbed.
    splitter_->setHandleWidth(6);
    splitter_->setStyleSheet(
        QStringLiteral("QSplitter::handle { background-color: palette(mid); margin: 0 2px; }"));
    buildTree();

    panes_ = new QStackedWidget(splitter_);
    panes_->setObjectName(QStringLiteral("paneHost"));
    panes_->setMinimumWidth(Pixels(kSplitterTwips));
    buildStartPanes();
    buildListPanes();
    for (QWidget* pane : {pictGeneral_, pictGrey_, pictB_, pictE_}) panes_->addWidget(pane);
    editorPanes_ = CreateEditorPanes(*paneContext_, panes_);
    for (auto& [kind, pane] : editorPanes_) panes_->addWidget(pane);
    panes_->setCurrentWidget(pictGeneral_);

    splitter_->addWidget(tree_);
    splitter_->addWidget(panes_);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({Pixels(kSplitterTwips), kStartWidth - Pixels(kSplitterTwips)});
    setCentralWidget(splitter_);
}

void MainWindow::buildTree() {
    tree_ = new QTreeWidget(splitter_);
    tree_->setObjectName(QStringLiteral("tvTreeView"));
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QFont bold = tree_->font();
    bold.setBold(true);
    tree_->setFont(bold);
    tree_->setMinimumWidth(Pixels(kSplitterTwips));
    tree_->setProperty(kHelpContext, 1054);
    tree_->installEventFilter(this);
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { onTreeCurrentChanged(current); });
    connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        session_->NodeExpanded(item->data(0, Qt::UserRole).toString().toStdString());
    });
}

// The start pane and the pane of a section without one of its own.
void MainWindow::buildStartPanes() {
    pictGeneral_ = new QWidget(panes_);
    pictGeneral_->setObjectName(QStringLiteral("pictGeneral"));
    {
        auto* layout = new QVBoxLayout(pictGeneral_);
        auto* logo = new QLabel(pictGeneral_);
        logo->setObjectName(QStringLiteral("imgLogo"));
        logo->setAlignment(Qt::AlignCenter);
        logo->setWordWrap(true); // the subtitle wraps in a narrow pane or with a large font
        logo->setText(QStringLiteral("<div style='font-size:28pt;font-weight:bold;color:#1c4f8a'>"
                                     "QB41</div><div style='font-size:11pt'>%1</div>")
                          .arg(QString::fromStdString(app_.windowTitle).toHtmlEscaped()));
        layout->addWidget(logo);
        // What a first-time user needs to get going.
        auto* guide = new QLabel(pictGeneral_);
        guide->setObjectName(QStringLiteral("lblGettingStarted"));
        guide->setAlignment(Qt::AlignCenter);
        guide->setWordWrap(true);
        guide->setText(QStringLiteral(
            "To read your radio: connect the clone cable, choose its port under Options &gt; "
            "SerialPort, then Transfer &gt; Read from Radio.<br>To work on a saved file: File "
            "&gt; Open.<br>Choose a section in the tree on the left to see and edit it; F1 "
            "gives help on the control you are in."));
        layout->addWidget(guide);
        layout->addStretch();
    }
    pictGrey_ = new QWidget(panes_);
    pictGrey_->setObjectName(QStringLiteral("pictGrey"));
    {
        // A section without a pane of its own says what is below it.
        auto* layout = new QVBoxLayout(pictGrey_);
        greyText_ = new QLabel(pictGrey_);
        greyText_->setObjectName(QStringLiteral("lblSectionContents"));
        greyText_->setWordWrap(true);
        greyText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        layout->addWidget(greyText_);
        layout->addStretch();
    }
}

// pictB and pictE: the channel and directory lists.
void MainWindow::buildListPanes() {
    grid1Model_ = new GridModel(this);
    grid2Model_ = new GridModel(this);
    pictB_ = new QWidget(panes_);
    pictB_->setObjectName(QStringLiteral("pictB"));
    grid1_ = MakeGrid("MSFlexGrid1", grid1Model_, pictB_);
    (new QVBoxLayout(pictB_))->addWidget(grid1_);
    pictE_ = new QWidget(panes_);
    pictE_->setObjectName(QStringLiteral("pictE"));
    grid2_ = MakeGrid("MSFlexGrid2", grid2Model_, pictE_);
    (new QVBoxLayout(pictE_))->addWidget(grid2_);
    for (QTableView* grid : {grid1_, grid2_}) {
        grid->installEventFilter(this);
        // A double click edits a cell that takes input, else it jumps.
        connect(grid, &QTableView::doubleClicked, this, [this, grid](const QModelIndex& index) {
            if (!static_cast<GridModel*>(grid->model())
                     ->isEditableCell(index.row(), index.column()))
                jumpFromGrid(grid, index.row());
        });
    }
}

void MainWindow::showGreyPane(const std::string& nodeKey) {
    auto found = treeItems_.find(nodeKey);
    if (found == treeItems_.end()) {
        greyText_->clear();
        return;
    }
    QTreeWidgetItem* item = found->second;
    QStringList children;
    for (int i = 0; i < item->childCount(); ++i)
        children << item->child(i)->text(0).toHtmlEscaped();
    greyText_->setText(
        QStringLiteral("<p style='font-size:13pt;font-weight:bold'>%1</p><p>%2</p>"
                       "<p>Choose one of them in the tree on the left to see and edit it.</p>")
            .arg(item->text(0).toHtmlEscaped(),
                 children.isEmpty() ? QStringLiteral("Nothing is below this section for the "
                                                     "selected model.")
                                    : QStringLiteral("This section holds: ") +
                                          children.join(QStringLiteral(", ")) + QLatin1Char('.')));
}

void MainWindow::showPane(const editor::PaneTarget& target, const std::string& nodeKey) {
    using editor::PaneKind;
    currentEditor_ = nullptr;
    switch (target.pane) {
    case PaneKind::General:
        panes_->setCurrentWidget(pictGeneral_);
        return;
    case PaneKind::Grey:
        showGreyPane(nodeKey);
        panes_->setCurrentWidget(pictGrey_);
        return;
    case PaneKind::PlanList:
    case PaneKind::ExportList:
        showList(grid1_, grid1Model_, pictB_, nodeKey);
        return;
    case PaneKind::DirectoryList:
        showList(grid2_, grid2Model_, pictE_, nodeKey);
        return;
    default:
        break;
    }
    auto found = editorPanes_.find(target.pane);
    if (found == editorPanes_.end()) return;
    currentEditor_ = found->second;
    currentEditor_->fill(target, nodeKey);
    panes_->setCurrentWidget(currentEditor_);
}

void MainWindow::showList(QTableView* grid, GridModel* model, QWidget* pane,
                          const std::string& nodeKey) {
    listKey_ = nodeKey;
    if (auto list = edits_->listOf(nodeKey)) model->showList(*list);
    ApplyWidths(grid, model->grid());
    edits_->listShown(grid, nodeKey);
    panes_->setCurrentWidget(pane);
}

void MainWindow::prepareEditors(ModelNumber model) {
    for (auto& [kind, pane] : editorPanes_) pane->prepare(model);
    currentEditor_ = nullptr;
    panes_->setCurrentWidget(pictGeneral_);
}

bool MainWindow::validateEditor() {
    return currentEditor_ == nullptr || currentEditor_->validate();
}

void MainWindow::showEntryCount(const std::string& text) {
    auto found = editorPanes_.find(editor::PaneKind::Dsc);
    if (found == editorPanes_.end()) return;
    if (auto* dsc = qobject_cast<DscPane*>(found->second)) dsc->showEntryCount(text);
}

void MainWindow::jumpFromGrid(QTableView* grid, int row) {
    auto* model = static_cast<GridModel*>(grid->model());
    if (row < 0 || row >= model->rowCount()) return;
    const auto& cells = model->grid().rows[static_cast<std::size_t>(row)];
    const std::string first = cells.empty() ? std::string() : cells.front();
    auto key = editor::ListJumpKey(listKey_, row + 1, first);
    if (!key) return;
    auto item = treeItems_.find(*key);
    if (item == treeItems_.end()) return;
    if (session_->SelectNode(*key)) selectNode(*key);
}

} // namespace qb41::gui
