#include "radio_dialog.h"

#include "main_window.h"
#include "pixels.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include <QStyle>
#include <QVBoxLayout>
#include <array>

namespace qb41::gui {
namespace {

// Client-area places in pixels where the contents fit in them; the rows move
// down and the dialog grows where a larger font needs more room. The
// pictures' places come from the flow.
constexpr QRect kMessage{12, 4, 428, 82};
constexpr QSize kPicture{140, 52};
constexpr QRect kProgress{30, 148, 390, 14};
constexpr QRect kStatus{30, 164, 390, 18};
constexpr int kButtonTop = 192;
constexpr QSize kButton{90, 26};
constexpr int kButtonLefts[] = {60, 180, 300};

QLabel* Picture(const char* name, QStyle::StandardPixmap icon, QWidget* parent) {
    auto* picture = new QLabel(parent);
    picture->setObjectName(QString::fromLatin1(name));
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(parent->style()->standardIcon(icon).pixmap(48, 48));
    picture->resize(kPicture);
    return picture;
}

} // namespace

RadioDialog::RadioDialog(TransferMode mode, RadioDialogParts parts, QWidget* parent)
    : QDialog(parent), parts_(std::move(parts)), flow_(parts_.app, mode),
      runner_(std::make_unique<TransferRunner>(parts_.run)) {
    setObjectName(QStringLiteral("frmRadio"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    buildControls();
    connect(runner_.get(), &TransferRunner::progressed, this,
            [this](const link::Progress& progress) {
                flow_.progress(progress);
                paint();
            });
    connect(runner_.get(), &TransferRunner::stepStarted, this, [this](RunStep step) {
        flow_.step(step);
        paint();
    });
    connect(runner_.get(), &TransferRunner::finished, this, &RadioDialog::onFinished);
    paint();
}

RadioDialog::~RadioDialog() = default;

void RadioDialog::buildControls() {
    buildPictures();
    buildButtons();
    placeControls();
    resize(kTransferDialogWidth, kTransferDialogHeight);
}

// The message, the two pictures on their strip, the progress bar and the
// status line.
void RadioDialog::buildPictures() {
    lblmess_ = new QLabel(this);
    lblmess_->setObjectName(QStringLiteral("lblmess"));
    lblmess_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblmess_->setTextFormat(Qt::PlainText);

    // pictA shows the radio and pictB the PC; the mode puts the sender first.
    // They move over a strip of their own height.
    stage_ = new QWidget(this);
    stage_->setObjectName(QStringLiteral("pictStage"));
    stage_->setFixedHeight(kPicture.height());
    pictA_ = Picture("pictA", QStyle::SP_DriveNetIcon, this);
    pictB_ = Picture("pictB", QStyle::SP_ComputerIcon, this);
    pictHandy_ = Picture("pictHandy", QStyle::SP_DriveNetIcon, this);
    pictHandy_->hide();

    pictProgress_ = new QFrame(this);
    pictProgress_->setObjectName(QStringLiteral("pictProgress"));
    pictProgress_->setFrameShape(QFrame::NoFrame);
    pictProgress_->setFixedSize(kProgress.size());
    pictProgress_->setAutoFillBackground(true);
    pictProgress_->setBackgroundRole(QPalette::Base);
    lblPercent_ = new QLabel(pictProgress_);
    lblPercent_->setObjectName(QStringLiteral("lblPercent"));
    lblPercent_->setAutoFillBackground(true);
    lblPercent_->setBackgroundRole(QPalette::Highlight);

    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
}

void RadioDialog::buildButtons() {
    const auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setMinimumSize(kButton.expandedTo(b->minimumSizeHint()));
        b->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
        return b;
    };
    cmdOK_ = button("cmdOK", QStringLiteral("OK"));
    cmdCancel_ = button("cmdCancel", QStringLiteral("Cancel"));
    cmdHelp_ = button("cmdHelp", QStringLiteral("Help"));
    cmdOK_->setDefault(true);
    cmdCancel_->setAutoDefault(false);
    cmdHelp_->setAutoDefault(false);
    // The pointer is the hourglass while a run is on, except over Cancel.
    cmdCancel_->setCursor(Qt::ArrowCursor);
    connect(cmdOK_, &QPushButton::clicked, this, &RadioDialog::onOk);
    connect(cmdCancel_, &QPushButton::clicked, this, &RadioDialog::onCancel);
    connect(cmdHelp_, &QPushButton::clicked, this, &RadioDialog::onHelp);
}

void RadioDialog::placeControls() {
    // The rows at their places, with the gaps between them kept.
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    // The right and bottom margins are small: the old outer size includes the
    // window frame, the client area is that much smaller.
    layout->setContentsMargins(kMessage.left(), kMessage.top(), 4, 8);
    layout->addWidget(lblmess_);
    layout->addSpacing(Pixels(kPictureTopTwips) - kMessage.bottom() - 1);
    layout->addWidget(stage_);
    const int pictureBottom = Pixels(kPictureTopTwips) + kPicture.height();
    layout->addSpacing(kProgress.top() - pictureBottom);
    const auto indented = [layout](QWidget* widget, int left) {
        auto* row = new QHBoxLayout;
        row->setSpacing(0);
        row->addSpacing(left - kMessage.left());
        row->addWidget(widget);
        row->addStretch();
        layout->addLayout(row);
    };
    indented(pictProgress_, kProgress.left());
    layout->addSpacing(kStatus.top() - kProgress.bottom() - 1);
    indented(lblStatus_, kStatus.left());
    layout->addSpacing(kButtonTop - kStatus.bottom() - 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(0);
    int right = kMessage.left();
    for (int i = 0; i < 3; ++i) {
        buttons->addSpacing(kButtonLefts[i] - right);
        buttons->addWidget(std::array<QPushButton*, 3>{cmdOK_, cmdCancel_, cmdHelp_}[i]);
        right = kButtonLefts[i] + kButton.width();
    }
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addStretch();
}

void RadioDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (sized_) return;
    sized_ = true;
    // The outer size is fixed where the contents fit in it; the frame the
    // window system adds is known only now.
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize wanted = QSize(kTransferDialogWidth, kTransferDialogHeight) - frame;
    setFixedSize(wanted.expandedTo(layout()->minimumSize()));
    layout()->activate();
    paint();
    cmdOK_->setFocus();
}

void RadioDialog::paint() {
    const TransferView view = flow_.view();
    setWindowTitle(QString::fromStdString(view.caption));
    lblmess_->setText(QString::fromStdString(view.message));
    lblStatus_->setText(QString::fromStdString(view.status));
    // At least their old places, more where a larger font needs it.
    lblmess_->setMinimumSize(kMessage.size().expandedTo(lblmess_->minimumSizeHint()));
    lblStatus_->setMinimumSize(kStatus.size().expandedTo(lblStatus_->minimumSizeHint()));
    const int top = stage_->y();
    pictA_->move(Pixels(view.pictALeftTwips), top);
    pictB_->move(Pixels(view.pictBLeftTwips), top);
    pictA_->setVisible(view.picturesVisible);
    pictB_->setVisible(view.picturesVisible);
    // lblPercent.left = W * percent / 100 - W: it slides in from the left.
    const int width = pictProgress_->width();
    lblPercent_->setGeometry(width * view.percent / 100 - width, 0, width, pictProgress_->height());
    cmdOK_->setEnabled(view.okEnabled);
    cmdHelp_->setEnabled(view.helpEnabled);
    cmdCancel_->setEnabled(view.cancelEnabled);
    if (view.busyPointer)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void RadioDialog::perform(TransferAction action) {
    switch (action) {
    case TransferAction::StartRun: {
        // Copies: the run never touches what the main window shows.
        SequencePlan plan = parts_.plan;
        plan.mode = flow_.mode();
        AppState app = parts_.app;
        if (parts_.restoreModel) app.modelNumber = *parts_.restoreModel;
        runner_->start(plan, parts_.device, app, parts_.data);
        emit runningChanged(true);
        break;
    }
    case TransferAction::RequestCancel:
        runner_->cancel();
        break;
    case TransferAction::ConfirmCancel:
        // The run goes on while the question is open.
        if (parts_.run.notifier.ask(StopProgrammingQuestion()) == MessageAnswer::Yes) {
            perform(flow_.cancelConfirmed());
            return;
        }
        break;
    case TransferAction::CloseDialog:
        pictHandy_->hide();
        QDialog::done(QDialog::Rejected);
        return;
    case TransferAction::None:
        break;
    }
    paint();
}

void RadioDialog::onOk() {
    perform(flow_.ok());
}

void RadioDialog::onCancel() {
    perform(flow_.cancel());
}

void RadioDialog::reject() {
    onCancel();
}

void RadioDialog::onHelp() {
    if (parts_.openHelp)
        parts_.openHelp(kTransferHelpContext);
    else
        parts_.run.notifier.show(MessageIcon::Information, TransferCaption(flow_.mode()),
                                 kNoHelpText);
}

void RadioDialog::onFinished(const TransferResult* result) {
    flow_.finished(result->outcome.status, result->app);
    paint();
    emit runningChanged(false);
    showBoxes(*result);
    if (flow_.view().closed) {
        QDialog::done(QDialog::Accepted);
    } else if (offer_) {
        perform(flow_.cancel()); // the dialog waits for OK no longer
    }
}

// The run's messages, with the cause and next step, and the follow-up
// questions; a Yes to an offer closes the dialog for the window to act on.
void RadioDialog::showBoxes(const TransferResult& result) {
    link::ExplainContext context;
    context.audience = link::Audience::Window;
    context.device = parts_.device;
    context.model = result.app.modelNumber;
    if (result.outcome.reason == link::LinkReason::PortUnavailable)
        context.port = link::DiagnosePort(parts_.device);
    for (const TransferBox& box :
         TransferBoxes(result.plan, result.sequence, result.shown, context)) {
        const MessageAnswer answer = parts_.run.notifier.ask(box.message);
        if (box.offer != TransferBox::Offer::None && answer == MessageAnswer::Yes) {
            offer_ = box;
            return;
        }
    }
}

void RadioDialog::closeEvent(QCloseEvent* event) {
    if (!flow_.closeRequested()) {
        event->ignore();
        return;
    }
    pictHandy_->hide();
    paint();
    event->accept();
    QDialog::done(QDialog::Rejected);
}

} // namespace qb41::gui
