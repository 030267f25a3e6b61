// The main window's menus, toolbar and status bar, and the menu states the
// session sets.
#include "main_window.h"

#include "about_dialog.h"
#include "qt_notifier.h"
#include "serial_port_dialog.h"

#include "editor/app_settings.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include <algorithm>

namespace qb41::gui {

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
    buildFileMenu(bar);
    buildEditMenu(bar);
    buildTransferMenu(bar);
    buildDestinationMenu(bar);
    buildOptionsMenu(bar);
    buildHelpMenu(bar);
    setTransferHandler({});
}

void MainWindow::buildFileMenu(QMenuBar* bar) {
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
}

void MainWindow::buildEditMenu(QMenuBar* bar) {
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
}

void MainWindow::buildTransferMenu(QMenuBar* bar) {
    QMenu* transfer = bar->addMenu(QStringLiteral("&Transfer"));
    transfer->setObjectName(QStringLiteral("mnuTransfer"));
    connect(makeAction(transfer, "mnuTransferProgram", QStringLiteral("&Program to Radio")),
            &QAction::triggered, this, [this] { runTransfer(TransferMode::Write); });
    connect(makeAction(transfer, "mnuTransferRead", QStringLiteral("&Read from Radio")),
            &QAction::triggered, this, [this] { runTransfer(TransferMode::Read); });
}

void MainWindow::buildDestinationMenu(QMenuBar* bar) {
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
}

void MainWindow::buildOptionsMenu(QMenuBar* bar) {
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
}

void MainWindow::buildHelpMenu(QMenuBar* bar) {
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    connect(makeAction(help, "mnuHelpContents", QStringLiteral("&Contents")), &QAction::triggered,
            this, [this] { openHelp(0); });
    help->addSeparator();
    connect(makeAction(help, "mnuHelpAbout", QStringLiteral("&About KVX Version")),
            &QAction::triggered, this, [this] { showAbout(); });
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

void MainWindow::setTransferHandler(std::function<void(TransferMode)> handler) {
    transferHandler_ = std::move(handler);
    paneContext_->runTransfer = transferHandler_;
    const bool enabled = static_cast<bool>(transferHandler_);
    action(QStringLiteral("mnuTransferProgram"))->setEnabled(enabled);
    action(QStringLiteral("mnuTransferRead"))->setEnabled(enabled);
}

void MainWindow::setPrintHandler(std::function<void()> handler) {
    setReportHandler("mnuFilePrint", std::move(handler));
}

void MainWindow::setPrintToFileHandler(std::function<void()> handler) {
    setReportHandler("mnuFilePrintToFile", std::move(handler));
}

void MainWindow::setReportHandler(const char* actionName, std::function<void()> handler) {
    QAction* act = action(QString::fromLatin1(actionName));
    act->disconnect(this);
    act->setEnabled(static_cast<bool>(handler));
    // The field being edited is committed first.
    if (handler)
        connect(act, &QAction::triggered, this, [this, handler] {
            if (validateEditor()) handler();
        });
}

void MainWindow::runTransfer(TransferMode mode) {
    if (!transferHandler_ || !validateEditor()) return;
    transferHandler_(mode);
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
