// The channel sections of the report: the three plan banks, the weather bank,
// the two MMSI directories and the EXP (LMR) bank.
#include "formatters.h"
#include "report_image.h"

#include "core/master_table.h"
#include "image/defaults.h"

#include <array>
#include <string>

namespace qb41::report_detail {
namespace {

const MasterChannelRow& MasterRow(std::int16_t position) {
    if (position < 0 || position >= kPlanChannels)
        throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
    return MasterTable()[static_cast<std::size_t>(position)];
}

void AppendPlanBank(ReportImage& image, std::string_view heading,
                    const std::vector<ChannelRecord>& bank, ModelNumber model) {
    const bool names = StoresChannelNames(model);
    image.section(heading);
    if (names) {
        image.line("CH   RX(MHz)  TX(MHz)  TX  LOW  UP  DUP  MEM  KW  CH Name");
        image.line("---  -------  -------  --  ---  --  ---  ---  --  ------------");
    } else {
        image.line("CH   RX(MHz)  TX(MHz)  TX  LOW  UP  DUP  MEM");
        image.line("---  -------  -------  --  ---  --  ---  ---");
    }
    for (const ChannelRecord& rec : bank) {
        if (!rec.Enable) continue;
        Row row;
        row.cellOf(5, [&] { return MasterRow(rec.Position).text; });
        row.cellOf(9, [&] {
            const MasterChannelRow& master = MasterRow(rec.Position);
            return FreqText(rec.Duplex ? master.rxDuplex : master.rxSimplex);
        });
        row.cellOf(9, [&] { return TxFreqText(MasterRow(rec.Position).rxSimplex, rec.RxOnly); });
        row.cell(TxText(rec.TxEnable), 4)
            .cell(LowText(rec.LowPower), 5)
            .cell(UpText(rec.PowUp), 4)
            .cell(DupText(rec.Duplex), 5)
            .cell(MemText(rec.ScanMemory), 5);
        if (names) row.cell(ScrambleText(rec.Scramble), 4).cell(rec.ChTag, 12);
        image.line(row.str());
    }
}

void AppendDirectory(ReportImage& image, std::string_view heading, std::string_view columns,
                     const std::vector<DirectoryRecord>& directory) {
    image.section(heading);
    image.line(columns);
    image.line("---  ------------  ---------");
    for (std::size_t i = 0; i < directory.size(); ++i) {
        const DirectoryRecord& entry = directory[i];
        image.line(Row()
                       .cell(std::to_string(i + 1), 5)
                       .cell(DashField(entry.TagName, 12), 14)
                       .cell(DashField(entry.Mmsid, 9), 9)
                       .str());
    }
}

// The EXP column layouts: model 1 without tones and names, model 2 (LMR) with
// the tone columns, every other model with scrambler and name.
enum class ExpLayout { Short, Standard, Lmr };

ExpLayout ExpLayoutOf(ModelNumber model) {
    if (HasExpTones(model)) return ExpLayout::Lmr;
    return StoresChannelNames(model) ? ExpLayout::Standard : ExpLayout::Short;
}

void AppendExpHeading(ReportImage& image, ExpLayout layout) {
    switch (layout) {
    case ExpLayout::Short:
        image.section("##### Programable Exp Channel #####");
        image.line("CH  CHD  ENABLE  RX(MHz)   TX(MHz)   LOW  UP  MEM");
        image.line("--  ---  ------  --------  --------  ---  --  ---");
        break;
    case ExpLayout::Standard:
        image.section("##### Programable Exp Channel #####");
        image.line("CH  CHD  ENABLE  RX(MHz)   TX(MHz)   LOW  UP  MEM  KW  CH Name");
        image.line("--  ---  ------  --------  --------  ---  --  ---  --  ------------");
        break;
    case ExpLayout::Lmr:
        image.section("##### Programable LMR Channel #####");
        image.line("CH  CHD  ENABLE  RX(MHz)   TX(MHz)   LOW  UP  MEM  KW  CH Name      W/N  RXT"
                   "      CMP  TXT");
        image.line("--  ---  ------  --------  --------  ---  --  ---  --  ------------  --  "
                   "-------  ---  -------");
        break;
    }
}

} // namespace

std::string ChannelDisplay(const ChannelRecord& rec) {
    std::string display = PadText(rec.CHDisplayL, 2);
    display += rec.CHDisplayR.empty() ? ' ' : rec.CHDisplayR.back();
    return display;
}

void AppendPlanBanks(ReportImage& image, const Records& records, ModelNumber model) {
    AppendPlanBank(image, "##### Programable USA Channel #####", records.CHUSA, model);
    AppendPlanBank(image, "##### Programable International Channel #####", records.CHINT, model);
    AppendPlanBank(image, "##### Programable Canada Channel #####", records.CHCAN, model);
}

void AppendWeatherBank(ReportImage& image, const Records& records, ModelNumber model) {
    const bool names = StoresChannelNames(model);
    image.section("##### Programable Wx Channel #####");
    image.line(names ? "CH  ENABLE  MEM  CH Name" : "CH  ENABLE  MEM");
    image.line(names ? "--  ------  ---  ------------" : "--  ------  ---");
    for (std::size_t i = 0; i < records.CHWX.size(); ++i) {
        const ChannelRecord& rec = records.CHWX[i];
        Row row;
        row.cell(std::to_string(i + 1), 4)
            .cell(EnableText(rec.Enable), 8)
            .cell(MemText(rec.ScanMemory), 5);
        if (names) row.cell(rec.ChTag, 12);
        image.line(row.str());
    }
}

void AppendDirectories(ReportImage& image, const Records& records) {
    AppendDirectory(image, "##### Memory ID Setting #####", "No.  Station Name  MMSI",
                    records.CHMMSID);
    AppendDirectory(image, "##### Group ID Setting #####", "No.  Group Name    MMSI",
                    records.CHGRPID);
}

void AppendExpBank(ReportImage& image, Records& records, ModelNumber model) {
    const ExpLayout layout = ExpLayoutOf(model);
    AppendExpHeading(image, layout);
    const auto& tones = CtcssList();
    const auto& codes = DcsList();
    for (std::size_t i = 0; i < records.CHEXP.size(); ++i) {
        ChannelRecord& rec = records.CHEXP[i];
        Row row;
        row.cell(std::to_string(i), 4)
            .cell(DashField(ChannelDisplay(rec), 3), 5)
            .cell(EnableText(rec.Enable), 8)
            .cellOf(10, [&] { return ExpFreqText(rec.Rxfreq); })
            .cellOf(10, [&] { return ExpFreqText(rec.Txfreq); })
            .cell(LowText(rec.LowPower), 5)
            .cell(UpText(rec.PowUp), 4)
            .cell(MemText(rec.ScanMemory), 5);
        if (layout != ExpLayout::Short) row.cell(ScrambleText(rec.Scramble), 4);
        if (layout == ExpLayout::Standard) row.cell(DashField(rec.ChTag, 12), 12);
        if (layout == ExpLayout::Lmr) {
            row.cell(DashField(rec.ChTag, 12), 14)
                .cell(NarrowText(rec.Narrow), 4)
                .cellOf(9, [&] { return ToneText(rec, 1, tones, codes); })
                .cell(CmpText(rec.Compander), 5)
                .cellOf(7, [&] { return ToneText(rec, 0, tones, codes); });
        }
        image.line(row.str());
    }
}

} // namespace qb41::report_detail
