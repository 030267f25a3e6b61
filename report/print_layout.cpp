#include "print_layout.h"

#include "formatters.h"
#include "report_image.h"

#include "core/errors.h"
#include "core/master_table.h"
#include "image/defaults.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

namespace qb41 {
namespace {

using report_detail::ReportImage;

// The printed column widths in millimetres. The plan and EXP lists are the
// report's own; the weather bank and the directories reuse the plan bank's
// first positions so that their columns line up with it.
constexpr std::string_view kPlanWidths = "0, 12, 17, 17, 8, 9, 8, 9, 9, 8";
constexpr std::string_view kExpWidths =
    "0, 7, 10, 17, 19, 19, 8, 10, 7, 10, 10, 7, 22, 7, 15, 7, 15";
constexpr std::string_view kWeatherWidths = "0, 12, 17, 17";
constexpr std::string_view kDirectoryWidths = "0, 12, 34";

// The LMR columns W/N, RXT, CMP and TXT take the 13th to 16th EXP positions:
// the 11th and 12th fall inside a full 12-character channel name.
constexpr std::size_t kLmrFirstColumn = 12;

constexpr std::string_view kCallSignHeading = "##### ATIS Setup (Call Sign) #####";

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) return lines;
        start = end + 2;
    }
}

bool IsHeading(std::string_view line) {
    return line.starts_with("#####");
}

// Lines go down the page; a line that would pass the bottom margin starts a
// new page with the page heading and, inside a table, its column labels.
class Pager {
public:
    Pager(const PrintPageSetup& setup, std::string heading)
        : setup_(setup), heading_(std::move(heading)) {}

    void newPage() {
        pages_.emplace_back();
        y_ = setup_.topMm;
        put({{setup_.leftMm, heading_}}, setup_.headingPoints, true);
        put({}, setup_.bodyPoints, false);
    }

    void line(std::vector<PrintCell> cells, bool bold = false) {
        if (!fits()) {
            newPage();
            if (labels_) put(*labels_, setup_.bodyPoints, true);
        }
        put(std::move(cells), setup_.bodyPoints, bold);
    }

    // A blank line; none at the foot of a page or right below another.
    void blank() {
        if (fits() && !pages_.back().lines.back().cells.empty()) put({}, setup_.bodyPoints, false);
    }

    // The column labels repeated on a continuation page; printed once here.
    void tableLabels(std::vector<PrintCell> labels) {
        line(labels, true);
        labels_ = std::move(labels);
    }
    void endTable() { labels_.reset(); }

    std::vector<PrintPage> take() { return std::move(pages_); }

private:
    bool fits() const {
        return y_ + setup_.lineHeightMm <= setup_.heightMm - setup_.bottomMm + 1e-9;
    }
    void put(std::vector<PrintCell> cells, double points, bool bold) {
        pages_.back().lines.push_back({y_, points, bold, std::move(cells)});
        y_ += setup_.lineHeightMm;
    }

    const PrintPageSetup& setup_;
    std::string heading_;
    std::vector<PrintPage> pages_;
    std::optional<std::vector<PrintCell>> labels_;
    double y_ = 0;
};

// One table row: each cell takes the next column position, whether or not it
// could be produced.
class PrintRow {
public:
    PrintRow(const std::vector<int>& positions, double leftMm)
        : positions_(positions), left_(leftMm) {}

    PrintRow& cell(std::string text) {
        if (next_ < positions_.size())
            cells_.push_back({left_ + positions_[next_], std::move(text)});
        ++next_;
        return *this;
    }
    template <class Produce> PrintRow& cellOf(Produce&& produce) {
        try {
            return cell(produce());
        } catch (const RuntimeError&) {
            ++next_;
            return *this;
        }
    }
    PrintRow& at(std::size_t column) {
        next_ = column;
        return *this;
    }
    std::vector<PrintCell> take() { return std::move(cells_); }

private:
    const std::vector<int>& positions_;
    double left_;
    std::vector<PrintCell> cells_;
    std::size_t next_ = 0;
};

// The settings sections as the text report writes them, one line a cell.
// Every model prints the call-sign table, which the text report shows for
// model 0 only.
std::vector<std::string> SettingsLines(const DataSet& data, ModelNumber model) {
    ReportImage image;
    report_detail::AppendSettingsSections(image, data, model);
    std::vector<std::string> lines = SplitLines(image.take());
    lines.erase(lines.begin()); // the image starts with a separator
    if (HasCallSigns(model)) return lines;

    ReportImage signs;
    report_detail::AppendCallSigns(signs, data.records);
    const std::vector<std::string> table = SplitLines(signs.take());
    auto first = std::find(table.begin(), table.end(), kCallSignHeading);
    lines.emplace_back();
    lines.insert(lines.end(), first, table.end());
    return lines;
}

const MasterChannelRow& MasterRow(std::int16_t position) {
    if (position < 0 || position >= kPlanChannels)
        throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
    return MasterTable()[static_cast<std::size_t>(position)];
}

class PrintLayout {
public:
    PrintLayout(DataSet& data, ModelNumber model, const PrintPageSetup& setup)
        : data_(data), model_(model), setup_(setup), pager_(setup, PrintPageHeading(model)) {}

    std::vector<PrintPage> make() {
        settings();
        plan("##### Programable USA Channel #####", data_.records.CHUSA);
        plan("##### Programable International Channel #####", data_.records.CHINT);
        plan("##### Programable Canada Channel #####", data_.records.CHCAN);
        weather();
        pager_.newPage();
        directory("##### Memory ID #####", "Station Name", data_.records.CHMMSID);
        pager_.blank();
        directory("##### Group ID #####", "Group Name", data_.records.CHGRPID);
        exp();
        return pager_.take();
    }

private:
    std::vector<PrintCell> single(std::string text) const {
        return {{setup_.leftMm, std::move(text)}};
    }

    void settings() {
        pager_.newPage();
        for (std::string& text : SettingsLines(data_, model_)) {
            if (text.empty()) {
                pager_.blank();
                continue;
            }
            const bool heading = IsHeading(text);
            pager_.line(single(std::move(text)), heading);
        }
    }

    void heading(std::string_view text) { pager_.line(single(std::string(text)), true); }

    void labels(const std::vector<int>& positions, std::initializer_list<const char*> texts,
                std::size_t lmrFrom = 0, std::initializer_list<const char*> lmr = {}) {
        PrintRow row(positions, setup_.leftMm);
        for (const char* text : texts) row.cell(text);
        if (lmr.size() != 0) {
            row.at(lmrFrom);
            for (const char* text : lmr) row.cell(text);
        }
        pager_.tableLabels(row.take());
    }

    void plan(std::string_view title, const std::vector<ChannelRecord>& bank) {
        const bool names = StoresChannelNames(model_);
        const std::vector<int> positions = ColumnPositions(kPlanWidths);
        pager_.newPage();
        heading(title);
        if (names)
            labels(positions,
                   {"CH", "RX(MHz)", "TX(MHz)", "TX", "LOW", "UP", "DUP", "MEM", "KW", "CH Name"});
        else
            labels(positions, {"CH", "RX(MHz)", "TX(MHz)", "TX", "LOW", "UP", "DUP", "MEM"});
        for (const ChannelRecord& rec : bank) {
            if (!rec.Enable) continue;
            PrintRow row(positions, setup_.leftMm);
            row.cellOf([&] { return MasterRow(rec.Position).text; })
                .cellOf([&] {
                    const MasterChannelRow& master = MasterRow(rec.Position);
                    return FreqText(rec.Duplex ? master.rxDuplex : master.rxSimplex);
                })
                .cellOf([&] { return TxFreqText(MasterRow(rec.Position).rxSimplex, rec.RxOnly); })
                .cell(TxText(rec.TxEnable))
                .cell(LowText(rec.LowPower))
                .cell(UpText(rec.PowUp))
                .cell(DupText(rec.Duplex))
                .cell(MemText(rec.ScanMemory));
            if (names) row.cell(ScrambleText(rec.Scramble)).cell(rec.ChTag);
            pager_.line(row.take());
        }
        pager_.endTable();
    }

    void weather() {
        const bool names = StoresChannelNames(model_);
        const std::vector<int> positions = ColumnPositions(kWeatherWidths);
        pager_.newPage();
        heading("##### Programable WX Channel #####");
        if (names)
            labels(positions, {"CH", "ENABLE", "MEM", "CH Name"});
        else
            labels(positions, {"CH", "ENABLE", "MEM"});
        const auto& bank = data_.records.CHWX;
        for (std::size_t i = 0; i < bank.size(); ++i) {
            PrintRow row(positions, setup_.leftMm);
            row.cell(std::to_string(i + 1))
                .cell(EnableText(bank[i].Enable))
                .cell(MemText(bank[i].ScanMemory));
            if (names) row.cell(bank[i].ChTag);
            pager_.line(row.take());
        }
        pager_.endTable();
    }

    void directory(std::string_view title, const char* nameLabel,
                   const std::vector<DirectoryRecord>& entries) {
        const std::vector<int> positions = ColumnPositions(kDirectoryWidths);
        heading(title);
        labels(positions, {"No.", nameLabel, "MMSI"});
        for (std::size_t i = 0; i < entries.size(); ++i) {
            pager_.line(PrintRow(positions, setup_.leftMm)
                            .cell(std::to_string(i + 1))
                            .cell(DashField(entries[i].TagName, 12))
                            .cell(DashField(entries[i].Mmsid, 9))
                            .take());
        }
        pager_.endTable();
    }

    void exp() {
        const bool lmr = HasExpTones(model_);
        const bool names = StoresChannelNames(model_);
        const std::vector<int> positions = ColumnPositions(kExpWidths);
        pager_.newPage();
        heading("##### Programable EXP Channel #####");
        if (lmr)
            labels(
                positions,
                {"CH", "CHD", "ENABLE", "RX(MHz)", "TX(MHz)", "LOW", "UP", "MEM", "KW", "CH Name"},
                kLmrFirstColumn, {"W/N", "RXT", "CMP", "TXT"});
        else if (names)
            labels(positions, {"CH", "CHD", "ENABLE", "RX(MHz)", "TX(MHz)", "LOW", "UP", "MEM",
                               "KW", "CH Name"});
        else
            labels(positions, {"CH", "CHD", "ENABLE", "RX(MHz)", "TX(MHz)", "LOW", "UP", "MEM"});
        const auto& tones = CtcssList();
        const auto& codes = DcsList();
        auto& bank = data_.records.CHEXP;
        for (std::size_t i = 0; i < bank.size(); ++i) {
            ChannelRecord& rec = bank[i];
            PrintRow row(positions, setup_.leftMm);
            row.cell(std::to_string(i))
                .cell(DashField(report_detail::ChannelDisplay(rec), 3))
                .cell(EnableText(rec.Enable))
                .cellOf([&] { return ExpFreqText(rec.Rxfreq); })
                .cellOf([&] { return ExpFreqText(rec.Txfreq); })
                .cell(LowText(rec.LowPower))
                .cell(UpText(rec.PowUp))
                .cell(MemText(rec.ScanMemory));
            if (names) row.cell(ScrambleText(rec.Scramble)).cell(DashField(rec.ChTag, 12));
            if (lmr) {
                row.at(kLmrFirstColumn)
                    .cell(NarrowText(rec.Narrow))
                    .cellOf([&] { return ToneText(rec, 1, tones, codes); })
                    .cell(CmpText(rec.Compander))
                    .cellOf([&] { return ToneText(rec, 0, tones, codes); });
            }
            pager_.line(row.take());
        }
        pager_.endTable();
    }

    DataSet& data_;
    ModelNumber model_;
    const PrintPageSetup& setup_;
    Pager pager_;
};

} // namespace

std::string PrintPageHeading(ModelNumber model) {
    return ModelName(model) + " Tideframe";
}

std::vector<int> ColumnPositions(std::string_view widthList) {
    std::vector<int> positions;
    int sum = 0;
    for (const std::string& item : SplitList(widthList)) {
        int width = 0;
        const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), width);
        if (ec != std::errc() || end != item.data() + item.size()) width = 0;
        sum += width;
        positions.push_back(sum);
    }
    return positions;
}

std::vector<PrintPage> MakePrintLayout(DataSet& data, ModelNumber model,
                                       const PrintPageSetup& setup) {
    return PrintLayout(data, model, setup).make();
}

std::vector<PrintPage> MakeFramedPrintLayout(DataSet& data, ModelNumber model,
                                             const PrintPageSetup& setup,
                                             const PrintFrameTexts& frame) {
    // The header takes a line and a gap at the top, the footer a gap and a
    // line at the bottom; the report is laid out in what is left.
    PrintPageSetup inner = setup;
    inner.topMm += 2 * setup.lineHeightMm;
    inner.bottomMm += 2 * setup.lineHeightMm;
    std::vector<PrintPage> pages = MakePrintLayout(data, model, inner);
    const std::string mmsi = data.records.UserMmsi.empty() ? "-" : data.records.UserMmsi;
    const double usable = setup.widthMm - 2 * setup.leftMm;
    const double footerY = setup.heightMm - setup.bottomMm - setup.lineHeightMm;
    const std::size_t count = pages.size();
    for (std::size_t i = 0; i < count; ++i) {
        PrintLine header{setup.topMm,
                         setup.bodyPoints,
                         false,
                         {{setup.leftMm, frame.fileName},
                          {setup.leftMm + usable * 0.45, ModelName(model)},
                          {setup.leftMm + usable * 0.60, "User MMSI: " + mmsi},
                          {setup.leftMm + usable * 0.85, frame.date}}};
        PrintLine footer{footerY,
                         setup.bodyPoints,
                         false,
                         {{setup.leftMm + usable * 0.45,
                           "page " + std::to_string(i + 1) + " of " + std::to_string(count)}}};
        auto& lines = pages[i].lines;
        lines.insert(lines.begin(), std::move(header));
        lines.push_back(std::move(footer));
    }
    return pages;
}

} // namespace qb41
