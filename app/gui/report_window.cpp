#include "report_window.h"

#include "pixels.h"
#include "report_printer.h"

#include "core/errors.h"
#include "files/file_io.h"
#include "report/report_text.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QTimer>

namespace qb41::gui {
namespace {

// Busy pointer and the window disabled; both undone when the scope ends.
class BusyWindow {
public:
    explicit BusyWindow(QWidget* window) : window_(window) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        window_->setEnabled(false);
    }
    ~BusyWindow() {
        window_->setEnabled(true);
        QGuiApplication::restoreOverrideCursor();
    }
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

private:
    QWidget* window_;
};

} // namespace

ReportWindow::ReportWindow(ReportWindowParts parts, QWidget* parent)
    : QDialog(parent), parts_(parts) {
    setObjectName(QStringLiteral("frmPrn"));
    setWindowTitle(QString::fromLatin1(kReportWindowCaption));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);

    menu_ = new QMenuBar(this);
    QMenu* file = menu_->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* save = file->addAction(QStringLiteral("&Save As..."));
    save->setObjectName(QStringLiteral("mnuFileSave"));
    QAction* exit = file->addAction(QStringLiteral("&Exit"));
    exit->setObjectName(QStringLiteral("mnuFileExit"));
    connect(save, &QAction::triggered, this, [this] { saveAs(); });
    connect(exit, &QAction::triggered, this, &QDialog::accept);

    txtPrn_ = new QPlainTextEdit(this);
    txtPrn_->setObjectName(QStringLiteral("txtPrn"));
    txtPrn_->setReadOnly(true);
    txtPrn_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtPrn_->setFont(ReportFont(8.25));
    txtPrn_->setPlainText(QString::fromLatin1(kMakingTextImage));

    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setAutoDefault(false);
    connect(cmdOK_, &QPushButton::clicked, this, &QDialog::accept);

    // Timer1 builds the text once the window is on screen.
    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setSingleShot(true);
    timer1_->setInterval(10);
    connect(timer1_, &QTimer::timeout, this, &ReportWindow::buildText);

    resize(kReportWindowWidth, kReportWindowHeight);
}

void ReportWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (sized_) return;
    sized_ = true;
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(kReportWindowWidth - frame.width(), kReportWindowHeight - frame.height());
    timer1_->start();
}

void ReportWindow::buildText() {
    {
        BusyWindow busy(this);
        // A copy: the report may snap off-grid EXP frequencies, and the
        // editors' records stay as they are.
        DataSet data = parts_.data;
        text_ = MakeReportText(data, parts_.app.modelNumber);
        txtPrn_->setPlainText(
            QString::fromLatin1(text_.data(), static_cast<qsizetype>(text_.size())));
        parts_.clock.pause(std::chrono::milliseconds(500));
    }
    ready_ = true;
    emit reportShown();
}

void ReportWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // The places are measured on the outer window, below the menu bar.
    const QSize outer = event->size() + (frameGeometry().size() - geometry().size());
    const int menuHeight = menu_->sizeHint().height();
    menu_->setGeometry(0, 0, width(), menuHeight);
    txtPrn_->setGeometry(Pixels(100), menuHeight, std::max(0, outer.width() - Pixels(300)),
                         std::max(0, outer.height() - Pixels(1300)));
    cmdOK_->move((outer.width() - cmdOK_->width()) / 2, menuHeight + outer.height() - Pixels(1200));
}

bool ReportWindow::saveAs() {
    const QString current =
        QFileInfo(QString::fromStdString(parts_.app.currentFileName)).completeBaseName();
    const QString suggested =
        (current.isEmpty() ? QStringLiteral("radio") : current) + QStringLiteral(".txt");
    const QString name =
        parts_.dialogs.ask(this, {QString::fromLatin1(kReportFileFilter), true, suggested});
    if (name.isEmpty()) {
        parts_.app.cancelFlag = true;
        return false;
    }
    return saveTo(name.toStdString());
}

bool ReportWindow::saveTo(const std::filesystem::path& path) {
    AppState& app = parts_.app;
    app.errorFlag = false;
    std::string failure;
    {
        BusyWindow busy(this);
        try {
            WriteFileAtomically(path, ReportFileText(text_));
            parts_.clock.pause(std::chrono::milliseconds(500));
        } catch (const RuntimeError& error) {
            failure = error.description();
        } catch (const std::exception& error) {
            failure = error.what();
        }
    }
    if (failure.empty()) return true;
    app.errorFlag = true;
    app.cancelFlag = true;
    parts_.notifier.show(MessageIcon::Warning, ReportFailureTitle(app), failure);
    return false;
}

} // namespace qb41::gui
