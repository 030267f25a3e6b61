#include "transfer_sequence.h"

#include "core/errors.h"
#include "editor/link_edge.h"
#include "files/backup_files.h"
#include "image/codec.h"
#include "link/messages.h"

namespace qb41 {

namespace {

constexpr const char* kOptionsSection = "Options";
constexpr const char* kVerifyKey = "VerifyAfterProgram";
constexpr const char* kChangedOnlyKey = "WriteOnlyChanges";

bool StoredFlag(const SettingsStore& store, const char* key) {
    return store.GetSetting(kSettingsApp, kOptionsSection, key, "0") == "1";
}

bool Failed(const SequenceResult& result) {
    return result.outcome.status != link::LinkStatus::Ok;
}

// The message the mode shows when its transfer fails.
Message ModeFailure(const SequencePlan& plan) {
    switch (plan.mode) {
    case TransferMode::Read:
        return {MessageIcon::Critical, link::kTitleRead, link::kCommunicationError};
    case TransferMode::Clear:
        return {MessageIcon::Critical, link::kTitleClear, link::kWriteCommunicationError};
    case TransferMode::Write:
    case TransferMode::None:
        break;
    }
    return {MessageIcon::Critical, link::kTitleProgram, link::kWriteCommunicationError};
}

// A step of the sequence's own (saving the backup, encoding) failed: the
// error flag, and the outcome a run-time error of a run would have.
void Trapped(SequenceResult& result, AppState& app, std::string detail) {
    app.errorFlag = true;
    result.outcome = {};
    result.outcome.status = link::LinkStatus::Failed;
    result.outcome.reason = link::LinkReason::RuntimeError;
    result.outcome.detail = std::move(detail);
}

std::string BackupLine(const SequenceResult& result) {
    return "What the radio held before is saved in " + result.backup.string() + ".";
}

// A program that stopped after it had written: say so, name the backup and
// offer the restore, in `box` (a failure box) or a box of its own.
void AddPartlyProgrammed(const SequencePlan& plan, const SequenceResult& result,
                         std::vector<TransferBox>& boxes, TransferBox* box) {
    std::string text = "The radio is partly programmed.";
    bool offer = true;
    if (!result.backup.empty())
        text +=
            "\n" + BackupLine(result) + "\nProgram it back with Transfer > Restore Backup... now?";
    else if (plan.restoreImage)
        text += "\nTry Transfer > Restore Backup... again now?";
    else {
        text += " No backup was made.";
        offer = false;
    }
    if (!box) {
        boxes.push_back({{MessageIcon::Warning, link::kTitleProgram, text}});
        box = &boxes.back();
    } else {
        box->message.text += "\n" + text;
    }
    if (offer) {
        box->message.buttons = MessageButtons::YesNo;
        box->offer = TransferBox::Offer::RestoreBackup;
    }
}

} // namespace

ProgramChoices ReadProgramChoices(const SettingsStore& store) {
    return {StoredFlag(store, kVerifyKey), StoredFlag(store, kChangedOnlyKey)};
}

void SaveProgramChoices(SettingsStore& store, const ProgramChoices& choices) {
    store.SaveSetting(kSettingsApp, kOptionsSection, kVerifyKey, choices.verify ? "1" : "0");
    store.SaveSetting(kSettingsApp, kOptionsSection, kChangedOnlyKey,
                      choices.changedOnly ? "1" : "0");
}

SequenceResult RunTransferSequence(link::CloneLink& link, AppState& app, Notifier& notifier,
                                   DataSet& data, Clock& clock, const SequencePlan& plan,
                                   const std::function<void(RunStep)>& onStep) {
    SequenceResult result;
    const auto step = [&](RunStep next) {
        result.step = next;
        if (onStep) onStep(next);
    };
    const auto run = [&](const std::function<link::LinkOutcome()>& operation) {
        result.outcome = RunLinkOperation(app, notifier, operation);
    };
    if (plan.mode == TransferMode::Read) {
        step(RunStep::Transfer);
        run([&] { return link.ReadRun(); });
        return result;
    }
    const bool restoring = plan.mode == TransferMode::Write && plan.restoreImage;
    std::vector<std::uint8_t> radio;
    if (!restoring) {
        step(RunStep::Backup);
        run([&] { return link.ReadImageRun(radio); });
        if (Failed(result)) return result;
        try {
            result.backup = SaveBackup(plan.backupFolder, app.modelNumber, radio, clock.wallNow());
        } catch (const std::exception& error) {
            Trapped(result, app, plan.backupFolder.string() + ": " + ErrorText(error));
            return result;
        }
    }
    step(RunStep::Transfer);
    if (plan.mode == TransferMode::Clear) {
        run([&] { return link.ClearRun(); });
        return result;
    }
    link::ProgramOptions options;
    if (restoring) {
        std::copy(plan.restoreImage->begin(), plan.restoreImage->end(), data.image.begin());
    } else {
        // The radio's current contents are the base the records go over.
        try {
            BuildImageToWrite(data, app.modelNumber, radio);
        } catch (const std::exception& error) {
            Trapped(result, app, ErrorText(error));
            result.notEncoded = true;
            return result;
        }
        if (plan.choices.changedOnly) options.radioImage = &radio;
    }
    options.prepareImage = false; // built above, or a backup as it stands
    run([&] { return link.ProgramRun(options); });
    if (Failed(result) || !plan.choices.verify) return result;
    step(RunStep::Verify);
    run([&] { return link.VerifyRun(); });
    result.verified = !Failed(result);
    return result;
}

std::vector<TransferBox> TransferBoxes(const SequencePlan& plan, const SequenceResult& result,
                                       const std::vector<Message>& shown,
                                       const link::ExplainContext& context) {
    const link::LinkOutcome& outcome = result.outcome;
    const link::Explanation explanation = link::Explain(outcome, context);
    std::vector<TransferBox> boxes;
    TransferBox* failure = nullptr;
    for (const Message& message : shown) {
        // A program whose verify failed did not complete.
        if (message.icon == MessageIcon::Information && Failed(result)) continue;
        TransferBox box{message};
        if (message.icon == MessageIcon::Critical && Failed(result)) {
            box.message.text = link::WindowText(message.text, explanation);
            if (auto model = link::ReportedModel(outcome, context.model)) {
                // The next step becomes the question the box asks.
                if (box.message.text.ends_with('.')) box.message.text.back() = '?';
                box.message.buttons = MessageButtons::YesNo;
                box.offer = TransferBox::Offer::SwitchModel;
                box.model = *model;
            }
        } else if (message.icon == MessageIcon::Information) {
            if (!result.backup.empty()) box.message.text += "\n" + BackupLine(result);
            if (result.verified)
                box.message.text += "\nVerified: the radio holds what was programmed.";
        }
        boxes.push_back(box);
    }
    for (TransferBox& box : boxes)
        if (box.message.icon == MessageIcon::Critical) failure = &box;

    if (Failed(result) && !failure && outcome.status != link::LinkStatus::Cancelled) {
        Message message = ModeFailure(plan);
        if (outcome.reason == link::LinkReason::VerifyMismatch) {
            message.text =
                link::WindowText("The radio does not hold what was programmed.", explanation);
            if (!result.backup.empty()) message.text += "\n" + BackupLine(result);
        } else if (result.notEncoded) {
            message.text = link::WindowText("The settings cannot be encoded.",
                                            {outcome.detail, "Nothing was written."});
        } else if (result.step == RunStep::Backup &&
                   outcome.reason == link::LinkReason::RuntimeError) {
            message.text = link::WindowText("The backup of the radio could not be saved.",
                                            {outcome.detail, "Nothing was written."});
        } else {
            message.text = link::WindowText(message.text, explanation);
        }
        boxes.push_back({message});
        failure = &boxes.back();
    }
    if (Failed(result) && plan.mode == TransferMode::Write && result.step == RunStep::Transfer &&
        outcome.radioWritten)
        AddPartlyProgrammed(plan, result, boxes, failure);
    return boxes;
}

Message StopProgrammingQuestion() {
    return {MessageIcon::Question, link::kTitleProgram,
            "Stop programming? If you stop now, the radio will be partly programmed.",
            MessageButtons::YesNo};
}

} // namespace qb41
