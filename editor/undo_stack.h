// Undo and redo over the records. Every user action that changes the records
// becomes one step holding what it changed: the channel and directory records
// before and after, and the settings outside those lists as two snapshots.
// Undoing puts the earlier records back exactly, stored forms included.
//
// Two ways in. A grid action that changes several records (a paste, a fill
// down, a toggle over many rows) calls Record with its own text once it is
// done. The panes write the records themselves; Sync, called after every
// event, sees what they changed and records it, letting the keystrokes of one
// text box run into one step until the focus moves (CloseMerge).
//
// The data-changed flag is the stack's clean state: a save marks the current
// step clean, and undoing or redoing back to it clears the flag. Records
// replaced by New, Open, a read from the radio or a model or destination
// switch start a new history (Reset).
#pragma once

#include "section_tree.h"

#include "core/app_state.h"
#include "core/records.h"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qb41::editor {

// What one step changed.
struct RecordsChange {
    struct Channel {
        Bank bank = Bank::CHUSA;
        int index = 0;
        ChannelRecord before;
        ChannelRecord after;
    };
    struct Entry {
        DirectoryKind kind = DirectoryKind::Individual;
        int index = 0; // 0-based
        DirectoryRecord before;
        DirectoryRecord after;
    };
    std::vector<Channel> channels;
    std::vector<Entry> entries;
    // The records outside the channel banks and directories (their lists
    // left empty), when any of it changed.
    std::optional<std::pair<Records, Records>> rest;

    bool empty() const { return channels.empty() && entries.empty() && !rest; }
};

RecordsChange DiffRecords(const Records& before, const Records& after);
// Puts the change's "after" (forward) or "before" side into the records.
void ApplyChange(Records& records, const RecordsChange& change, bool forward);
// "Rename USA 16", "Enable INTL 05A", "Delete Individual 03", "Change Common Setup".
std::string DescribeChange(const RecordsChange& change);

class UndoStack {
public:
    // A new history starting from these records.
    void Reset(const Records& records, ModelNumber model);
    // The records now differ from the last step by one user action: one step
    // with this text (described from the change when empty). False when
    // nothing changed. Sets the data-changed flag from the clean state.
    bool Record(const Records& records, AppState& state, std::string text = {});
    // After an event: a change a pane made is recorded (typing in one box
    // merges), a model switch or records replaced without the data-changed
    // flag start a new history, a save with no change marks the step clean.
    void Sync(const Records& records, AppState& state);
    // The next pane change starts a step of its own.
    void CloseMerge() { mergeOpen_ = false; }

    bool Undo(Records& records, AppState& state);
    bool Redo(Records& records, AppState& state);
    bool canUndo() const { return index_ > 0; }
    bool canRedo() const { return index_ < steps_.size(); }
    // "Undo Rename USA 16" / "Redo ..."; "Undo" / "Redo" when there is none.
    std::string undoText() const;
    std::string redoText() const;

    void SetClean(AppState& state);
    bool isClean() const { return clean_ && *clean_ == index_; }
    std::size_t size() const { return steps_.size(); }
    std::size_t index() const { return index_; }
    const Records& current() const { return known_; }
    // What step `step` (0-based, below size()) changes.
    const RecordsChange& change(std::size_t step) const { return steps_.at(step).change; }

private:
    struct Step {
        RecordsChange change;
        std::string text;
        std::string mergeKey; // a single text field; empty when the step never merges
    };
    bool Push(RecordsChange change, std::string text, bool mayMerge);
    void PublishFlag(AppState& state) const { state.dataChanged = !isClean(); }

    std::vector<Step> steps_;
    std::size_t index_ = 0;            // steps done
    std::optional<std::size_t> clean_; // none: no step matches the saved file
    Records known_;                    // the records after the steps done
    ModelNumber model_ = 0;
    bool mergeOpen_ = false;
};

} // namespace qb41::editor
