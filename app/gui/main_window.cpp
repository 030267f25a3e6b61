#include "main_window.h"
#include "pane_support.h"

#include "about_dialog.h"
#include "edit_actions.h"
#include "editor/app_settings.h"
#include "qt_notifier.h"
#include "core/platform.h"
#include "serial_port_dialog.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QHelpEvent>
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

#include <algorithm>

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

// Files a drop or a recent-file entry opens.
bool IsOpenableFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("dat") || suffix == QLatin1String("hex") ||
           suffix == QLatin1String("ini");
}

// The rectangle `wanted` moved and shrunk until it lies within `screen`.
QRect ClampedTo(QRect wanted, const QRect& screen) {
    wanted.setWidth(std::min(wanted.width(), screen.width()));
    wanted.setHeight(std::min(wanted.height(), screen.height()));
    if (wanted.right() > screen.right()) wanted.moveRight(screen.right());
    if (wanted.bottom() > screen.bottom()) wanted.moveBottom(screen.bottom());
    if (wanted.left() < screen.left()) wanted.moveLeft(screen.left());
    if (wanted.top() < screen.top()) wanted.moveTop(screen.top());
    return wanted;
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
      store_(parts.store), helpFile_(std::move(parts.helpFile)), dialogs_(parts.store) {
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
    setAcceptDrops(true);
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
    recentMenu_ = fileMenu_->addMenu(QStringLiteral("Recent &Files"));
    recentMenu_->setObjectName(QStringLiteral("mnuFileRecent"));
    rebuildRecentMenu();
    fileMenu_->addSeparator();
    connect(makeAction(fileMenu_, "mnuFileExit", QStringLiteral("E&xit")), &QAction::triggered,
            this, &QWidget::close);
    // The standard keys, shown in the menu.
    const std::pair<const char*, QKeySequence> keys[] = {
        {"mnuFileNew", QKeySequence(Qt::CTRL | Qt::Key_N)},
        {"mnuFileOpen", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"mnuFileSave", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"mnuFileSaveAs", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {"mnuFilePrint", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"mnuFileExit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
    };
    for (const auto& [name, key] : keys) action(QString::fromLatin1(name))->setShortcut(key);

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
        act->setToolTip(QString::fromLatin1(button.tip));
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
    // A handle that can be seen and grabbed.
    splitter_->setHandleWidth(6);
    splitter_->setStyleSheet(QStringLiteral(
        "QSplitter::handle { background-color: palette(mid); margin: 0 2px; }"));

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
        logo->setWordWrap(true);
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
    rememberRecentFile();
}

void MainWindow::rememberRecentFile() {
    // The caption is refreshed after every open and save: a data file that
    // became the current one goes to the top of the recent files.
    const std::string& current = app_.currentFileName;
    if (current.empty() || current == recentRecorded_) return;
    recentRecorded_ = current;
    if (QFileInfo(QString::fromStdString(current)).suffix().toLower() != QLatin1String("dat"))
        return;
    const QString absolute = QFileInfo(QString::fromStdString(current)).absoluteFilePath();
    editor::SaveRecentFiles(
        store_, editor::WithRecentFile(editor::ReadRecentFiles(store_),
                                       QDir::toNativeSeparators(absolute).toStdString()));
    rebuildRecentMenu();
}

void MainWindow::rebuildRecentMenu() {
    recentMenu_->clear();
    const std::vector<std::string> files = editor::ReadRecentFiles(store_);
    int number = 0;
    for (const std::string& file : files) {
        const QString path = QString::fromStdString(file);
        QAction* act = recentMenu_->addAction(
            QStringLiteral("&%1 %2").arg(++number).arg(QFileInfo(path).fileName()));
        act->setObjectName(QStringLiteral("mnuFileRecent_%1").arg(number - 1));
        act->setToolTip(path);
        act->setStatusTip(path);
        connect(act, &QAction::triggered, this, [this, path] { openRecentFile(path); });
    }
    recentMenu_->setEnabled(!files.empty());
}

void MainWindow::openRecentFile(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        std::vector<std::string> files = editor::ReadRecentFiles(store_);
        const std::string gone = path.toStdString();
        files.erase(std::remove(files.begin(), files.end(), gone), files.end());
        editor::SaveRecentFiles(store_, files);
        rebuildRecentMenu();
        notifier_.show(MessageIcon::Information, app_.windowTitle,
                       gone + "\r\nThis file is no longer there; it was removed from the recent "
                              "files.");
        return;
    }
    openFileLikeOpen(path);
}

void MainWindow::openFileLikeOpen(const QString& path) {
    if (!validateEditor() || !session_->OfferToSaveChanges()) return;
    const std::filesystem::path file = platform::PathFromUtf8(path.toStdString());
    if (QFileInfo(path).suffix().toLower() == QLatin1String("hex") && app_.diagnosticMode)
        session_->OpenImageAt(file);
    else
        session_->OpenDataFileAt(file);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile() &&
        IsOpenableFile(urls.front().toLocalFile()) && !transferRunning_ && busyDepth_ == 0)
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile() ||
        !IsOpenableFile(urls.front().toLocalFile()) || transferRunning_ || busyDepth_ != 0)
        return;
    event->acceptProposedAction();
    const QString path = urls.front().toLocalFile();
    // Opened once the drop is over, so the source application is not held
    // while questions and findings are shown.
    QTimer::singleShot(0, this, [this, path] { openFileLikeOpen(path); });
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
                                          children.join(QStringLiteral(", ")) +
                                          QLatin1Char('.')));
}

void MainWindow::restorePlacement() {
    if (auto placement = ReadWindowPlacement(store_)) {
        QRect wanted(placement->left / kTwipsPerPixel, placement->top / kTwipsPerPixel,
                     placement->width / kTwipsPerPixel, placement->height / kTwipsPerPixel);
        QScreen* screen = QGuiApplication::screenAt(wanted.center());
        if (screen == nullptr) screen = QGuiApplication::primaryScreen();
        if (screen != nullptr) wanted = ClampedTo(wanted, screen->availableGeometry());
        // The stored size is the outer one, frame included.
        const QSize frame = isVisible() ? frameGeometry().size() - size() : QSize(0, 0);
        resize((wanted.size() - frame).expandedTo(minimumSize()));
        move(wanted.topLeft());
    }
    const int total = std::max(1, width() - splitter_->handleWidth());
    int left = ReadSplitterPosition(store_) / kTwipsPerPixel;
    if (left <= 0) {
        // Wide enough for the section names and an enabled channel (the
        // names users give directory entries may scroll).
        const QFontMetrics metrics(tree_->font());
        left = std::max(metrics.horizontalAdvance(QStringLiteral("Programmable Channel")) +
                            tree_->indentation(),
                        metrics.horizontalAdvance(QStringLiteral("CH01A[Enable]")) +
                            3 * tree_->indentation());
        for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
            int depth = 1;
            for (QTreeWidgetItem* p = (*it)->parent(); p != nullptr; p = p->parent()) ++depth;
            if (depth <= 2)
                left = std::max(left, metrics.horizontalAdvance((*it)->text(0)) +
                                          depth * tree_->indentation());
        }
        left += metrics.averageCharWidth() * 3 +
                tree_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    }
    left = std::clamp(left, Pixels(kSplitterTwips), std::max(Pixels(kSplitterTwips),
                                                            total - Pixels(kSplitterTwips)));
    splitter_->setSizes({left, total - left});
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
        showGreyPane(nodeKey);
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

std::string MainWindow::askOpenFileName(const editor::FileDialogSpec& dialog) {
    const QString name =
        dialogs_.ask(this, {QString::fromStdString(dialog.filter), false, QString()});
    return name.isEmpty() ? std::string() : QDir::toNativeSeparators(name).toStdString();
}

std::string MainWindow::askSaveFileName(const editor::FileDialogSpec& dialog) {
    // The current file's name is suggested, else a first name of the kind.
    QString suggested = QFileInfo(QString::fromStdString(app_.currentFileName)).fileName();
    const QString filter = QString::fromStdString(dialog.filter);
    const QString pattern = filter.section(QLatin1Char('|'), 1, 1);
    if (suggested.isEmpty() || QFileInfo(suggested).suffix().toLower() !=
                                   QFileInfo(pattern).suffix().toLower())
        suggested = WithFilterSuffix(suggested.isEmpty() ? QStringLiteral("radio")
                                                         : QFileInfo(suggested).completeBaseName(),
                                     pattern);
    const QString name = dialogs_.ask(this, {filter, true, suggested});
    return name.isEmpty() ? std::string() : QDir::toNativeSeparators(name).toStdString();
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
    if (event->type() == QEvent::ToolTip) {
        // A control without a tip of its own shows its help topic's first lines.
        auto* widget = qobject_cast<QWidget*>(watched);
        // The help topic goes before a plain description of the field.
        if (widget != nullptr && widget->window() == this &&
            (widget->toolTip().isEmpty() || widget->toolTip() == FieldTip(widget))) {
            for (QWidget* w = widget; w != nullptr && w != this; w = w->parentWidget()) {
                const QVariant value = w->property(kHelpContext);
                if (!value.isValid()) continue;
                const QString tip = helpTopicTip(value.toInt());
                if (tip.isEmpty()) break;
                QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, widget);
                return true;
            }
        }
        return QMainWindow::eventFilter(watched, event);
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
    if (!splitter_->sizes().isEmpty())
        SaveSplitterPosition(store_, splitter_->sizes().front() * kTwipsPerPixel);
    const QRect frame = frameGeometry();
    session_->SaveWindowPlacement({frame.x() * kTwipsPerPixel, frame.y() * kTwipsPerPixel,
                                   frame.width() * kTwipsPerPixel,
                                   frame.height() * kTwipsPerPixel});
    event->accept();
}

void MainWindow::openHelp(int context, const QString& title) {
    const QString path = QString::fromStdString(helpFile_.string());
    if (!QFileInfo(path).isFile()) {
        notifier_.show(MessageIcon::Information,
                       title.isEmpty() ? app_.windowTitle : title.toStdString(),
                       std::string(kNoHelp) + "\r\nIt was looked for at " +
                           QDir::toNativeSeparators(path).toStdString());
        return;
    }
    QUrl url = QUrl::fromLocalFile(path);
    if (context > 0) url.setFragment(QStringLiteral("ctx%1").arg(context));
    if (QDesktopServices::openUrl(url)) return;
    // No desktop browser: the help in a window of its own, at the topic.
    if (helpBrowser_ == nullptr) {
        helpBrowser_ = new QTextBrowser(this);
        helpBrowser_->setObjectName(QStringLiteral("helpBrowser"));
        helpBrowser_->setWindowFlag(Qt::Window);
        helpBrowser_->setWindowTitle(QStringLiteral("QB41 Help"));
        helpBrowser_->setOpenExternalLinks(true);
        helpBrowser_->resize(640, 520);
    }
    helpBrowser_->setSource(url);
    if (url.hasFragment()) helpBrowser_->scrollToAnchor(url.fragment());
    helpBrowser_->show();
    helpBrowser_->raise();
}

QString MainWindow::helpTopicTip(int context) {
    if (!helpTipsRead_) {
        helpTipsRead_ = true;
        QFile file(QString::fromStdString(helpFile_.string()));
        if (file.open(QIODevice::ReadOnly)) {
            const QString html = QString::fromUtf8(file.readAll());
            static const QRegularExpression topic(
                QStringLiteral("<(\\w+)[^>]*\\bid=\"ctx(\\d+)\"[^>]*>(.*?)</\\1>\\s*(?:<p>(.*?)</p>)?"),
                QRegularExpression::DotMatchesEverythingOption);
            for (auto match = topic.globalMatch(html); match.hasNext();) {
                const QRegularExpressionMatch found = match.next();
                const QString body =
                    found.captured(1) == QLatin1String("p") ? found.captured(3) : found.captured(4);
                QString text = QTextDocumentFragment::fromHtml(body).toPlainText().simplified();
                if (text.size() > 240) text = text.left(text.lastIndexOf(QLatin1Char(' '), 237)) + QStringLiteral("...");
                if (!text.isEmpty()) helpTips_.emplace(found.captured(2).toInt(), text);
            }
        }
    }
    auto found = helpTips_.find(context);
    return found == helpTips_.end() ? QString() : found->second;
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
