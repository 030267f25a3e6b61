// What one OK in the transfer dialog runs, as a sequence of clone-link runs,
// and what the dialog says about it afterwards.
//
// Program: the whole radio is read and saved as a backup first (the radio's
// current contents are then also the image the records are encoded over, so
// bytes the records do not hold keep the radio's values), then the image is
// programmed (only the blocks that differ with "Write only changes") and,
// with "Verify after Program", read back and compared. Clear: the backup,
// then the clear. A restore programs a backup's bytes as they stand. Read: the
// read alone.
//
// The sequence runs on the transfer's worker over its copies of the state and
// the data set. Each run goes through the link's edge (link_edge.h), which sets
// the worker's flags and hands the run's messages to the worker's notifier at
// the run's end; the window collects them there and turns them into the boxes
// below on its own thread, with the cause and the next step added.
#pragma once

#include "core/app_state.h"
#include "core/clock.h"
#include "core/notifier.h"
#include "core/records.h"
#include "files/settings_store.h"
#include "link/clone_link.h"
#include "link/explanation.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qb41 {

// Options > "Verify after Program" and "Write only changes", kept in the
// settings store under Options/VerifyAfterProgram and Options/WriteOnlyChanges.
struct ProgramChoices {
    bool verify = false;
    bool changedOnly = false;
    bool operator==(const ProgramChoices&) const = default;
};
ProgramChoices ReadProgramChoices(const SettingsStore& store);
void SaveProgramChoices(SettingsStore& store, const ProgramChoices& choices);

enum class RunStep { Backup, Transfer, Verify };

struct SequencePlan {
    TransferMode mode = TransferMode::Read;
    ProgramChoices choices;
    std::filesystem::path backupFolder; // Write and Clear save their backup here
    // Write only: program these bytes as they stand (a backup), without a
    // backup of its own.
    std::optional<std::vector<std::uint8_t>> restoreImage;
};

struct SequenceResult {
    link::LinkOutcome outcome; // of the step that ended the sequence
    RunStep step = RunStep::Transfer;
    std::filesystem::path backup; // the backup saved before the transfer
    bool verified = false;        // the verify read matched
    bool notEncoded = false;      // the records could not be encoded; nothing was written
};

// Runs `plan` over the link's context (its AppState and DataSet, `app` and
// `data` here), each run through RunLinkOperation with `notifier`. `onStep`
// is told each step as it starts.
SequenceResult RunTransferSequence(link::CloneLink& link, AppState& app, Notifier& notifier,
                                   DataSet& data, Clock& clock, const SequencePlan& plan,
                                   const std::function<void(RunStep)>& onStep = {});

// A box to show after the run, and what its Yes answer leads to.
struct TransferBox {
    enum class Offer { None, SwitchModel, RestoreBackup };
    Message message;
    Offer offer = Offer::None;
    ModelNumber model = 0; // SwitchModel: the model the radio reports
};

// The boxes after a sequence: the link's own messages (`shown`, in order)
// with the cause and next step under their text, the failures the link keeps
// silent about (a port that would not open, a backup that could not be saved,
// a verify that found differences, a program stopped part-way), and the
// completion naming the backup. `context` says which device and model;
// its port diagnosis is filled in by the caller for a port failure.
std::vector<TransferBox> TransferBoxes(const SequencePlan& plan, const SequenceResult& result,
                                       const std::vector<Message>& shown,
                                       const link::ExplainContext& context);

// The question Cancel or Esc asks while a program is writing; Yes stops it.
Message StopProgrammingQuestion();

} // namespace qb41
