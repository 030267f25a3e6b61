#include "transfer_runner.h"

#include "link/qt_serial_transport.h"

#include "core/clock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QScopedValueRollback>
#include <QThread>

#include <exception>
#include <functional>
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

// Runs `work` once on a thread of its own. `work` is set before start() and
// destroyed with the thread on the thread that made it; everything it touches
// after its start is handed back through the mailbox.
class WorkerThread final : public QThread {
public:
    WorkerThread(std::function<void()> work, QObject* parent)
        : QThread(parent), work_(std::move(work)) {}

private:
    void run() override { work_(); }

    std::function<void()> work_;
};

} // namespace

TransferRunner::TransferRunner(TransferRunParts parts, QObject* parent)
    : QObject(parent), parts_(parts) {
    connect(this, &TransferRunner::reportsWaiting, this, &TransferRunner::takeReports,
            Qt::QueuedConnection);
}

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
    // The worker's last act was to post its result: taking it (under the
    // mailbox's mutex) orders everything the worker did before what follows.
    mailbox_.take();
    delete thread;
}

bool TransferRunner::start(const SequencePlan& plan, const std::string& device, const AppState& app,
                           const DataSet& data) {
    if (thread_) return false;
    auto copies = std::make_shared<TransferResult>();
    copies->plan = plan;
    copies->app = app;
    copies->data = data;
    arrived_.reset();
    cancel_.reset();
    // Everything above is made before the thread starts; the copies come back
    // through the mailbox, the worker's last post.
    thread_ = new WorkerThread(
        [this, device, copies]() mutable {
            work(*copies, device);
            post(std::move(copies));
        },
        this);
    thread_->setObjectName(QStringLiteral("transfer"));
    connect(thread_, &QThread::finished, this, &TransferRunner::threadDone);
    thread_->start();
    return true;
}

void TransferRunner::work(TransferResult& result, const std::string& device) {
    RecordingNotifier collected;
    try {
        // The link's pauses (50 ms before a retry, 500 ms at the end)
        // sleep the worker, never the window.
        SystemClock clock;
        link::QtSerialTransport transport(clock);
        link::CloneLink link({result.app, result.data, parts_.log, clock, transport, cancel_},
                             device, parts_.timing);
        link.setProgress([this](const link::Progress& progress) { post(progress); });
        result.sequence = RunTransferSequence(link, result.app, collected, result.data, clock,
                                              result.plan, [this](RunStep step) { post(step); });
        result.outcome = result.sequence.outcome;
    } catch (const std::exception& error) {
        // The runs trap their own failures; this is the last resort.
        result.app.errorFlag = true;
        result.outcome = Failure(error.what());
        result.sequence.outcome = result.outcome;
    }
    result.shown = std::move(collected.messages);
}

void TransferRunner::post(Report report) {
    if (mailbox_.post(std::move(report))) emit reportsWaiting(QPrivateSignal());
}

void TransferRunner::takeReports() {
    // A slot that runs events would call this again: the loop below takes what
    // arrived meanwhile, in order.
    if (taking_) return;
    const QScopedValueRollback taking(taking_, true);
    for (std::vector<Report> reports = mailbox_.take(); !reports.empty();
         reports = mailbox_.take()) {
        for (Report& report : reports) {
            if (const auto* progress = std::get_if<link::Progress>(&report))
                emit progressed(*progress);
            else if (const auto* step = std::get_if<RunStep>(&report))
                emit stepStarted(*step);
            else
                arrived_ = std::move(std::get<std::shared_ptr<TransferResult>>(report));
        }
    }
}

void TransferRunner::threadDone() {
    if (!thread_) return;
    if (taking_) {
        // Inside a slot of a report: the end comes after the reports.
        QMetaObject::invokeMethod(this, &TransferRunner::threadDone, Qt::QueuedConnection);
        return;
    }
    takeReports(); // the last reports and the result, before the end is told
    thread_->wait();
    delete std::exchange(thread_, nullptr);
    // The worker's last act is to post its result: no way through it skips
    // that (an exception past work() would end the program).
    result_ = std::exchange(arrived_, nullptr);
    emit finished(result_.get());
}

} // namespace qb41::gui
