// The text boxes whose input is restricted: which characters each accepts and
// how long its text may be. The key filter drops other keys as they are typed;
// a validator built from the same rule also covers paste and drag-and-drop.
#pragma once

#include <string_view>

namespace qb41::editor {

enum class TextBox {
    ChannelNumberLeft,  // txtCN(0)
    ChannelNumberRight, // txtCN(1)
    RxFrequency,        // txtCRF
    TxFrequency,        // txtCTF
    ChannelName,        // txtCTag
    WeatherName,        // txtDTagName
    StatusName,         // txtUsable
    UserMmsi,           // txtUserMMSI
    AtisCode,           // txtATIScode
    AtisMid,            // txtATISMid
    AtisDisp,           // txtATISDisp
    DirectoryName,      // txtGPosi
    IndividualMmsi,     // txtGMMSI, individual directory
    GroupMmsi,          // txtGMMSI, group directory
};

struct InputRule {
    std::string_view allowed; // every accepted character; empty accepts any printable character
    int maxLength;
};

const InputRule& RuleFor(TextBox box);

inline constexpr char kBackspace = '\b';

// The key filter: true when the typed character may enter the box. Backspace
// always passes.
bool KeyAccepted(TextBox box, char key);

// The validator: true when the whole text could stand in the box (only
// accepted characters, no longer than the limit).
bool TextAccepted(TextBox box, std::string_view text);

// The first status-bar panel's hint while the box has the focus.
std::string_view FocusHint(TextBox box);

inline constexpr std::string_view kListHint = "[Up]/[Down]:Change of a Selection item.";
inline constexpr std::string_view kCheckHint = "[Space]:An effective and invalid change.";
inline constexpr std::string_view kCounterResetHint =
    "A Click Inicializes the number of User MMSI setting permission";

} // namespace qb41::editor
