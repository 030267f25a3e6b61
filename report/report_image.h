// Building blocks of the text report, shared by its section writers: the image
// being built and one row of fixed-width cells. Internal to report/.
#pragma once

#include "core/errors.h"
#include "core/model.h"
#include "core/records.h"

#include <string>
#include <string_view>

namespace qb41::report_detail {

// The label and value widths of the settings sections.
inline constexpr int kLabelWidth = 35;
inline constexpr int kValueWidth = 18;

// The text image. Every line is preceded by CR LF, so the image starts with a
// separator and ends with its last line.
class ReportImage {
public:
    // A report with every channel enabled runs to about 56 KB.
    ReportImage() { text_.reserve(std::size_t{64} * 1024); }
    void line(std::string_view text);
    // An empty line, then the heading.
    void section(std::string_view heading);
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

// A row of cells, each padded or cut to its width.
class Row {
public:
    Row& cell(std::string_view value, int width);
    // A cell whose value may fail: when producing it throws a RuntimeError the
    // cell is left out of the row and the row goes on with the next cell.
    template <class Produce> Row& cellOf(int width, Produce&& produce) {
        try {
            const std::string value = produce();
            cell(value, width);
        } catch (const RuntimeError&) {
        }
        return *this;
    }
    // Text appended as it stands, without padding.
    Row& text(std::string_view value);
    const std::string& str() const { return text_; }

private:
    std::string text_;
};

void AppendSettingsSections(ReportImage& image, const DataSet& data, ModelNumber model);
// The ATIS call-sign table (a section of its own).
void AppendCallSigns(ReportImage& image, const Records& records);
// An export channel's displayed number: the left part in two places and the
// last character of the right part (a blank when it is empty).
std::string ChannelDisplay(const ChannelRecord& rec);
void AppendPlanBanks(ReportImage& image, const Records& records, ModelNumber model);
void AppendWeatherBank(ReportImage& image, const Records& records, ModelNumber model);
void AppendDirectories(ReportImage& image, const Records& records);
void AppendExpBank(ReportImage& image, Records& records, ModelNumber model);

} // namespace qb41::report_detail
