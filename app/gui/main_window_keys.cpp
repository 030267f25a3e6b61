// The main window's key and help routing: Enter, the diagnostic keys, F1 and
// the help topics' tooltips, and the help file itself.
#include "main_window.h"
#include "pane_support.h"

#include "qt_notifier.h"

#include "editor/transfer_flow.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpression>
#include <QTableView>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <QTreeWidget>
#include <QUrl>

namespace qb41::gui {
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == tree_) session_->TreeFocused();
        if (watched == grid1_ || watched == grid2_)
            hintPanel_->setText(QString::fromLatin1(editor::kGridHint));
    }
    if (event->type() == QEvent::ToolTip) {
        if (showHelpTip(qobject_cast<QWidget*>(watched), event)) return true;
        return QMainWindow::eventFilter(watched, event);
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return QMainWindow::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this)
        return QMainWindow::eventFilter(watched, event);
    // A cell being edited in a list takes its keys (Enter commits it).
    if (watched != grid1_ && watched != grid2_ &&
        (grid1_->isAncestorOf(widget) || grid2_->isAncestorOf(widget)))
        return QMainWindow::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress &&
        routeKey(watched, widget, static_cast<QKeyEvent*>(event)))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::showHelpTip(QWidget* widget, QEvent* event) {
    // A control without a tip of its own shows its help topic's first lines;
    // the help topic goes before a plain description of the field.
    if (widget == nullptr || widget->window() != this ||
        !(widget->toolTip().isEmpty() || widget->toolTip() == FieldTip(widget)))
        return false;
    for (QWidget* w = widget; w != nullptr && w != this; w = w->parentWidget()) {
        const QVariant value = w->property(kHelpContext);
        if (!value.isValid()) continue;
        const QString tip = helpTopicTip(value.toInt());
        if (tip.isEmpty()) return false;
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, widget);
        return true;
    }
    return false;
}

bool MainWindow::routeKey(QObject* watched, QWidget* widget, QKeyEvent* key) {
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
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
    if (key->modifiers() == Qt::ControlModifier && app_.diagnosticMode) {
        if (key->key() == Qt::Key_F2) {
            session_->OpenImage();
            return true;
        }
        if (key->key() == Qt::Key_F3) {
            session_->SaveImage();
            return true;
        }
    }
    if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
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
    return false;
}

void MainWindow::openHelp(int context, const QString& title) {
    const QString path = QString::fromStdString(helpFile_.string());
    if (!QFileInfo(path).isFile()) {
        notifier_.show(MessageIcon::Information,
                       title.isEmpty() ? app_.windowTitle : title.toStdString(),
                       std::string(kNoHelpText) + "\r\nIt was looked for at " +
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
                QStringLiteral(
                    "<(\\w+)[^>]*\\bid=\"ctx(\\d+)\"[^>]*>(.*?)</\\1>\\s*(?:<p>(.*?)</p>)?"),
                QRegularExpression::DotMatchesEverythingOption);
            for (auto match = topic.globalMatch(html); match.hasNext();) {
                const QRegularExpressionMatch found = match.next();
                const QString body =
                    found.captured(1) == QLatin1String("p") ? found.captured(3) : found.captured(4);
                QString text = QTextDocumentFragment::fromHtml(body).toPlainText().simplified();
                if (text.size() > 240)
                    text =
                        text.left(text.lastIndexOf(QLatin1Char(' '), 237)) + QStringLiteral("...");
                if (!text.isEmpty()) helpTips_.emplace(found.captured(2).toInt(), text);
            }
        }
    }
    auto found = helpTips_.find(context);
    return found == helpTips_.end() ? QString() : found->second;
}

} // namespace qb41::gui
