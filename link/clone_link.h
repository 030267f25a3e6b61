// The transfer operations: read from the radio, program to the radio, clear
// the radio's user-MMSI entry counter. The transfer dialog runs them when OK is
// pressed; the command-line tool runs them directly.
//
// Each *Run opens and closes the port itself (separately for the model check
// and for the transfer), reports progress through the callback, shows its
// messages through the Notifier, logs trapped failures through the ErrorLog,
// and leaves its outcome both in the returned status and in AppState's error
// and cancel flags.
//
// Threading: a run may go on a worker thread while the window stays responsive.
// The run then owns AppState and the DataSet until it returns; the window
// only calls CancelToken::cancel() meanwhile and receives progress callbacks on
// the worker thread. With the QSerialPort transport that thread must be a
// QThread (it needs an event dispatcher); the command-line tool runs on its
// main thread under a QCoreApplication.
#pragma once

#include "clone_port.h"
#include "transport.h"

#include "core/app_state.h"
#include "core/clock.h"
#include "core/error_log.h"
#include "core/notifier.h"
#include "core/records.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace qb41::link {

enum class LinkStatus { Ok, Failed, Cancelled };

// `percent` is what the progress bar shows; `current` of `maximum` counts the
// blocks (read) or write-plan steps (program) done before this report.
struct Progress {
    int percent;
    int current;
    int maximum;
};
using ProgressCallback = std::function<void(const Progress&)>;

// What the operations work on. Everything referred to outlives the CloneLink.
struct LinkContext {
    AppState& app;
    DataSet& data;
    Notifier& notifier;
    const ErrorLog& log;
    Clock& clock;
    Transport& transport;
    CancelToken& cancel; // reset when a run starts
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
    LinkStatus ReadRun();
    // Image preparation (encode, channel reference repair, checksum), model
    // check, then the write plan.
    LinkStatus ProgramRun();
    // Model check, then image byte 501 := 0 written to the radio; the old value
    // comes back when the write fails or is cancelled.
    LinkStatus ClearRun();

    // The steps the runs are made of; outcome in the error and cancel flags.
    void ReadDataChkModel();
    void ReadData(std::vector<std::uint8_t>& buffer);
    void WriteData();
    void ClearData();

private:
    void Begin();
    LinkStatus Finish(bool completed);
    void AbortRead();
    void ShowProgress(int percent, int current, int maximum);
    void TrapRuntimeError(const char* source, const std::exception& error);
    void TransferStep(const char* source, const char* title, const char* failure,
                      const std::function<void()>& exchange,
                      const std::function<void()>& succeeded = {});
    void LogLineLost(const char* source);
    bool AdoptReadImage(const std::vector<std::uint8_t>& buffer);
    void WritePlanned();
    int lastIndex() const;

    LinkContext ctx_;
    std::string device_;
    ClonePort port_;
    ProgressCallback progress_;
};

// Copies the accepted ranges of a read (64-191, 256-13823 and 16382 to the
// end) from `source` into `destination`; every other byte keeps its value.
void CopyReadImage(RadioImage& destination, int destinationLastIndex,
                   std::span<const std::uint8_t> source);

// Index of the second copy of the model code: 8190 for model 1, else 16382.
int CodeCopyIndex(ModelNumber model);

} // namespace qb41::link
