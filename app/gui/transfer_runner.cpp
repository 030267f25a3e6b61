#include "transfer_runner.h"

#include "link/qt_serial_transport.h"

#include "core/clock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <exception>

namespace qb41::gui {
namespace {

link::LinkOutcome Failure(std::string detail) {
    link::LinkOutcome outcome;
    outcome.status = link::LinkStatus::Failed;
    outcome.reason = link::LinkReason::RuntimeError;
    outcome.detail = std::move(detail);
    return outcome;
}

link::LinkOutcome RunMode(link::CloneLink& link, TransferMode mode) {
    switch (mode) {
    case TransferMode::Read:
        return link.ReadRun();
    case TransferMode::Write:
        return link.ProgramRun();
    case TransferMode::Clear:
        return link.ClearRun();
    case TransferMode::None:
        break;
    }
    return Failure("no transfer mode");
}

} // namespace

TransferRunner::TransferRunner(TransferRunParts parts, QObject* parent)
    : QObject(parent), parts_(parts) {}

TransferRunner::~TransferRunner() {
    if (!thread_) return;
    disconnect(this, nullptr, nullptr, nullptr);
    cancel_.cancel();
    // Events keep running: the worker may be showing a message box.
    while (!thread_->wait(QDeadlineTimer(10))) QCoreApplication::processEvents();
    delete thread_;
}

bool TransferRunner::start(TransferMode mode, const std::string& device, const AppState& app,
                           const DataSet& data) {
    if (thread_) return false;
    pending_ = std::make_unique<TransferResult>();
    pending_->app = app;
    pending_->data = data;
    cancel_.reset();
    thread_ = QThread::create([this, mode, device] {
        TransferResult& result = *pending_;
        try {
            // The link's pauses (50 ms before a retry, 500 ms at the end)
            // sleep the worker, never the window.
            SystemClock clock;
            link::QtSerialTransport transport(clock);
            link::CloneLink link(
                {result.app, result.data, parts_.notifier, parts_.log, clock, transport, cancel_},
                device, parts_.timing);
            link.setProgress([this](const link::Progress& progress) {
                QMetaObject::invokeMethod(
                    this, [this, progress] { emit progressed(progress); }, Qt::QueuedConnection);
            });
            result.outcome = RunMode(link, mode);
        } catch (const std::exception& error) {
            // The runs trap their own failures; this is the last resort.
            result.app.errorFlag = true;
            result.outcome = Failure(error.what());
        }
    });
    thread_->setObjectName(QStringLiteral("transfer"));
    connect(thread_, &QThread::finished, this, &TransferRunner::threadDone);
    thread_->start();
    return true;
}

void TransferRunner::threadDone() {
    if (!thread_) return;
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    result_ = std::move(pending_);
    emit finished(result_.get());
}

} // namespace qb41::gui
