#include "weather_pane.h"

#include "settings_panes.h"

#include "input_filters.h"

#include "image/defaults.h"

namespace qb41::editor {
namespace {

ChannelRecord* Row(Records& records, int row) {
    if (row < 0 || row >= static_cast<int>(records.CHWX.size())) return nullptr;
    return &records.CHWX[static_cast<std::size_t>(row)];
}

} // namespace

std::vector<WeatherRowView> ViewWeatherPane(const Records& records, ModelNumber model) {
    const Keeping names = ControlKept(model, Feature::ChannelNames);
    const auto& list = WeatherList();
    std::vector<WeatherRowView> rows;
    rows.reserve(records.CHWX.size());
    for (std::size_t i = 0; i < records.CHWX.size(); ++i) {
        const ChannelRecord& rec = records.CHWX[i];
        WeatherRowView row;
        // The record's Position names its list entry (1..10).
        const int entry = rec.Position >= 1 && rec.Position <= static_cast<int>(list.size())
                              ? rec.Position - 1
                              : static_cast<int>(i);
        if (entry < static_cast<int>(list.size()))
            row.label = std::string(list[static_cast<std::size_t>(entry)].label);
        row.enable = rec.Enable != 0;
        row.scan = rec.ScanMemory != 0;
        row.name = rec.ChTag;
        row.detailsEnabled = row.enable;
        row.nameState.enabled = row.enable && names.kept;
        row.nameState.reason = names.reason;
        rows.push_back(std::move(row));
    }
    return rows;
}

EditResult SetWeatherEnable(Records& records, AppState& state, int row, bool ticked) {
    ChannelRecord* rec = Row(records, row);
    if (state.loading || !rec || rec->Enable == ToVbBool(ticked)) return {};
    rec->Enable = ToVbBool(ticked);
    return Edited(state, true, true);
}

EditResult SetWeatherScan(Records& records, AppState& state, int row, bool ticked) {
    ChannelRecord* rec = Row(records, row);
    if (state.loading || !rec || !rec->Enable || rec->ScanMemory == ToVbBool(ticked)) return {};
    rec->ScanMemory = ToVbBool(ticked);
    return Edited(state, true, false);
}

EditResult SetWeatherName(Records& records, AppState& state, int row, std::string_view text) {
    ChannelRecord* rec = Row(records, row);
    if (state.loading || !rec || !rec->Enable || rec->ChTag == text ||
        !TextAccepted(TextBox::WeatherName, text))
        return {};
    rec->ChTag = std::string(text);
    return Edited(state, true, false);
}

} // namespace qb41::editor
