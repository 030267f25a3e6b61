// The transfer dialog (frmRadio) without its window: the state of one read,
// program or clear, what the dialog shows in each state, and what the main
// window must do once the dialog has closed.
//
// The window feeds the flow its events (OK, Cancel or Esc, the close box, the
// run's progress and its end) and paints view() after each. It runs the
// CloneLink itself, on a worker thread, over copies of the data set and the
// application state; the flow never sees the link, so it stays free of threads
// and is tested without a port. The flow keeps the main thread's AppState
// flags (error, cancel, completed) in step with the runs it is told about.
//
// States, changed only in TransferFlow::enter:
//   Ready      waiting for OK (just opened)
//   Running    a run is on the worker; OK and Help are off, the close box is refused
//   Cancelling Cancel was pressed during the run; waiting for the run to stop
//   Failed     the run failed or was cancelled; waiting for OK (try again) or Cancel
//   Done       the run completed; the dialog closes
//   Closed     closed without a completed run
#pragma once

#include "core/app_state.h"
#include "editor/transfer_sequence.h"
#include "link/clone_link.h"

#include <string>
#include <string_view>

namespace qb41 {

enum class TransferState { Ready, Running, Cancelling, Failed, Done, Closed };

// The dialog's fixed geometry: outer size in pixels, picture places in twips
// (15 twips to the pixel at 96 dpi).
inline constexpr int kTransferDialogWidth = 455;
inline constexpr int kTransferDialogHeight = 275;
inline constexpr int kPictureTopTwips = 1320;
inline constexpr int kPictureNearTwips = 450;
inline constexpr int kPictureFarTwips = 4200;
// Help: the topic of the dialog, and the text when there is no help file
// (information icon, titled with the dialog's caption).
inline constexpr int kTransferHelpContext = 1012;
inline constexpr const char* kNoHelpText =
    "Unable to display Help Contents. There is no Help associated with this project.";

// The instructions of lblmess, five lines joined by CR LF.
const std::string& TransferInstructions();
// "Read from Radio" for a read; "Program to Radio" for a program and a clear.
std::string TransferCaption(TransferMode mode);

// Everything the dialog shows.
struct TransferView {
    std::string caption;
    std::string message;    // lblmess
    std::string status;     // a line under the bar: what the run is doing, empty when idle
    int percent = 0;        // the bar: lblPercent.left = W * percent / 100 - W
    int pictALeftTwips = 0; // pictA and pictB, both at kPictureTopTwips
    int pictBLeftTwips = 0;
    bool picturesVisible = true;
    bool okEnabled = false;
    bool cancelEnabled = true;
    bool helpEnabled = false;
    bool busyPointer = false;
    bool closeBoxAllowed = true;
    bool closed = false; // close the dialog now
};

// What the window does when a button or key is handled.
enum class TransferAction {
    None,
    StartRun,      // copy the data set and app state, run the mode's *Run on the worker
    RequestCancel, // CancelToken::cancel(); the run ends within a wait
    ConfirmCancel, // ask StopProgrammingQuestion() first; Yes: cancelConfirmed()
    CloseDialog,
};

class TransferFlow {
public:
    // Opening the dialog: clears the completed flag, whatever the mode, so that
    // a failed transfer after an earlier success reports no change.
    TransferFlow(AppState& app, TransferMode mode);

    TransferAction ok();
    // The Cancel button and Esc. While a program is writing the user is asked
    // first (ConfirmCancel).
    TransferAction cancel();
    // The user answered Yes to the question: stop the run if it is still on.
    TransferAction cancelConfirmed();
    // The close box or system menu: false while a run is on (the close is refused).
    bool closeRequested();
    void progress(const link::Progress& report);
    // The sequence started its next step (backup read, transfer, verify).
    void step(RunStep next);
    // The run has returned. `worker` is the app state the run worked on; its
    // error, cancel and completed flags become the main thread's.
    void finished(link::LinkStatus status, const AppState& worker);

    TransferState state() const { return state_; }
    TransferMode mode() const { return mode_; }
    // Where the run is: its step and the link's phase, as last reported.
    RunStep currentStep() const { return step_; }
    link::LinkPhase phase() const { return phase_; }
    TransferView view() const;

private:
    void enter(TransferState next);

    AppState& app_;
    TransferMode mode_;
    TransferState state_ = TransferState::Ready;
    int percent_ = 0;
    link::LinkPhase phase_ = link::LinkPhase::OpeningPort;
    RunStep step_ = RunStep::Transfer;
    bool waiting_ = false;
};

// What the main window does after the dialog has closed (or after an image
// was prepared for writing outside a transfer), in this order.
struct TransferFollowUp {
    bool adoptData = false;       // take the worker's data set (image and records)
    bool showGeneral = false;     // ShowSection("General")
    bool showCurrentPane = false; // show the selected node's pane again from the records
    bool rebuildTree = false;     // the section tree and its texts, and the lists
    bool clearFileName = false;   // no current file name
    bool refreshCaption = false;
    bool clearDataChanged = false;
    bool setDataChanged = false;
    bool refreshCounter = false; // txtFCount := decimal text of image byte 501

    bool operator==(const TransferFollowUp&) const = default;
};

// After the dialog of `mode` closed with the given completed flag.
TransferFollowUp FollowUpAfterTransfer(TransferMode mode, bool completed);
// After the records were repaired while an image was prepared for writing
// (program, image file save): the pane and tree show the repaired records.
TransferFollowUp FollowUpAfterPrepare();

} // namespace qb41
