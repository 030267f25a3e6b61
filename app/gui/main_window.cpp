#include "main_window.h"

#include "about_dialog.h"
#include "edit_actions.h"
#include "qt_notifier.h"
#include "serial_port_dialog.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace qb41::gui {
namespace {

constexpr int kStartWidth = 607;
constexpr int kStartHeight = 444;
constexpr int kMinWidthTwips = 9105;
constexpr int kMinHeightTwips = 6660;
constexpr int kSplitterTwips = 2500;
constexpr const char* kNoHelp =
    "Unable to display Help Contents. There is no Help associated with this project.";

int Pixels(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

// "dat files(*.dat)|*.dat|All files(*.*)|*.*" -> "dat files(*.dat);;All files(*.*)"
QString QtFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) filters << parts[i];
    return filters.join(QStringLiteral(";;"));
}

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

void ApplyWidths(QTableView* grid, const editor::Grid& content) {
    for (std::size_t c = 0; c < content.widthsTwips.size(); ++c)
        grid->setColumnWidth(static_cast<int>(c), Pixels(content.widthsTwips[c]));
}

// The program's icon, drawn rather than loaded so no image plugin is needed.
QIcon ProgramIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x1c, 0x4f, 0x8a));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(26);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 0, 64, 64), Qt::AlignCenter, QStringLiteral("QB"));
    return QIcon(pixmap);
}

} // namespace

MainWindow::MainWindow(WindowParts parts, QWidget* parent)
    : QMainWindow(parent), app_(parts.app), data_(parts.data), notifier_(parts.notifier),
      helpFile_(std::move(parts.helpFile)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(ProgramIcon());
    session_ = std::make_unique<editor::Session>(
        editor::SessionParts{parts.app, parts.data, parts.notifier, parts.store, parts.log,
                             parts.clock, *this, std::move(parts.destinationFolder)});
    paneContext_ = std::make_unique<PaneContext>(
        PaneContext{app_,
                    data_,
                    notifier_,
                    *session_,
                    [this](const QString& hint) { hintPanel_->setText(hint); },
                    {}});
    notifier_.setParentWidget(this);

    resetTimer_ = new QTimer(this);
    resetTimer_->setSingleShot(true);
    connect(resetTimer_, &QTimer::timeout, this, [this] { session_->OnResetTimer(); });

    buildMenus();
    buildToolBar();
    buildStatusBar();
    buildPanes();
    edits_ = new EditActions(*this, app_, data_, notifier_, parts.store);
    setMinimumSize(Pixels(kMinWidthTwips), Pixels(kMinHeightTwips));
    resize(kStartWidth, kStartHeight);
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
}

QAction* MainWindow::makeAction(QMenu* menu, const char* name, const QString& caption) {
    auto* act = new QAction(caption, this);
    act->setObjectName(QString::fromLatin1(name));
    if (menu) menu->addAction(act);
    return act;
}

QAction* MainWindow::action(const QString& name) const {
    return findChild<QAction*>(name);
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    fileMenu_ = bar->addMenu(QStringLiteral("&File"));
    fileMenu_->setObjectName(QStringLiteral("mnuFile"));
    connect(makeAction(fileMenu_, "mnuFileNew", QStringLiteral("&New")), &QAction::triggered, this,
            [this] { session_->FileNew(); });
    connect(makeAction(fileMenu_, "mnuFileOpen", QStringLiteral("&Open")), &QAction::triggered,
            this, [this] { session_->FileOpen(); });
    fileMenu_->addSeparator();
    connect(makeAction(fileMenu_, "mnuFileSave", QStringLiteral("&Save")), &QAction::triggered,
            this, [this] { session_->FileSave(); });
    connect(makeAction(fileMenu_, "mnuFileSaveAs", QStringLiteral("Save &As...")),
            &QAction::triggered, this, [this] { session_->FileSaveAs(); });
    makeAction(fileMenu_, "mnuFileSaveAsDefault", QStringLiteral("Save As &Default"))
        ->setEnabled(false);
    fileMenu_->addSeparator();
    makeAction(fileMenu_, "mnuFilePrint", QStringLiteral("&Print"))->setEnabled(false);
    makeAction(fileMenu_, "mnuFilePrintToFile", QStringLiteral("P&rint to File"))
        ->setEnabled(false);
    fileMenu_->addSeparator();
    connect(makeAction(fileMenu_, "mnuFileExit", QStringLiteral("E&xit")), &QAction::triggered,
            this, &QWidget::close);

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    QMenu* models = edit->addMenu(QStringLiteral("&Model"));
    models->setObjectName(QStringLiteral("mnuEditModel"));
    for (const editor::ModelMenuItem& item : editor::kModelMenu) {
        QAction* act = makeAction(models, item.control, QString::fromLatin1(item.caption));
        act->setCheckable(true);
        const ModelNumber model = item.model;
        modelItems_[model] = act;
        connect(act, &QAction::triggered, this, [this, model] {
            session_->ChooseModel(model);
            setModelChecks(app_.modelNumber);
        });
    }

    QMenu* transfer = bar->addMenu(QStringLiteral("&Transfer"));
    transfer->setObjectName(QStringLiteral("mnuTransfer"));
    connect(makeAction(transfer, "mnuTransferProgram", QStringLiteral("&Program to Radio")),
            &QAction::triggered, this, [this] { runTransfer(TransferMode::Write); });
    connect(makeAction(transfer, "mnuTransferRead", QStringLiteral("&Read from Radio")),
            &QAction::triggered, this, [this] { runTransfer(TransferMode::Read); });

    destinationMenu_ = bar->addMenu(QStringLiteral("&Destination"));
    destinationMenu_->setObjectName(QStringLiteral("mnuDestination"));
    for (std::size_t i = 0; i < editor::kDestinationSlots; ++i) {
        const std::string name = "mnuDestinationChild_" + std::to_string(i);
        QAction* act = makeAction(destinationMenu_, name.c_str(), QString());
        act->setCheckable(true);
        act->setVisible(false);
        destinationItems_.push_back(act);
        connect(act, &QAction::triggered, this, [this, i] {
            session_->ChooseDestination(i);
            setDestinationMenu(destinationState_);
        });
    }

    QMenu* options = bar->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("mnuOptions"));
    QMenu* ports = options->addMenu(QStringLiteral("&SerialPort"));
    ports->setObjectName(QStringLiteral("mnuOptionsSerialPort"));
    for (int i = 0; i < 4; ++i) {
        const std::string name = "mnuOptionsSerialPort1_" + std::to_string(i);
        QAction* act = makeAction(ports, name.c_str(), QStringLiteral("COM&%1").arg(i + 1));
        act->setCheckable(true);
        portItems_.push_back(act);
        connect(act, &QAction::triggered, this, [this, i] {
            session_->ChooseSerialPort(i, isVisible());
            setSerialPortMenu(portState_);
        });
    }
    ports->addSeparator();
    portOther_ = makeAction(ports, "mnuOptionsSerialPortOther", QStringLiteral("&Other..."));
    portOther_->setCheckable(true);
    connect(portOther_, &QAction::triggered, this, [this] { showSerialPortDialog(); });

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    connect(makeAction(help, "mnuHelpContents", QStringLiteral("&Contents")), &QAction::triggered,
            this, [this] { openHelp(0); });
    help->addSeparator();
    connect(makeAction(help, "mnuHelpAbout", QStringLiteral("&About KVX Version")),
            &QAction::triggered, this, [this] { showAbout(); });
    setTransferHandler({});
}

void MainWindow::buildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Toolbar"));
    bar->setObjectName(QStringLiteral("tbToolBar"));
    bar->setMovable(false);
    struct Button {
        const char* key;
        const char* menuAction;
        QStyle::StandardPixmap icon;
        const char* tip;
    };
    const Button buttons[] = {
        {"New", "mnuFileNew", QStyle::SP_FileIcon, "New"},
        {"Open", "mnuFileOpen", QStyle::SP_DialogOpenButton, "Open"},
        {"Save", "mnuFileSave", QStyle::SP_DialogSaveButton, "Save"},
        {nullptr, nullptr, QStyle::SP_CustomBase, nullptr},
        {"Print", "mnuFilePrint", QStyle::SP_FileDialogDetailedView, "Print"},
        {nullptr, nullptr, QStyle::SP_CustomBase, nullptr},
        {"Program", "mnuTransferProgram", QStyle::SP_ArrowUp, "Program to Radio"},
        {"Read", "mnuTransferRead", QStyle::SP_ArrowDown, "Read from Radio"},
        {nullptr, nullptr, QStyle::SP_CustomBase, nullptr},
        {"Program2", "mnuTransferProgram", QStyle::SP_ArrowUp, "Program to Radio"},
        {"Read2", "mnuTransferRead", QStyle::SP_ArrowDown, "Read from Radio"},
    };
    int position = 0;
    for (const Button& button : buttons) {
        ++position;
        if (button.key == nullptr) {
            bar->addSeparator();
            continue;
        }
        QAction* menuAction = action(QString::fromLatin1(button.menuAction));
        const std::string name = std::string("tbToolBar_") + button.key;
        QAction* act = makeAction(nullptr, name.c_str(), QString::fromLatin1(button.tip));
        act->setIcon(style()->standardIcon(button.icon));
        act->setEnabled(menuAction->isEnabled());
        connect(menuAction, &QAction::enabledChanged, act, &QAction::setEnabled);
        connect(act, &QAction::triggered, menuAction, [menuAction] {
            if (menuAction->isEnabled()) menuAction->trigger();
        });
        bar->addAction(act);
        // Buttons 10 and 11 are kept but not shown.
        if (position >= 10) act->setVisible(false);
    }
}

void MainWindow::buildStatusBar() {
    statusBar()->setObjectName(QStringLiteral("sbStatusBar"));
    hintPanel_ = new QLabel(this);
    hintPanel_->setObjectName(QStringLiteral("sbStatusBar_Panel_1"));
    portPanel_ = new QLabel(this);
    portPanel_->setObjectName(QStringLiteral("sbStatusBar_Panel_2"));
    modelPanel_ = new QLabel(this);
    modelPanel_->setObjectName(QStringLiteral("sbStatusBar_Panel_3"));
    statusBar()->addWidget(hintPanel_, 1);
    statusBar()->addPermanentWidget(portPanel_);
    statusBar()->addPermanentWidget(modelPanel_);
}

void MainWindow::buildPanes() {
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("imgSplitter"));
    splitter_->setChildrenCollapsible(false);

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

    panes_ = new QStackedWidget(splitter_);
    panes_->setObjectName(QStringLiteral("paneHost"));
    panes_->setMinimumWidth(Pixels(kSplitterTwips));

    pictGeneral_ = new QWidget(panes_);
    pictGeneral_->setObjectName(QStringLiteral("pictGeneral"));
    {
        auto* layout = new QVBoxLayout(pictGeneral_);
        auto* logo = new QLabel(pictGeneral_);
        logo->setObjectName(QStringLiteral("imgLogo"));
        logo->setAlignment(Qt::AlignCenter);
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
    pictGrey_->setAutoFillBackground(true);
    QPalette grey = pictGrey_->palette();
    grey.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    pictGrey_->setPalette(grey);

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

void MainWindow::setTransferHandler(std::function<void(TransferMode)> handler) {
    transferHandler_ = std::move(handler);
    paneContext_->runTransfer = transferHandler_;
    const bool enabled = static_cast<bool>(transferHandler_);
    action(QStringLiteral("mnuTransferProgram"))->setEnabled(enabled);
    action(QStringLiteral("mnuTransferRead"))->setEnabled(enabled);
}

void MainWindow::setPrintHandler(std::function<void()> handler) {
    QAction* act = action(QStringLiteral("mnuFilePrint"));
    act->disconnect(this);
    act->setEnabled(static_cast<bool>(handler));
    if (handler)
        connect(act, &QAction::triggered, this, [this, handler] {
            if (validateEditor()) handler();
        });
}

void MainWindow::setPrintToFileHandler(std::function<void()> handler) {
    QAction* act = action(QStringLiteral("mnuFilePrintToFile"));
    act->disconnect(this);
    act->setEnabled(static_cast<bool>(handler));
    // The field being edited is committed first, as Print does.
    if (handler)
        connect(act, &QAction::triggered, this, [this, handler] {
            if (validateEditor()) handler();
        });
}

void MainWindow::runTransfer(TransferMode mode) {
    if (!transferHandler_ || !validateEditor()) return;
    transferHandler_(mode);
}

// ---- MainView ---------------------------------------------------------------

void MainWindow::setBusy(bool busy) {
    busyDepth_ += busy ? 1 : -1;
    if (busy && busyDepth_ == 1) {
        // The menus, toolbar and panes are disabled, not the window: message
        // boxes and dialogs opened meanwhile stay usable.
        menuBar()->setEnabled(false);
        centralWidget()->setEnabled(false);
        for (QToolBar* bar : findChildren<QToolBar*>()) bar->setEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (!busy && busyDepth_ == 0) {
        menuBar()->setEnabled(true);
        centralWidget()->setEnabled(true);
        for (QToolBar* bar : findChildren<QToolBar*>()) bar->setEnabled(true);
        QApplication::restoreOverrideCursor();
    }
}

bool MainWindow::isMinimised() const {
    return isMinimized();
}

void MainWindow::setCaption(const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
    showChangedMark();
}

void MainWindow::showChangedMark() {
    if (edits_) edits_->sync();
    if (isWindowModified() != app_.dataChanged) setWindowModified(app_.dataChanged);
}

void MainWindow::setStatusHint(const std::string& hint) {
    hintPanel_->setText(QString::fromStdString(hint));
}

void MainWindow::setModelName(const std::string& name) {
    modelPanel_->setText(QString::fromStdString(name));
}

void MainWindow::setModelChecks(ModelNumber model) {
    for (auto& [number, act] : modelItems_) act->setChecked(number == model);
}

void MainWindow::setDestinationMenu(const editor::DestinationMenuState& menu) {
    destinationState_ = menu;
    destinationMenu_->setEnabled(menu.enabled);
    for (std::size_t i = 0; i < destinationItems_.size(); ++i) {
        QAction* act = destinationItems_[i];
        const bool used = i < menu.captions.size();
        act->setText(used ? QString::fromStdString(menu.captions[i]) : QString());
        act->setVisible(used);
        act->setChecked(static_cast<int>(i) == menu.checked);
    }
}

void MainWindow::setSerialPortMenu(const editor::SerialPortMenuState& menu) {
    portState_ = menu;
    for (int i = 0; i < static_cast<int>(portItems_.size()); ++i)
        portItems_[static_cast<std::size_t>(i)]->setChecked(i == menu.checked);
    portOther_->setChecked(menu.checked < 0);
    portOther_->setText(
        menu.checked < 0 ? QStringLiteral("&Other (%1)...").arg(QString::fromStdString(menu.device))
                         : QStringLiteral("&Other..."));
    portPanel_->setText(QString::fromStdString(session_->PortDevice()));
}

void MainWindow::setTree(const std::vector<editor::TreeNode>& nodes) {
    QSignalBlocker blocker(tree_);
    tree_->setUpdatesEnabled(false);
    tree_->clear();
    treeItems_.clear();
    for (const editor::TreeNode& node : nodes) {
        QTreeWidgetItem* item = nullptr;
        if (node.parent.empty()) {
            item = new QTreeWidgetItem(tree_);
        } else {
            auto parent = treeItems_.find(node.parent);
            if (parent == treeItems_.end()) continue;
            item = new QTreeWidgetItem(parent->second);
        }
        item->setText(0, QString::fromStdString(node.text));
        item->setData(0, Qt::UserRole, QString::fromStdString(node.key));
        treeItems_[node.key] = item;
    }
    // The sections are shown open, so their parts can be seen at once; the
    // long channel and directory lists stay closed.
    for (const char* key : {"General", "Program", "DSCSetting"})
        if (auto found = treeItems_.find(key); found != treeItems_.end())
            found->second->setExpanded(true);
    tree_->setUpdatesEnabled(true);
}

void MainWindow::setNodeText(const std::string& key, const std::string& text) {
    auto found = treeItems_.find(key);
    if (found != treeItems_.end()) found->second->setText(0, QString::fromStdString(text));
}

void MainWindow::selectNode(const std::string& key) {
    auto found = treeItems_.find(key);
    if (found == treeItems_.end()) return;
    QSignalBlocker blocker(tree_);
    tree_->setCurrentItem(found->second);
    tree_->scrollToItem(found->second);
}

void MainWindow::showPane(const editor::PaneTarget& target, const std::string& nodeKey) {
    using editor::PaneKind;
    currentEditor_ = nullptr;
    switch (target.pane) {
    case PaneKind::General:
        panes_->setCurrentWidget(pictGeneral_);
        return;
    case PaneKind::Grey:
        panes_->setCurrentWidget(pictGrey_);
        return;
    case PaneKind::PlanList:
    case PaneKind::ExportList: {
        listKey_ = nodeKey;
        if (auto list = edits_->listOf(nodeKey)) grid1Model_->showList(*list);
        ApplyWidths(grid1_, grid1Model_->grid());
        edits_->listShown(grid1_, nodeKey);
        panes_->setCurrentWidget(pictB_);
        return;
    }
    case PaneKind::DirectoryList:
        listKey_ = nodeKey;
        if (auto list = edits_->listOf(nodeKey)) grid2Model_->showList(*list);
        ApplyWidths(grid2_, grid2Model_->grid());
        edits_->listShown(grid2_, nodeKey);
        panes_->setCurrentWidget(pictE_);
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

void MainWindow::prepareEditors(ModelNumber model) {
    for (auto& [kind, pane] : editorPanes_) pane->prepare(model);
    currentEditor_ = nullptr;
    panes_->setCurrentWidget(pictGeneral_);
}

bool MainWindow::validateEditor() {
    return currentEditor_ == nullptr || currentEditor_->validate();
}

bool MainWindow::fileDialogFolderKnown() const {
    return !lastFolder_.isEmpty() && QFileInfo(lastFolder_).isDir();
}

std::string MainWindow::askOpenFileName(const editor::FileDialogSpec& dialog) {
    const QString folder = fileDialogFolderKnown() ? lastFolder_ : QDir::homePath();
    const QString name = QFileDialog::getOpenFileName(
        this, QString(), folder, QtFilter(dialog.filter), nullptr, QFileDialog::ReadOnly);
    if (name.isEmpty()) return {};
    lastFolder_ = QFileInfo(name).absolutePath();
    return QDir::toNativeSeparators(name).toStdString();
}

std::string MainWindow::askSaveFileName(const editor::FileDialogSpec& dialog) {
    const QString folder = fileDialogFolderKnown() ? lastFolder_ : QDir::homePath();
    const QString name =
        QFileDialog::getSaveFileName(this, QString(), folder, QtFilter(dialog.filter));
    if (name.isEmpty()) return {};
    lastFolder_ = QFileInfo(name).absolutePath();
    return QDir::toNativeSeparators(name).toStdString();
}

void MainWindow::armResetTimer() {
    resetTimer_->start(100);
}

void MainWindow::recordsReplaced() {
    if (edits_) edits_->recordsReplaced();
}

// ---- Events -----------------------------------------------------------------

void MainWindow::onTreeCurrentChanged(QTreeWidgetItem* current) {
    if (current == nullptr) return;
    if (session_->SelectNode(current->data(0, Qt::UserRole).toString().toStdString())) return;
    // Refused by the open editor: a mouse press goes on to select the pressed
    // row after this signal, so the current node is selected again afterwards.
    QTimer::singleShot(0, this, [this] { selectNode(session_->currentKey()); });
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

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == tree_) session_->TreeFocused();
        if (watched == grid1_ || watched == grid2_)
            hintPanel_->setText(QString::fromLatin1(editor::kGridHint));
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return QMainWindow::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this)
        return QMainWindow::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // A cell being edited in a list takes its keys (Enter commits it).
    if (watched != grid1_ && watched != grid2_ &&
        (grid1_->isAncestorOf(widget) || grid2_->isAncestorOf(widget)))
        return QMainWindow::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress &&
        (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        // Enter never presses anything in the main window; on a list it jumps.
        // The Enter that commits a cell reaches the list too: it stays there.
        if (watched == grid1_ || watched == grid2_) {
            auto* grid = static_cast<QTableView*>(watched);
            QWidget* focus = QApplication::focusWidget();
            const bool editing = focus && focus != grid && grid->isAncestorOf(focus);
            if (!editing) jumpFromGrid(grid, grid->currentIndex().row());
        }
        return true;
    }
    if (event->type() == QEvent::KeyPress && key->modifiers() == Qt::ControlModifier) {
        if (key->key() == Qt::Key_F2 && app_.diagnosticMode) {
            session_->OpenImage();
            return true;
        }
        if (key->key() == Qt::Key_F3 && app_.diagnosticMode) {
            session_->SaveImage();
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_F1 &&
        key->modifiers() == Qt::NoModifier) {
        int context = 0;
        for (QWidget* w = widget; w != nullptr && w != this; w = w->parentWidget()) {
            const QVariant value = w->property(kHelpContext);
            if (value.isValid()) {
                context = value.toInt();
                break;
            }
        }
        openHelp(context);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The field the user last edited is committed first, so that a value
    // typed but not yet stored counts as a change the prompt offers to save.
    if (transferRunning_ || !validateEditor() || !session_->QueryClose()) {
        event->ignore();
        return;
    }
    const QRect frame = frameGeometry();
    session_->SaveWindowPlacement({frame.x() * kTwipsPerPixel, frame.y() * kTwipsPerPixel,
                                   frame.width() * kTwipsPerPixel,
                                   frame.height() * kTwipsPerPixel});
    event->accept();
}

void MainWindow::openHelp(int context, const QString& title) {
    const QString path = QString::fromStdString(helpFile_.string());
    bool shown = false;
    if (QFileInfo(path).isFile()) {
        QUrl url = QUrl::fromLocalFile(path);
        if (context > 0) url.setFragment(QStringLiteral("ctx%1").arg(context));
        shown = QDesktopServices::openUrl(url);
    }
    if (!shown)
        notifier_.show(MessageIcon::Information,
                       title.isEmpty() ? app_.windowTitle : title.toStdString(), kNoHelp);
}

void MainWindow::showSerialPortDialog() {
    SerialPortDialog dialog(QString::fromStdString(session_->PortDevice()), this);
    if (dialog.exec() == QDialog::Accepted)
        session_->ChooseSerialDevice(dialog.device().toStdString());
    setSerialPortMenu(portState_);
}

void MainWindow::showAbout() {
    AboutDialog dialog(this);
    dialog.exec();
}

} // namespace qb41::gui
