// frmMain: the main window. It shows and forwards; the session (editor/)
// decides. The window owns the widgets and the session; the application owns
// the data set, the state, the notifier, the settings store, the log and the
// clock, and passes them in.
#pragma once

#include "editor_pane.h"
#include "file_dialogs.h"
#include "grid_model.h"
#include "pixels.h"

#include "editor/session.h"

#include <QMainWindow>

#include <functional>
#include <map>
#include <memory>

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class QMenuBar;
class QSplitter;
class QStackedWidget;
class QTableView;
class QTextBrowser;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace qb41::gui {

class EditActions;
class QtNotifier;

struct WindowParts {
    AppState& app;
    DataSet& data;
    QtNotifier& notifier;
    SettingsStore& store;
    const ErrorLog& log;
    Clock& clock;
    std::filesystem::path destinationFolder;
    std::filesystem::path helpFile; // QB41.html
};

class MainWindow : public QMainWindow, public editor::MainView {
    Q_OBJECT
public:
    explicit MainWindow(WindowParts parts, QWidget* parent = nullptr);
    ~MainWindow() override;

    editor::Session& session() { return *session_; }
    PaneContext& paneContext() { return *paneContext_; }
    // A menu or toolbar action by its object name ("mnuFilePrint", ...).
    QAction* action(const QString& name) const;
    QMenu* fileMenu() const { return fileMenu_; }
    // Every file dialog of the program goes through these.
    FileDialogs& fileDialogs() { return dialogs_; }
    // Opens a data file as File > Open does (unsaved changes offered for
    // saving first): a dropped file, a recent file.
    void openFileLikeOpen(const QString& path);
    // Places the window as it was at the last close (clamped to the visible
    // screen) and the splitter where it was left. Once shown, the frame is
    // known and taken into account.
    void restorePlacement();
    // Hooks for the transfer dialog and the report window: while a hook is
    // not set its menu items stay disabled.
    void setTransferHandler(std::function<void(TransferMode)> handler);
    void setPrintHandler(std::function<void()> handler);
    void setPrintToFileHandler(std::function<void()> handler);
    // While a transfer runs the window refuses to close.
    void setTransferRunning(bool running) { transferRunning_ = running; }
    // Opens the help file at a context (0 = contents); when it cannot be shown
    // the message is titled `title` (the window title when empty).
    void openHelp(int context, const QString& title = {});
    // The caption's "[*]" mark follows the data-changed flag (after every
    // event, and whenever the caption is set).
    void showChangedMark();

    // editor::MainView
    void setBusy(bool busy) override;
    bool isMinimised() const override;
    void setCaption(const std::string& caption) override;
    void setStatusHint(const std::string& hint) override;
    void setModelName(const std::string& name) override;
    void setModelChecks(ModelNumber model) override;
    void setDestinationMenu(const editor::DestinationMenuState& menu) override;
    void setSerialPortMenu(const editor::SerialPortMenuState& menu) override;
    void setTree(const std::vector<editor::TreeNode>& nodes) override;
    void setNodeText(const std::string& key, const std::string& text) override;
    void selectNode(const std::string& key) override;
    void showPane(const editor::PaneTarget& target, const std::string& nodeKey) override;
    void prepareEditors(ModelNumber model) override;
    bool validateEditor() override;
    std::string askOpenFileName(const editor::FileDialogSpec& dialog) override;
    std::string askSaveFileName(const editor::FileDialogSpec& dialog) override;
    void armResetTimer() override;
    void recordsReplaced() override;
    void showEntryCount(const std::string& text) override;
    // Undo/Redo, the list grids' edits, Find and "Show all channels".
    EditActions& editActions() { return *edits_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildFileMenu(QMenuBar* bar);
    void buildEditMenu(QMenuBar* bar);
    void buildTransferMenu(QMenuBar* bar);
    void buildDestinationMenu(QMenuBar* bar);
    void buildOptionsMenu(QMenuBar* bar);
    void buildHelpMenu(QMenuBar* bar);
    void buildToolBar();
    void buildStatusBar();
    void buildPanes();
    void buildTree();
    void buildStartPanes();
    void buildListPanes();
    QAction* makeAction(QMenu* menu, const char* name, const QString& caption);
    void onTreeCurrentChanged(QTreeWidgetItem* current);
    void jumpFromGrid(QTableView* grid, int row);
    void showSerialPortDialog();
    void showAbout();
    void runTransfer(TransferMode mode);
    // File > Print and Print to File: the action is enabled while a handler is set.
    void setReportHandler(const char* actionName, std::function<void()> handler);
    void rememberRecentFile();
    void rebuildRecentMenu();
    void openRecentFile(const QString& path);
    QString helpTopicTip(int context);
    // A control without a tip of its own shows its help topic's first lines;
    // true when a tip was shown.
    bool showHelpTip(QWidget* widget, QEvent* event);
    // Enter, the diagnostic keys and F1; true when the key was taken.
    bool routeKey(QObject* watched, QWidget* widget, QKeyEvent* key);
    void showGreyPane(const std::string& nodeKey);
    // A channel or directory list in its grid and pane.
    void showList(QTableView* grid, GridModel* model, QWidget* pane, const std::string& nodeKey);

    AppState& app_;
    DataSet& data_;
    QtNotifier& notifier_;
    SettingsStore& store_;
    std::filesystem::path helpFile_;
    FileDialogs dialogs_;
    QMenu* recentMenu_ = nullptr;
    std::string recentRecorded_; // the current file last put in the recent list
    std::map<int, QString> helpTips_;
    bool helpTipsRead_ = false;
    QTextBrowser* helpBrowser_ = nullptr;
    QLabel* greyText_ = nullptr;
    std::unique_ptr<editor::Session> session_;
    std::unique_ptr<PaneContext> paneContext_;

    QMenu* fileMenu_ = nullptr;
    QMenu* destinationMenu_ = nullptr;
    std::vector<QAction*> destinationItems_;
    std::vector<QAction*> portItems_;
    QAction* portOther_ = nullptr;
    std::map<ModelNumber, QAction*> modelItems_;
    editor::DestinationMenuState destinationState_;
    editor::SerialPortMenuState portState_;

    QSplitter* splitter_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    std::map<std::string, QTreeWidgetItem*> treeItems_;
    QStackedWidget* panes_ = nullptr;
    QWidget* pictGeneral_ = nullptr;
    QWidget* pictGrey_ = nullptr;
    QWidget* pictB_ = nullptr;
    QWidget* pictE_ = nullptr;
    QTableView* grid1_ = nullptr;
    QTableView* grid2_ = nullptr;
    GridModel* grid1Model_ = nullptr;
    GridModel* grid2Model_ = nullptr;
    std::string listKey_; // the node whose list is shown
    std::map<editor::PaneKind, EditorPane*> editorPanes_;
    EditorPane* currentEditor_ = nullptr;

    QLabel* hintPanel_ = nullptr;
    QLabel* portPanel_ = nullptr;
    QLabel* modelPanel_ = nullptr;
    QTimer* resetTimer_ = nullptr;
    int busyDepth_ = 0;
    bool transferRunning_ = false;
    std::function<void(TransferMode)> transferHandler_;
    EditActions* edits_ = nullptr; // a child of the window
};

} // namespace qb41::gui
