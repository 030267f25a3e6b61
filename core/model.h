// The catalogue of the four radio models and everything that differs between
// them. Model numbers come from the settings store unchecked, so every lookup
// here accepts any number and answers for an unknown one as the program always
// has: a 16384-byte image, model code 0, no optional features.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qb41 {

using ModelNumber = std::int16_t;

inline constexpr std::size_t kImageCapacity = 16384; // bytes 0..16383 exist for every model
inline constexpr int kMaxImageIndex = 16383;

struct ModelInfo {
    ModelNumber number;
    std::string_view catalogueName; // "TQ4800M", "ZH520", "ZH540", "LW6100"
    std::string_view shownName;     // ModelName(): "TQ4800M" for model 0, "LW6100" for the rest
    std::string_view menuCaption;   // the Model menu item: the name with its accelerator
    int imageSize;                  // 8192 or 16384
    std::uint16_t code;             // id word at 64-65 and at the last two bytes
    bool writesMarker;              // byte 77 = 15 in a fresh image
    bool storesChannelNames;        // ChTag areas, usable-group status names
    std::string_view expBankName;   // "EXP" or "LMR": the name shown for the CHEXP bank
    bool hasExpTones;               // EXP tone block (DCS, CTCSS, compander)
    bool decodesRotary;
    bool hasCallSigns;  // ATIS call-sign table decoded and encoded
    bool decodesKikker; // AtisKikkerGroup decoded
};

namespace detail {
// The catalogue itself, in model-number order; read it through AllModels().
// Every model has the same five banks; only the name shown for CHEXP differs.
inline constexpr std::array<ModelInfo, 4> kModels{{
    {0, "TQ4800M", "TQ4800M", "&TQ4800M", 16384, 0x12C0, true, true, "EXP", false, true, true,
     true},
    {1, "ZH520", "LW6100", "ZH5&20", 8192, 0x0208, false, false, "EXP", false, false, false, false},
    {2, "ZH540", "LW6100", "ZH5&40", 16384, 0x021C, false, true, "LMR", true, false, false, false},
    {3, "LW6100", "LW6100", "&LW6100", 16384, 0x17D4, true, true, "EXP", false, false, false,
     false},
}};
// What ModelName() answers for a number outside the catalogue.
inline constexpr std::string_view kUnknownModelShownName = "LW6100";
} // namespace detail

// Every model the program knows, in model-number order (entry i is model i).
// Menus, the destination generator, the command-line checks and the model
// detection all walk this list.
constexpr std::span<const ModelInfo> AllModels() {
    return detail::kModels;
}

// The model whose id word is `code`; nullptr when no model carries it.
const ModelInfo* FindModelByCode(std::uint16_t code);

// A model number as typed on a command line: one digit naming a model of the
// catalogue ("0" to "3"); nullopt for anything else.
std::optional<ModelNumber> ParseModelNumber(std::string_view text);

// The fields a model's memory may or may not keep. Whatever a model does not
// keep is neither decoded, encoded, saved to a data file nor offered for
// editing: the codec, the data file, the report and the window all ask here.
enum class Feature {
    ChannelNames,    // ChTag of the channel banks, usable-group status names
    ExpNarrow,       // Narrow of the EXP channels (bit 0 of the flags byte)
    ExpTones,        // DcsCode, CtcssTone and Compander of the EXP channels
    Rotary,          // CommonSetup::Rotary
    CallSigns,       // the ATIS call-sign table
    KikkerGroup,     // AtisKikkerGroup, the "Usable ATIS Kikker CH Group" flags
    DscStandbyFlags, // DscFlags 4 and 5 ("Distress Cancel Call", "Standby Mode")
};

// True when the model's memory image keeps the feature's fields.
bool ModelKeeps(ModelNumber model, Feature feature);

// nullptr for a number outside 0..3.
const ModelInfo* FindModel(ModelNumber model);

int ImageSize(ModelNumber model);      // 8192 for model 1, else 16384
int ImageLastIndex(ModelNumber model); // 8191 for model 1, else 16383
std::uint16_t ModelCode(ModelNumber model);
// Shorthands of ModelKeeps.
bool StoresChannelNames(ModelNumber model);
bool HasExpTones(ModelNumber model);
bool HasCallSigns(ModelNumber model);
bool DecodesRotary(ModelNumber model);
bool DecodesKikker(ModelNumber model);
std::string_view ExpBankName(ModelNumber model);

// The name shown and written to files: "TQ4800M" for model 0, "LW6100" otherwise.
std::string ModelName(ModelNumber model);

// "_12C0": underscore and the model code as four upper-case hex digits.
std::string ModelCodeSuffix(ModelNumber model);

// True when both id words equal the model's code; for an unknown model number,
// true only when both words are 0.
bool ModelIdMatches(ModelNumber model, std::uint16_t idFront, std::uint16_t idBack);

// True when a file of `length` bytes can hold an image of the model.
bool ImageLengthMatches(ModelNumber model, std::uintmax_t length);

} // namespace qb41
