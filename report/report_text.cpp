#include "report_text.h"

#include "formatters.h"
#include "report_image.h"

namespace qb41 {
namespace report_detail {

void ReportImage::line(std::string_view text) {
    text_ += "\r\n";
    text_ += text;
}

void ReportImage::section(std::string_view heading) {
    line({});
    line(heading);
}

Row& Row::cell(std::string_view value, int width) {
    AppendPadText(text_, value, width);
    return *this;
}

Row& Row::text(std::string_view value) {
    text_ += value;
    return *this;
}

} // namespace report_detail

std::string MakeReportText(DataSet& data, ModelNumber model) {
    using namespace report_detail;
    ReportImage image;
    AppendSettingsSections(image, data, model);
    AppendPlanBanks(image, data.records, model);
    AppendWeatherBank(image, data.records, model);
    AppendDirectories(image, data.records);
    AppendExpBank(image, data.records, model);
    return image.take();
}

std::string ReportFileText(const std::string& reportText) {
    return reportText + "\r\n";
}

} // namespace qb41
