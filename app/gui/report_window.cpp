#include "report_window.h"

#include "pixels.h"
#include "report_printer.h"

#include "core/errors.h"
#include "files/file_io.h"
#include "report/report_text.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLayout>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

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

// The report window's places, measured on the outer window below the menu
// bar: the text 100 twips from the left, 300 twips narrower and 1300 twips
// shorter than the window, OK centred with its top 1200 twips above the
// bottom. Its minimum is what the menu, a few text lines and OK need.
class ReportLayout : public QLayout {
public:
    ReportLayout(QMenuBar* menu, QWidget* text, QWidget* ok, QWidget* parent)
        : QLayout(parent), menu_(menu), text_(text), ok_(ok) {
        setContentsMargins(0, 0, 0, 0);
        setMenuBar(menu);
        addWidget(text);
        addWidget(ok);
    }
    ~ReportLayout() override {
        while (QLayoutItem* item = takeAt(0)) delete item;
    }
    void addItem(QLayoutItem* item) override { items_.append(item); }
    int count() const override { return static_cast<int>(items_.size()); }
    QLayoutItem* itemAt(int index) const override { return items_.value(index); }
    QLayoutItem* takeAt(int index) override {
        return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
    }
    QSize sizeHint() const override { return minimumSize(); }
    QSize minimumSize() const override {
        const QSize frame = this->frame();
        const QSize ok = ok_->sizeHint();
        const QSize text = text_->minimumSizeHint();
        // Wide enough for the menu and OK beside the margins, tall enough
        // for the text's minimum and OK below it.
        const int width = std::max({menu_->sizeHint().width(), ok.width() + 2 * Pixels(100),
                                    text.width() + Pixels(300)}) -
                          frame.width();
        const int menu = menu_->sizeHint().height();
        const int height = std::max(text.height() + Pixels(1300) - frame.height(),
                                    menu + text.height() + ok.height() + 8);
        return {width, height};
    }
    void setGeometry(const QRect& rect) override {
        QLayout::setGeometry(rect);
        // The menu bar is above `rect`, placed by QLayout.
        const QSize outer = parentWidget()->size() + frame();
        const int menuHeight = rect.top();
        // OK as large as its text needs, never below its usual size.
        const QSize ok = ok_->sizeHint().expandedTo(QSize(75, 23));
        text_->setGeometry(Pixels(100), menuHeight, std::max(0, outer.width() - Pixels(300)),
                           std::max(0, outer.height() - Pixels(1300)));
        // A tall menu bar or OK (a large font) must not push OK out of view.
        const int okTop = std::min(menuHeight + outer.height() - Pixels(1200),
                                   rect.bottom() + 1 - ok.height() - 4);
        ok_->setGeometry((outer.width() - ok.width()) / 2, okTop, ok.width(), ok.height());
        if (text_->geometry().bottom() >= okTop)
            text_->setGeometry(text_->x(), text_->y(), text_->width(),
                               std::max(0, okTop - 4 - text_->y()));
    }

private:
    // The window system's frame around the client area; none before it shows.
    QSize frame() const {
        const QWidget* window = parentWidget();
        return window->isVisible() ? window->frameGeometry().size() - window->size() : QSize();
    }

    QMenuBar* menu_;
    QWidget* text_;
    QWidget* ok_;
    QList<QLayoutItem*> items_;
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

    new ReportLayout(menu_, txtPrn_, cmdOK_, this);
    resize(kReportWindowWidth, kReportWindowHeight);
}

void ReportWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (sized_) return;
    sized_ = true;
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(QSize(kReportWindowWidth - frame.width(), kReportWindowHeight - frame.height())
               .expandedTo(minimumSizeHint()));
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
