#include "main_window.h"

#include "edit_actions.h"
#include "main_window_measures.h"
#include "qt_notifier.h"

#include "core/platform.h"
#include "editor/app_settings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>

namespace qb41::gui {
namespace {

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

void MainWindow::restorePlacement() {
    const auto placement = ReadWindowPlacement(store_);
    if (placement) {
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
    if (!placement) {
        // The start width grows where the tree and the panes need more room
        // (a larger font), within the screen; a tall pane scrolls.
        int pane = 0;
        for (const auto& [kind, editor] : editorPanes_)
            pane = std::max(pane, editor->neededSize().width());
        const int need = width() - splitter_->width() + std::max(left, Pixels(kSplitterTwips)) +
                         splitter_->handleWidth() + pane + 8; // the splitter's own margins
        QSize grown(std::max(width(), need), height());
        if (const QScreen* screen = this->screen())
            grown = grown.boundedTo(screen->availableGeometry().size() -
                                    (frameGeometry().size() - size()));
        if (grown != size()) resize(grown.expandedTo(minimumSize()));
    }
    const int total = std::max(1, width() - splitter_->handleWidth());
    left = std::clamp(left, Pixels(kSplitterTwips),
                      std::max(Pixels(kSplitterTwips), total - Pixels(kSplitterTwips)));
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

std::string MainWindow::askOpenFileName(const editor::FileDialogSpec& dialog) {
    const QString name =
        dialogs_.ask(this, {QString::fromStdString(dialog.filter), false, QString()});
    return name.isEmpty() ? std::string() : QDir::toNativeSeparators(name).toStdString();
}

std::string MainWindow::askSaveFileName(const editor::FileDialogSpec& dialog) {
    const QString filter = QString::fromStdString(dialog.filter);
    const QString suggested =
        SuggestedSaveName(QString::fromStdString(app_.currentFileName), filter);
    const QString name = dialogs_.ask(this, {filter, true, suggested});
    return name.isEmpty() ? std::string() : QDir::toNativeSeparators(name).toStdString();
}

void MainWindow::armResetTimer() {
    resetTimer_->start(100);
}

void MainWindow::recordsReplaced() {
    if (edits_) edits_->recordsReplaced();
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

} // namespace qb41::gui
