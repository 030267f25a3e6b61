// The settings panes: usable channel groups (pictUsable), common setup
// (pictCommon), DSC setup (pictDSC) and ATIS setup (pictATIS).
//
// Each pane has a View function giving every list, tick, text and control
// state to show, and edit functions the pane calls when the user changes a
// control. Lists store the value of the picked entry (ChoiceList::valueAt);
// an index outside the list changes nothing.
#pragma once

#include "choice_lists.h"
#include "rule_types.h"

#include "core/app_state.h"
#include "core/model.h"
#include "core/records.h"

#include <array>
#include <string>
#include <string_view>

namespace qb41::editor {

// ---- Usable groups: rows 0 USA, 1 INTL, 2 CANADA, 3 EXP --------------------

struct UsableRowView {
    std::string caption; // chkUsable: "USA", "INTL", "CANADA", "EXP CH" / "LMR CH"
    bool usable = false;
    ChoiceList txTot;      // cmbUsableTot
    ChoiceList priority;   // cmbUsablePri
    ChoiceList statusIcon; // cmbUsableSts
    std::string statusName;
    ControlState txTotState;
    ControlState priorityState;
    ControlState statusIconState;
    ControlState statusNameState; // txtUsable with its label and connector line
};

std::array<UsableRowView, kUsableGroups> ViewUsablePane(const Records& records, ModelNumber model);

enum class UsableChoice { TxTot, Priority, StatusIcon };

// chkUsable: the tree must be rebuilt (a group's bank node exists only while
// the group is usable).
EditResult SetGroupUsable(Records& records, AppState& state, int group, bool ticked);
// The status icon also refreshes the bank nodes' texts.
EditResult PickGroupChoice(Records& records, AppState& state, int group, UsableChoice choice,
                           int index);
// Leaving the status name box after a change: trimmed, stored right-aligned in
// 4 characters ("ab" -> "  ab"), blanks only store an empty name.
FieldCheck CommitStatusName(Records& records, AppState& state, int group, std::string_view text);

// ---- Common setup --------------------------------------------------------------

enum class CommonChoice {
    TxPoDisplay,  // cmbCommonTXPo
    Scan,         // cmbCommonScan
    ResumeTime,   // cmbCommonResume
    PttScanClear, // cmbCommonPTTSCAN
    DualWatch,    // cmbCommonDual
    OffsetTime,   // cmbCommonOffset
    MagVar,       // cmbCommonMag
    Weather,      // cmbCommonWeater
    Rotary,       // cmbCommonRotary
};
inline constexpr int kCommonChoices = 9;

struct CommonPaneView {
    std::array<ChoiceList, kCommonChoices> lists;
    std::array<ControlState, kCommonChoices> states{};
    const ChoiceList& list(CommonChoice c) const { return lists[static_cast<std::size_t>(c)]; }
    const ControlState& state(CommonChoice c) const { return states[static_cast<std::size_t>(c)]; }
};

CommonPaneView ViewCommonPane(const Records& records, ModelNumber model);
EditResult PickCommonChoice(Records& records, AppState& state, CommonChoice choice, int index);

// ---- What the model's image keeps ------------------------------------------------

// A control that edits a field the model's memory does not keep (core's
// ModelKeeps) is disabled with the reason as its tooltip, or hidden with the
// whole group or page it belongs to.
struct Keeping {
    bool kept = true;
    std::string reason; // empty when kept
};
Keeping ControlKept(ModelNumber model, Feature feature);
// The feature a DSC selector's flag belongs to when not every model keeps it.
std::optional<Feature> DscFlagFeature(int flag);

// ---- DSC setup -------------------------------------------------------------------

// One selector of the DSC pane and the DscFlags index it edits. Transmit-level
// selectors ("Low"/"Hi") are enabled only while their call selector is "On".
struct DscSelector {
    std::string_view objectName; // control array, e.g. "cmbUsableDscBeepOut"
    int index;                   // array index
    int flag;                    // DscFlags index
    std::string_view label;      // row label
    int enabledBy;               // DscFlags index of the matching call selector, or -1
};

const std::vector<DscSelector>& DscSelectors();

// "Off"/"On" or "Low"/"Hi" for the flag, and whether its selector takes input
// (never for a flag the image has no place for).
ChoiceList DscFlagChoices(const Records& records, int flag);
bool DscFlagEnabled(const Records& records, ModelNumber model, int flag);

struct DscPaneView {
    std::array<ChoiceList, 3> usable; // cmbUsableDsc, "Available DSC CH Group"
    std::string userMmsi;             // the 9 digits typed
    std::string entryCount;           // txtFCount: image byte 501 in decimal
};

DscPaneView ViewDscPane(const DataSet& data);

EditResult PickDscUsable(Records& records, AppState& state, int group, int index);
EditResult PickDscFlag(Records& records, AppState& state, int flag, int index);
// Leaving txtUserMMSI after a change: 9 digits are stored with "0" appended,
// an empty box stores an empty MMSI, anything else is refused with
// "Data Error!!" titled "User MMSI".
FieldCheck CommitUserMmsi(Records& records, AppState& state, std::string_view text);

// ---- ATIS setup ------------------------------------------------------------------

struct AtisPaneView {
    std::string code;
    std::array<bool, 4> chGroup{}; // chkATISChGroup: DscFlags[44 + k]
    std::array<bool, 4> killer{};  // chkATISKiller: AtisKikkerGroup[k]
    std::string lastGroupCaption;  // box 3: "LMR" for model 2, else "EXP"
    std::array<std::string, kCallSigns> mid;
    std::array<std::string, kCallSigns> disp;
};

AtisPaneView ViewAtisPane(const Records& records, ModelNumber model);

// Leaving txtATIScode after a change: exactly 10 digits stored as typed, or
// empty; anything else is refused with "Data Error!!" titled "ATISNo".
FieldCheck CommitAtisCode(Records& records, AppState& state, std::string_view text);
EditResult SetAtisChGroup(Records& records, AppState& state, int group, bool ticked);
EditResult SetAtisKiller(Records& records, AppState& state, int group, bool ticked);
// Leaving MID box k (0..19): the number written with three digits ("7" ->
// "007"); an empty box stores an empty MID.
FieldCheck CommitAtisMid(Records& records, AppState& state, int k, std::string_view text);
// DISP box k changed: stored as typed (3 letters or digits at most).
EditResult SetAtisDisp(Records& records, AppState& state, int k, std::string_view text);

} // namespace qb41::editor
