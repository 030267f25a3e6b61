// The transfer operations: read from the radio, program to the radio, clear
// the radio's user-MMSI entry counter. The transfer dialog runs them when OK is
// pressed; the command-line tool runs them directly.
//
// Each *Run opens and closes the port itself (separately for the model check
// and for the transfer), reports progress (with its phase) through the
// callback, logs trapped failures through the ErrorLog, and returns its
// outcome as data (status, reason, detail, the messages it says, the error and
// cancel flags it ends with, whether it completed a transfer; outcome.h),
// made in one place, Finish, the exit of every run. The link only reads
// AppState (the model, the retry count, the error and cancel flags a run
// starts from) and never shows a message: the edge, editor/link_edge.h,
// runs each operation and turns its outcome into AppState's flags and the
// messages shown, for the window and the command-line tool alike.
//
// Threading: a run may go on a worker thread while the window stays responsive.
// The run then owns the AppState and DataSet it is given until it returns; the window
// only calls CancelToken::cancel() meanwhile and receives progress callbacks on
// the worker thread. With the QSerialPort transport that thread must be a
// QThread (it needs an event dispatcher); the command-line tool runs on its
// main thread under a QCoreApplication.
#pragma once

#include "clone_port.h"
#include "outcome.h"
#include "transport.h"

#include "core/app_state.h"
#include "core/clock.h"
#include "core/error_log.h"
#include "core/records.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace qb41::link {

// Which blocks a read fetches: every block (the protocol's read), or only
// the blocks whose bytes a read keeps (ReadKeepsBlock); the kept bytes are the
// same either way.
enum class ReadScope { Whole, KeptBlocks };

// How ProgramRun writes.
struct ProgramOptions {
    // Encode the records into the image, repair the channel references and
    // set the checksum first (the program's way); false programs the image's
    // bytes exactly as they stand (restoring a backup image).
    bool prepareImage = true;
    // The radio's current contents (a whole read, e.g. the backup just made):
    // only the plan's blocks and bytes that differ from it are written, in the
    // plan's order. Null: the whole plan.
    const std::vector<std::uint8_t>* radioImage = nullptr;
};

// What the operations work on. Everything referred to outlives the CloneLink.
struct LinkContext {
    const AppState& app; // read only: model, retry count, the flags a run starts from
    DataSet& data;
    const ErrorLog& log;
    Clock& clock;
    Transport& transport;
    CancelToken& cancel; // read only; the caller resets it before starting a run
};

class CloneLink {
public:
    // `device` is the port to open (see port_name.h for COM1..COM4).
    CloneLink(LinkContext context, std::string device, LinkTiming timing = {});

    void setProgress(ProgressCallback progress) { progress_ = std::move(progress); }
    // After a run that could not open the port: why (the number directly
    // followed by the description, as logged); empty otherwise.
    const std::string& portFailure() const { return port_.openFailure(); }

    // Model check, then every block; the image and records change only when
    // every block arrived (accepted ranges copied, image decoded).
    LinkOutcome ReadRun(ReadScope scope = ReadScope::Whole);
    // Model check, then the blocks into `image` (resized to the model's image
    // size; blocks not fetched stay 0) without touching the data set: a backup
    // or a verify read. The buffer is filled only when the run completes.
    LinkOutcome ReadImageRun(std::vector<std::uint8_t>& image, ReadScope scope = ReadScope::Whole);
    // Image preparation (encode, channel reference repair, checksum), model
    // check, then the write plan.
    LinkOutcome ProgramRun(const ProgramOptions& options = {});
    // Model check, then image byte 501 := 0 written to the radio; the old value
    // comes back when the write fails or is cancelled.
    LinkOutcome ClearRun();
    // Model check, then the blocks a read keeps, compared over the write plan
    // with the image (what a program of it sends): Failed with VerifyMismatch
    // and outcome.differences naming the ranges when they differ. Nothing is
    // shown; the data set is left alone.
    LinkOutcome VerifyRun();
    // Reads the model code (64-65), finds the model that carries it, then
    // reads that model's code copy; outcome.radioModel is set when both agree.
    // AppState::modelNumber is left alone.
    LinkOutcome DetectRun();

private:
    // The steps the runs are made of; outcome in the run's flags (RunFlags),
    // messages kept for the run's exit.
    void ReadDataChkModel();
    void ReadData(std::vector<std::uint8_t>& buffer);
    void WriteData();
    void ClearData();
    void Begin();
    bool ReadImage(ReadScope scope, std::vector<std::uint8_t>& buffer);
    LinkOutcome Finish(bool completed);
    void Fail(LinkReason reason, std::string detail);
    // A message of the run, returned at its exit (Finish).
    void Tell(MessageIcon icon, std::string title, std::string text);
    void FailTransfer();
    void SetPhase(LinkPhase phase);
    void ReadModelWords(int copy);
    void AbortRead();
    void ShowProgress(int percent, int current, int maximum);
    void ShowWaiting(bool waiting);
    void TrapRuntimeError(const char* source, const std::exception& error);
    void TransferStep(const char* source, const char* title, const char* failure,
                      const std::function<void()>& exchange,
                      const std::function<void()>& succeeded = {});
    void LogLineLost(const char* source);
    bool AdoptReadImage(const std::vector<std::uint8_t>& buffer);
    void WritePlanned(const std::vector<std::uint8_t>* radioImage);
    LinkOutcome ReadInto(std::vector<std::uint8_t>& buffer, ReadScope scope);
    int lastIndex() const;

    LinkContext ctx_;
    std::string device_;
    ClonePort port_;
    ProgressCallback progress_;
    Progress last_{};     // the last report, repeated by ShowWaiting
    LinkOutcome outcome_; // the first failure of the current run
    ReadScope scope_ = ReadScope::Whole;
    const std::vector<std::uint8_t>* radioImage_ = nullptr;
};

// Copies the ranges a read keeps (layout::kReadKeeps) from `source` into
// `destination`; every other byte keeps its value.
void CopyReadImage(RadioImage& destination, int destinationLastIndex,
                   std::span<const std::uint8_t> source);

// Index of the second copy of the model code: 8190 for model 1, else 16382.
int CodeCopyIndex(ModelNumber model);

} // namespace qb41::link
