// The settings sections of the report: channel groups, common setup, DSC and
// ATIS setup, and the call-sign table.
#include "formatters.h"
#include "report_image.h"

#include "image/layout.h"

#include <array>
#include <string>

namespace qb41::report_detail {
namespace {

// 35 blanks, then the four group names.
void AppendGroupColumns(ReportImage& image, ModelNumber model) {
    Row row;
    row.cell("", kLabelWidth);
    for (const char* name : {"USA", "INTL", "Canada"}) row.cell(name, kValueWidth);
    row.cell(std::string(ExpBankName(model)) + " CH", kValueWidth);
    image.line(row.str());
}

// A label (35) and one on/off value (18) per flag.
template <class Flags>
void AppendOnOffRow(ReportImage& image, std::string_view label, const Flags& flags) {
    Row row;
    row.cell(label, kLabelWidth);
    for (const auto flag : flags) row.cell(OnOffText(flag), kValueWidth);
    image.line(row.str());
}

void AppendValueRow(ReportImage& image, std::string_view label, std::string_view value,
                    int width = kValueWidth) {
    image.line(Row().cell(label, kLabelWidth).cell(value, width).str());
}

void AppendGroupSetup(ReportImage& image, const Records& records, ModelNumber model) {
    const auto& groups = records.UsableGroup;
    auto each = [&groups](auto field) {
        std::array<VbBool, kUsableGroups> flags{};
        for (std::size_t g = 0; g < flags.size(); ++g) flags[g] = groups[g].*field;
        return flags;
    };
    image.section("##### Available CH Group Setup #####");
    AppendGroupColumns(image, model);
    AppendOnOffRow(image, "Enable", each(&UsableGroupRecord::Usable));
    AppendOnOffRow(image, "TX TOT", each(&UsableGroupRecord::TxTot));
    Row priority;
    priority.cell("Priority CH", kLabelWidth);
    for (std::size_t g = 0; g < 3; ++g)
        priority.cell(PriorityText(groups[g].PriorityCh, model), kValueWidth);
    image.line(priority.str());
    AppendOnOffRow(image, "Status Icon", each(&UsableGroupRecord::StatusIcon));
    if (StoresChannelNames(model)) {
        Row names;
        names.cell("Status Name", kLabelWidth);
        for (const auto& group : groups) names.cell(StatusNameText(group.StatusName), kValueWidth);
        image.line(names.str());
    }
}

void AppendCommonSetup(ReportImage& image, const CommonSetup& common, ModelNumber model) {
    image.section("##### Common Setup #####");
    image.line("[Starting TX Mode]");
    AppendValueRow(image, "TX Po Display:", TxPoDisplayText(common.TxPoDisplay), kLabelWidth);
    image.line("[Scanning Function]");
    AppendValueRow(image, "SCAN:", OnOffText(common.Scan));
    AppendValueRow(image, "Resume Time:", ResumeTimeText(common.ResumeTime));
    AppendValueRow(image, "PTT SCAN Clear:", OnOffText(common.PttScanClear));
    AppendValueRow(image, "Dual Watch:", OnOffText(common.DualWatch));
    image.line("[NMEA Data Input]");
    image.line(Row()
                   .cell("Offset Time:", kLabelWidth)
                   .cellOf(kValueWidth, [&] { return OffsetTimeText(common.OffsetTime); })
                   .str());
    AppendValueRow(image, "Magnetic Variation:", MagVarText(common.MagneticVariation));
    image.line("[Weather CH Function]");
    AppendValueRow(image, "Weather Alert:", WeatherText(common.Weater), kLabelWidth);
    if (DecodesRotary(model)) AppendValueRow(image, "Rotary Beep:", OnOffText(common.Rotary));
}

void AppendDscBasic(ReportImage& image, const DataSet& data) {
    const Records& records = data.records;
    const auto& flags = records.DscFlags;
    image.section("##### DSC Setup (Basic Setup) #####");
    image.line("[Available DSC CH Group]");
    const std::array<const char*, 3> groups{"USA:", "INTL:", "Canada:"};
    for (std::size_t i = 0; i < groups.size(); ++i)
        AppendValueRow(image, groups[i], OnOffText(records.DscUsable[i]), 20);
    image.line(Row()
                   .cell("User MMSI:", kLabelWidth)
                   .cell(records.UserMmsi, 12)
                   .text("----- ")
                   .text(LabelText("Count", 7))
                   .text(std::to_string(data.image[layout::kClearCounter]))
                   .str());
    AppendValueRow(image, "Distress Cancel Call:", OnOffText(flags[0]));
    AppendValueRow(image, "Stanby Mode:", OnOffText(flags[1]));
    image.line(Row()
                   .cell("POS Request:", kLabelWidth)
                   .cell(OnOffText(flags[2]), kValueWidth)
                   .cell(HiLowText(flags[6]), kValueWidth)
                   .str());
    image.line(Row()
                   .cell("POS Send:", kLabelWidth)
                   .cell(OnOffText(flags[3]), kValueWidth)
                   .cell(HiLowText(flags[7]), kValueWidth)
                   .str());
    image.line("[DSC Beep Output]");
    const std::array<std::pair<const char*, std::size_t>, 7> beeps{{
        {"Send Distress Alert:", 8},
        {"Received All Ships:", 9},
        {"Received Individual:", 11},
        {"Received Group:", 10},
        {"Received Geografic:", 14},
        {"Received POS Request:", 12},
        {"Received POS Send:", 13},
    }};
    for (const auto& [label, index] : beeps) AppendValueRow(image, label, OnOffText(flags[index]));
}

void AppendDscAdvanced(ReportImage& image, const Records& records) {
    const auto& flags = records.DscFlags;
    image.section("##### DSC Setup (Advanced Setup) #####");
    const std::array<std::pair<const char*, std::size_t>, 3> blocks{{
        {"[All Ships Call]", 16},
        {"[Group Call]", 24},
        {"[Individual Call]", 32},
    }};
    const std::array<const char*, 4> categories{"Distress:", "Urgency:", "Safty:", "Routine:"};
    for (const auto& [heading, base] : blocks) {
        image.line(heading);
        for (std::size_t i = 0; i < categories.size(); ++i) {
            image.line(Row()
                           .cell(categories[i], kLabelWidth)
                           .cell(OnOffText(flags[base + i]), kValueWidth)
                           .cell(HiLowText(flags[base + 4 + i]), kValueWidth)
                           .str());
        }
    }
}

void AppendDscDisplay(ReportImage& image, const Records& records) {
    image.section("##### DSC Setup (Display Setup) #####");
    AppendValueRow(image, "Individual ACK Menu:", OnOffText(records.DscFlags[40]));
    AppendValueRow(image, "Individual ACK Message Menu:", OnOffText(records.DscFlags[41]));
    AppendValueRow(image, "POS Request ACK Menu:", OnOffText(records.DscFlags[42]));
}

void AppendAtisCommon(ReportImage& image, const Records& records, ModelNumber model) {
    image.section("##### ATIS Setup (Common) #####");
    AppendGroupColumns(image, model);
    const auto& flags = records.DscFlags;
    AppendOnOffRow(image, "Usable ATIS CH Group:",
                   std::array<VbBool, 4>{flags[44], flags[45], flags[46], flags[47]});
    AppendValueRow(image, "ATIS Code:", records.AtisCode);
    if (DecodesKikker(model))
        AppendOnOffRow(image, "Usable ATIS Killer CH Group:", records.AtisKikkerGroup);
}

} // namespace

// Entries 1..10 on the left, 11..20 on the right. The left display cells are
// two wider than their heading, so the right block sits two columns right of
// its headings, as the report has always been printed.
void AppendCallSigns(ReportImage& image, const Records& records) {
    image.section("##### ATIS Setup (Call Sign) #####");
    image.line(Row()
                   .cell("", 10)
                   .cell("MID", 10)
                   .cell("Display", 18)
                   .cell("", 10)
                   .cell("MID", 10)
                   .cell("Display", 10)
                   .str());
    const auto& signs = records.AtisCallSign;
    for (std::size_t n = 1; n <= 10; ++n) {
        const AtisCallSignEntry& left = signs[n - 1];
        const AtisCallSignEntry& right = signs[n + 9];
        image.line(Row()
                       .cell("No." + std::to_string(n), 10)
                       .cell(left.MID, 10)
                       .cell(left.DISP, 20)
                       .cell("No." + std::to_string(n + 10), 10)
                       .cell(right.MID, 10)
                       .cell(right.DISP, 10)
                       .str());
    }
}

void AppendSettingsSections(ReportImage& image, const DataSet& data, ModelNumber model) {
    const Records& records = data.records;
    AppendGroupSetup(image, records, model);
    AppendCommonSetup(image, records.Common, model);
    AppendDscBasic(image, data);
    AppendDscAdvanced(image, records);
    AppendDscDisplay(image, records);
    AppendAtisCommon(image, records, model);
    if (HasCallSigns(model)) AppendCallSigns(image, records);
}

} // namespace qb41::report_detail
