// The channel editor pane (pictC): one ChannelRecord of a plan bank (CHUSA,
// CHINT, CHCAN; frequencies from the master table, read-only) or of the EXP
// bank (channel number and frequencies typed by the user).
//
// The pane calls ViewChannel to fill its controls (under the loading flag),
// forwards every user edit to one of the Set/Pick/Commit functions, and fills
// itself again from ViewChannel when the result asks for it. Validation before
// leaving the editor: commit the box the user last edited (a failure shows its
// message once and puts the focus back), then CheckChannelComplete.
#pragma once

#include "choice_lists.h"
#include "frequency_entry.h"
#include "rule_types.h"

#include "core/app_state.h"
#include "core/model.h"
#include "core/notifier.h"
#include "core/records.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace qb41::editor {

// A channel record: a plan bank and its master row index, or CHEXP and its
// index 0..39 (tree key "E1" is index 0).
struct ChannelRef {
    Bank bank = Bank::CHUSA;
    int index = 0;

    bool operator==(const ChannelRef&) const = default;
};

// "PU12", "PI0", "PC239" address the plan banks, "E1".."E40" the EXP bank.
// None for any other key or an index outside the bank.
std::optional<ChannelRef> ChannelFromKey(std::string_view key, const Records& records);

// The number part of a plan channel in the two characters of the display:
// n below 100 with two digits ("05"), 100..109 as n - 100 and "o" ("3o"),
// 110..119 as an apostrophe and n - 110 ("'5").
std::string ShortChannelNumber(int n);

struct ChannelNumberText {
    std::string left;  // box 0
    std::string right; // box 1: "A" or empty
};
// The two boxes for a master table text: "16" -> "16", ""; "105A" -> "5o", "A".
ChannelNumberText PlanChannelNumber(std::string_view displayText);

enum class ChannelControl {
    NumberLeft,  // txtCN(0)
    NumberRight, // txtCN(1)
    RxFreq,      // txtCRF
    TxFreq,      // txtCTF
    Enable,      // chkCEnable
    TxEnable,    // chkCTXEnable
    LowPower,    // chkCTXOnly
    PowerUp,     // chkCTXPower
    Duplex,      // chkCDup
    Scan,        // chkCScan
    Name,        // txtCTag
    Scrambler,   // cmbScramble
    WideNarrow,  // optCWide(0..1)
    TxCtcss,     // cmbCTCSS(0)
    RxCtcss,     // cmbCTCSS(1)
    TxDcs,       // cmbDCS(0)
    RxDcs,       // cmbDCS(1)
    Compander,   // chkComp
};
inline constexpr int kChannelControls = 18;

struct ChannelView {
    bool exportChannel = false; // number and frequency boxes editable
    std::string numberLeft;
    std::string numberRight;
    std::string rxText; // "000.000" (plan) or "000.0000" (EXP), dashes for none
    std::string txText;
    bool enable = false;
    bool txEnable = false; // TxEnable AND NOT RxOnly
    bool lowPower = false;
    bool powerUp = false;
    bool duplex = false;
    bool scan = false;
    bool narrow = false; // optCWide(1) selected, else optCWide(0)
    bool compander = false;
    std::string name;
    ChoiceList scrambler;
    std::array<ChoiceList, 2> ctcss; // [0] TX Tone row, [1] RX Tone row
    std::array<ChoiceList, 2> dcs;
    // Connector lines: drawn in the enabled colour when true.
    bool lineTxOnly = false;  // linCTXOnly, to "Low Power Only"
    bool lineTxPower = false; // linCTXPower, to "Power Up"
    bool lineTone = false;    // linTone, to the tone lists

    // Visibility and enabled state of each control; a control's caption and
    // unit labels follow its control.
    std::array<ControlState, kChannelControls> controls{};
    const ControlState& state(ChannelControl c) const {
        return controls[static_cast<std::size_t>(c)];
    }
    ControlState& state(ChannelControl c) { return controls[static_cast<std::size_t>(c)]; }
};

ChannelView ViewChannel(const Records& records, ChannelRef ref, ModelNumber model);

// Help context of a control (0 for none).
int ChannelHelpContext(ChannelControl control, bool exportChannel);

// A check box or option button clicked by the user: Enable, TxEnable,
// LowPower, PowerUp, Duplex, Scan, Compander, or WideNarrow (ticked = "Narrow").
// Nothing is written while loading, nor for a control the view shows hidden
// or disabled. CH Enable also reports nodeTextChanged.
EditResult SetChannelCheck(Records& records, AppState& state, ChannelRef ref,
                           ChannelControl control, bool ticked);

// Entry `index` picked in Scrambler, TxCtcss, RxCtcss, TxDcs or RxDcs. A tone
// other than "Off" resets the other kind of tone of the same row to "Off".
EditResult PickChannelChoice(Records& records, AppState& state, ChannelRef ref,
                             ChannelControl control, int index);

// A text box changed by the user: Name (every plan and EXP channel),
// NumberLeft or NumberRight (EXP only). A text the box's validator refuses is
// not stored.
EditResult SetChannelText(Records& records, AppState& state, ChannelRef ref, ChannelControl control,
                          std::string_view text);

// Leaving an EXP frequency box after a change: a valid text is stored and the
// box shows it formatted; an invalid one is refused with "Data Error!!" titled
// "Rx frequency" / "Tx frequency". Plan channels refuse nothing and store nothing.
FieldCheck CommitChannelFrequency(Records& records, AppState& state, ChannelRef ref, FreqSide side,
                                  std::string_view text);

// The last check before leaving an enabled EXP channel: it needs a receive
// frequency and a two-character channel number; otherwise the message
// "Data Error!!" CR LF "Please input correct data." under the window title.
std::optional<Message> CheckChannelComplete(const Records& records, ChannelRef ref,
                                            const std::string& windowTitle);

} // namespace qb41::editor
