// One OK's runs of the clone link (editor/transfer_sequence.h: the backup
// read, the read, program or clear, the verify) on a worker QThread.
//
// The run works on its own copies of the application state and the data set,
// so nothing the windows read is written while it goes on. It never talks to
// the user: the link's messages are collected on the worker and handed back,
// so that the window shows them with the cause and next step once the outcome
// is known. It reaches the window only through the signals below, which
// arrive on the UI thread. When the run has returned, the copies it worked on
// are handed back with its outcome; the caller decides what to adopt.
//
// The hand-off: the worker posts each progress report, each step and, as its
// last act, the copies with the outcome into a mailbox (mailbox.h) and wakes
// the runner with a queued call that carries nothing; the runner takes the
// reports on the UI thread and emits them in the order they were posted. The
// end of the run is seen when the thread has finished and its result has been
// taken from the mailbox.
//
// Nothing on the UI thread waits for the worker while it runs, except the
// destructor, which cancels the run first and keeps events running.
#pragma once

#include "mailbox.h"

#include "editor/transfer_sequence.h"

#include "link/clone_link.h"
#include "link/outcome.h"
#include "link/transport.h"

#include "core/app_state.h"
#include "core/error_log.h"
#include "core/notifier.h"
#include "core/records.h"

#include <QObject>

#include <memory>
#include <string>
#include <variant>

class QThread;

namespace qb41::gui {

// What a run needs besides the copies; all of it outlives the runner.
struct TransferRunParts {
    Notifier& notifier; // the window's; used on the UI thread only
    const ErrorLog& log;
    link::LinkTiming timing{};
};

// What a finished run hands back.
struct TransferResult {
    SequencePlan plan;
    SequenceResult sequence;
    std::vector<Message> shown; // the link's messages, in order, not yet shown
    link::LinkOutcome outcome;  // the sequence's outcome
    AppState app;               // the worker's state: error, cancel and completed flags
    DataSet data;               // the worker's data set: the read, repaired or cleared records
};

class TransferRunner : public QObject {
    Q_OBJECT
public:
    explicit TransferRunner(TransferRunParts parts, QObject* parent = nullptr);
    // A runner destroyed mid-run cancels it and lets the UI thread's events
    // run until the worker has stopped.
    ~TransferRunner() override;

    // Starts `plan` on `device` over copies of `app` and `data`. False when a
    // run is already going. The cancel token is reset here, before the worker
    // starts, so a Cancel from now on counts.
    bool start(const SequencePlan& plan, const std::string& device, const AppState& app,
               const DataSet& data);
    // Asks the running run to stop; it ends inside its current wait.
    void cancel() { cancel_.cancel(); }
    bool running() const { return thread_ != nullptr; }
    // The last finished run's result; null before the first run ends.
    const TransferResult* result() const { return result_.get(); }

signals:
    void progressed(const qb41::link::Progress& progress);
    void stepStarted(qb41::RunStep step);
    void finished(const qb41::gui::TransferResult* result);
    // From the worker: the mailbox has something (queued to takeReports).
    void reportsWaiting(QPrivateSignal);

private:
    // What the worker posts; the result comes last.
    using Report = std::variant<link::Progress, RunStep, std::shared_ptr<TransferResult>>;

    // On the worker.
    void work(TransferResult& result, const std::string& device);
    void post(Report report);
    // On the UI thread.
    void takeReports();
    void threadDone();

    TransferRunParts parts_;
    link::CancelToken cancel_;
    QThread* thread_ = nullptr;
    Mailbox<Report> mailbox_;
    bool taking_ = false;                     // takeReports is emitting
    std::shared_ptr<TransferResult> arrived_; // the running run's result, once taken
    std::shared_ptr<const TransferResult> result_;
};

} // namespace qb41::gui
