#include "model.h"

#include <cstdio>

namespace qb41 {

const ModelInfo* FindModel(ModelNumber model) {
    const std::span<const ModelInfo> models = AllModels();
    if (model < 0 || model >= static_cast<ModelNumber>(models.size())) return nullptr;
    return &models[static_cast<std::size_t>(model)];
}

const ModelInfo* FindModelByCode(std::uint16_t code) {
    for (const ModelInfo& info : AllModels())
        if (info.code == code) return &info;
    return nullptr;
}

int ImageSize(ModelNumber model) {
    const ModelInfo* info = FindModel(model);
    return info ? info->imageSize : static_cast<int>(kImageCapacity);
}

int ImageLastIndex(ModelNumber model) {
    return ImageSize(model) - 1;
}

std::uint16_t ModelCode(ModelNumber model) {
    const ModelInfo* info = FindModel(model);
    return info ? info->code : 0;
}

// The codec tests "model is 1" for names and "model is 0/2" for the rest, so an
// unknown number stores names and has none of the optional features.
bool ModelKeeps(ModelNumber model, Feature feature) {
    const ModelInfo* info = FindModel(model);
    switch (feature) {
    case Feature::ChannelNames:
        return info ? info->storesChannelNames : true;
    case Feature::ExpNarrow:
        return true; // every model's EXP entry has the bit
    case Feature::ExpTones:
        return info && info->hasExpTones;
    case Feature::Rotary:
        return info && info->decodesRotary;
    case Feature::CallSigns:
        return info && info->hasCallSigns;
    case Feature::KikkerGroup:
        return info && info->decodesKikker;
    case Feature::DscStandbyFlags:
        return false; // no model's image has a place for them
    }
    return false;
}

bool StoresChannelNames(ModelNumber model) {
    return ModelKeeps(model, Feature::ChannelNames);
}

bool HasExpTones(ModelNumber model) {
    return ModelKeeps(model, Feature::ExpTones);
}

bool HasCallSigns(ModelNumber model) {
    return ModelKeeps(model, Feature::CallSigns);
}

bool DecodesRotary(ModelNumber model) {
    return ModelKeeps(model, Feature::Rotary);
}

bool DecodesKikker(ModelNumber model) {
    return ModelKeeps(model, Feature::KikkerGroup);
}

std::string_view ExpBankName(ModelNumber model) {
    const ModelInfo* info = FindModel(model);
    return info ? info->expBankName : "EXP";
}

std::optional<ModelNumber> ParseModelNumber(std::string_view text) {
    if (text.size() != 1 || text[0] < '0' || text[0] > '9') return std::nullopt;
    const auto model = static_cast<ModelNumber>(text[0] - '0');
    if (!FindModel(model)) return std::nullopt;
    return model;
}

std::string ModelName(ModelNumber model) {
    const ModelInfo* info = FindModel(model);
    return std::string(info ? info->shownName : detail::kUnknownModelShownName);
}

std::string ModelCodeSuffix(ModelNumber model) {
    char text[8];
    std::snprintf(text, sizeof text, "_%04X", static_cast<unsigned>(ModelCode(model)));
    return text;
}

bool ModelIdMatches(ModelNumber model, std::uint16_t idFront, std::uint16_t idBack) {
    return idFront == idBack && idFront == ModelCode(model);
}

bool ImageLengthMatches(ModelNumber model, std::uintmax_t length) {
    return length == static_cast<std::uintmax_t>(ImageSize(model));
}

} // namespace qb41
