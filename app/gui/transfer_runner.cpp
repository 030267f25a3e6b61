#include "transfer_runner.h"

#include "link/qt_serial_transport.h"

#include "core/clock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <exception>
#include <utility>

namespace qb41::gui {
namespace {

link::LinkOutcome Failure(std::string detail) {
    link::LinkOutcome outcome;
    outcome.status = link::LinkStatus::Failed;
    outcome.reason = link::LinkReason::RuntimeError;
    outcome.detail = std::move(detail);
    return outcome;
}

} // namespace

TransferRunner::TransferRunner(TransferRunParts parts, QObject* parent)
    : QObject(parent), parts_(parts) {}

TransferRunner::~TransferRunner() {
    if (!thread_) return;
    // Nothing may reach this object any more: not the thread's end (threadDone
    // would delete the thread under the wait below) nor a progress report.
    QThread* thread = std::exchange(thread_, nullptr);
    disconnect(thread, nullptr, this, nullptr);
    disconnect(this, nullptr, nullptr, nullptr);
    cancel_.cancel();
    // Events keep running: the worker may be showing a message box.
    while (!thread->wait(QDeadlineTimer(10))) QCoreApplication::processEvents();
    delete thread;
}

bool TransferRunner::start(const SequencePlan& plan, const std::string& device, const AppState& app,
                           const DataSet& data) {
    if (thread_) return false;
    pending_ = std::make_unique<TransferResult>();
    pending_->plan = plan;
    pending_->app = app;
    pending_->data = data;
    cancel_.reset();
    thread_ = QThread::create([this, device] {
        TransferResult& result = *pending_;
        RecordingNotifier collected;
        try {
            // The link's pauses (50 ms before a retry, 500 ms at the end)
            // sleep the worker, never the window.
            SystemClock clock;
            link::QtSerialTransport transport(clock);
            link::CloneLink link({result.app, result.data, parts_.log, clock, transport, cancel_},
                                 device, parts_.timing);
            link.setProgress([this](const link::Progress& progress) {
                QMetaObject::invokeMethod(
                    this, [this, progress] { emit progressed(progress); }, Qt::QueuedConnection);
            });
            result.sequence = RunTransferSequence(
                link, result.app, collected, result.data, clock, result.plan, [this](RunStep step) {
                    QMetaObject::invokeMethod(
                        this, [this, step] { emit stepStarted(step); }, Qt::QueuedConnection);
                });
            result.outcome = result.sequence.outcome;
        } catch (const std::exception& error) {
            // The runs trap their own failures; this is the last resort.
            result.app.errorFlag = true;
            result.outcome = Failure(error.what());
            result.sequence.outcome = result.outcome;
        }
        result.shown = std::move(collected.messages);
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
