// The printed report's pages: what lands on which page, at which millimetre,
// and that long banks break onto further pages within the margins.
#include "report/formatters.h"
#include "report/print_layout.h"
#include "report/report_text.h"

#include "core/master_table.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qb41 {
namespace {

std::vector<std::string> Texts(const PrintLine& line) {
    std::vector<std::string> texts;
    for (const PrintCell& cell : line.cells) texts.push_back(cell.text);
    return texts;
}

std::vector<double> Xs(const PrintLine& line) {
    std::vector<double> xs;
    for (const PrintCell& cell : line.cells) xs.push_back(cell.xMm);
    return xs;
}

// The first line of `page` whose first cell is `text`, or null.
const PrintLine* FindLine(const PrintPage& page, std::string_view text) {
    for (const PrintLine& line : page.lines)
        if (!line.cells.empty() && line.cells.front().text == text) return &line;
    return nullptr;
}

// The lines of the text report from its first line up to (not including) `stop`,
// blank lines left out.
std::vector<std::string> ReportLinesBefore(DataSet& data, ModelNumber model,
                                           std::string_view stop) {
    const std::string text = MakeReportText(data, model);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (line == stop) break;
        if (!line.empty()) lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

TEST(PrintLayout, ColumnPositionsAreRunningSums) {
    const struct {
        std::string_view list;
        std::vector<int> positions;
    } cases[] = {
        {"0, 12, 17, 17, 8, 9, 8, 9, 9, 8", {0, 12, 29, 46, 54, 63, 71, 80, 89, 97}},
        {"0, 7, 10, 17, 19, 19, 8, 10, 7, 10, 10, 7, 22, 7, 15, 7, 15",
         {0, 7, 17, 34, 53, 72, 80, 90, 97, 107, 117, 124, 146, 153, 168, 175, 190}},
        {"", {0}},
        {"5, x, 3, 2.5", {5, 5, 8, 8}},
    };
    for (const auto& c : cases) EXPECT_EQ(ColumnPositions(c.list), c.positions) << c.list;
}

// The index of the page that opens with `title`, or pages.size().
std::size_t PageOf(const std::vector<PrintPage>& pages, std::string_view title) {
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const auto& lines = pages[p].lines;
        if (lines.size() > 2 && Texts(lines[2]) == std::vector<std::string>{std::string(title)})
            return p;
    }
    return pages.size();
}

TEST(PrintLayout, EveryPageHasTheHeadingAndEachBankItsOwnPage) {
    for (ModelNumber model : {0, 1, 2, 3}) {
        SCOPED_TRACE(model);
        DataSet data;
        const PrintPageSetup setup;
        const auto pages = MakePrintLayout(data, model, setup);
        for (const PrintPage& page : pages) {
            const auto& lines = page.lines;
            ASSERT_GE(lines.size(), 3u);
            EXPECT_EQ(Texts(lines[0]), std::vector<std::string>{PrintPageHeading(model)});
            EXPECT_TRUE(lines[0].bold);
            EXPECT_EQ(lines[0].points, setup.headingPoints);
            EXPECT_DOUBLE_EQ(lines[0].yMm, setup.topMm);
            EXPECT_TRUE(lines[1].cells.empty());
            EXPECT_FALSE(lines[2].cells.empty());
        }
        EXPECT_EQ(PageOf(pages, "##### Available CH Group Setup #####"), 0u);
        // On A4 the settings, call signs included, stay on page 1.
        EXPECT_EQ(PageOf(pages, "##### Programable USA Channel #####"), 1u);
        std::size_t previous = 0;
        for (std::string_view title : {
                 "##### Programable USA Channel #####",
                 "##### Programable International Channel #####",
                 "##### Programable Canada Channel #####",
                 "##### Programable WX Channel #####",
                 "##### Memory ID #####",
                 "##### Programable EXP Channel #####",
             }) {
            const std::size_t page = PageOf(pages, title);
            ASSERT_LT(page, pages.size()) << title;
            EXPECT_GT(page, previous) << title;
            EXPECT_TRUE(pages[page].lines[2].bold);
            previous = page;
        }
        EXPECT_EQ(previous, pages.size() - 1);
        EXPECT_NE(FindLine(pages[PageOf(pages, "##### Memory ID #####")], "##### Group ID #####"),
                  nullptr);
    }
    EXPECT_EQ(PrintPageHeading(0), "TQ4800M Tideframe");
    EXPECT_EQ(PrintPageHeading(2), "LW6100 Tideframe");
}

// The pages before the USA bank carry the text report's settings lines, plus
// the call-sign table for the models whose text report leaves it out.
TEST(PrintLayout, SettingsPagesCarryTheTextReportLines) {
    const std::string usaTitle = "##### Programable USA Channel #####";
    for (ModelNumber model : {0, 1, 2, 3}) {
        SCOPED_TRACE(model);
        DataSet data;
        data.records.AtisCallSign[4] = {"366", "HARBOUR"};
        data.records.UserMmsi = "366123456";
        data.image[501] = 9;
        std::vector<std::string> expected = ReportLinesBefore(data, model, usaTitle);
        if (model != 0) {
            DataSet model0 = data;
            std::vector<std::string> all = ReportLinesBefore(model0, 0, usaTitle);
            auto signs = std::find(all.begin(), all.end(), "##### ATIS Setup (Call Sign) #####");
            ASSERT_NE(signs, all.end());
            expected.insert(expected.end(), signs, all.end());
        }
        const auto pages = MakePrintLayout(data, model);
        std::vector<std::string> printed;
        for (std::size_t p = 0; p < PageOf(pages, usaTitle); ++p) {
            for (std::size_t i = 2; i < pages[p].lines.size(); ++i) {
                const PrintLine& line = pages[p].lines[i];
                if (line.cells.empty()) continue;
                ASSERT_EQ(line.cells.size(), 1u);
                EXPECT_DOUBLE_EQ(line.cells[0].xMm, 10.0);
                EXPECT_EQ(line.bold, line.cells[0].text.starts_with("#####"));
                printed.push_back(line.cells[0].text);
            }
        }
        EXPECT_EQ(printed, expected);
        const std::string sign = PadText("No.5", 10) + PadText("366", 10) + PadText("HARBOUR", 20) +
                                 PadText("No.15", 10) + PadText("", 20);
        EXPECT_NE(std::find(printed.begin(), printed.end(), sign), printed.end());
    }
}

TEST(PrintLayout, PlanRowsStandAtTheWidthListPositions) {
    DataSet data;
    ChannelRecord& c16 = data.records.CHUSA[32];
    c16 = {};
    c16.Enable = kTrue;
    c16.Position = 32;
    c16.TxEnable = kTrue;
    c16.Scramble = 6;
    c16.ChTag = "DISTRESS";
    ChannelRecord& broken = data.records.CHUSA[33];
    broken = {};
    broken.Enable = kTrue;
    broken.Position = 900; // no master row: CH, RX and TX are left out
    broken.ScanMemory = kTrue;

    const MasterChannelRow& master = MasterTable()[32];
    const std::vector<std::string> full{master.text,
                                        FreqText(master.rxSimplex),
                                        FreqText(master.rxSimplex),
                                        "TX",
                                        "---",
                                        "--",
                                        "---",
                                        "---",
                                        " 2",
                                        "DISTRESS"};
    const std::vector<double> fullX{10, 22, 39, 56, 64, 73, 81, 90, 99, 107};

    const struct {
        ModelNumber model;
        std::size_t columns;
    } cases[] = {{0, 10}, {1, 8}, {2, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        DataSet copy = data;
        const auto pages = MakePrintLayout(copy, c.model);
        const PrintPage& usa = pages[PageOf(pages, "##### Programable USA Channel #####")];
        const PrintLine* labels = FindLine(usa, "CH");
        ASSERT_NE(labels, nullptr);
        EXPECT_TRUE(labels->bold);
        EXPECT_EQ(Xs(*labels), std::vector<double>(fullX.begin(), fullX.begin() + c.columns));
        ASSERT_EQ(usa.lines.size(), 6u); // heading, blank, title, labels, two rows
        EXPECT_EQ(Texts(usa.lines[4]),
                  std::vector<std::string>(full.begin(), full.begin() + c.columns));
        EXPECT_EQ(Xs(usa.lines[4]), std::vector<double>(fullX.begin(), fullX.begin() + c.columns));
        const PrintLine& row = usa.lines[5];
        EXPECT_EQ(Xs(row), std::vector<double>(fullX.begin() + 3, fullX.begin() + c.columns));
        EXPECT_EQ(Texts(row)[4], "MEM");
    }
}

TEST(PrintLayout, LongBanksContinueOnFurtherPagesWithinTheMargins) {
    DataSet data;
    for (std::size_t i = 0; i < data.records.CHUSA.size(); ++i) {
        ChannelRecord& rec = data.records.CHUSA[i];
        rec.Enable = kTrue;
        rec.Position = static_cast<std::int16_t>(i);
    }
    for (const double height : {297.0, 279.4, 60.0}) {
        SCOPED_TRACE(height);
        PrintPageSetup setup;
        setup.heightMm = height;
        const auto pages = MakePrintLayout(data, 3, setup);
        std::vector<std::string> channels;
        std::size_t usaPages = 0;
        for (const PrintPage& page : pages) {
            double y = 0;
            for (const PrintLine& line : page.lines) {
                EXPECT_GT(line.yMm, y - 1e-9);
                EXPECT_LE(line.yMm + setup.lineHeightMm, height - setup.bottomMm + 1e-9);
                y = line.yMm + setup.lineHeightMm;
            }
            const bool usa = FindLine(page, "##### Programable USA Channel #####") != nullptr;
            if (!usa && (channels.empty() || channels.size() == 240)) continue;
            ++usaPages;
            ASSERT_GE(page.lines.size(), 4u);
            const std::size_t labels = usa ? 3 : 2; // a continuation repeats the labels only
            EXPECT_EQ(Texts(page.lines[labels])[0], "CH");
            EXPECT_TRUE(page.lines[labels].bold);
            for (std::size_t i = labels + 1; i < page.lines.size(); ++i)
                channels.push_back(page.lines[i].cells.at(0).text);
        }
        ASSERT_EQ(channels.size(), 240u);
        for (std::size_t i = 0; i < channels.size(); ++i)
            EXPECT_EQ(channels[i], MasterTable()[i].text);
        EXPECT_GT(usaPages, 1u);
    }
}

TEST(PrintLayout, ExpColumnsByModel) {
    DataSet data;
    ChannelRecord& rec = data.records.CHEXP[3];
    rec.Enable = kTrue;
    rec.CHDisplayL = "7";
    rec.CHDisplayR = "B";
    rec.Rxfreq = 155.1234;
    rec.Txfreq = 0;
    rec.Narrow = kTrue;
    rec.ChTag = "YARD";

    const struct {
        ModelNumber model;
        std::vector<std::string> labels;
        std::vector<double> x;
    } cases[] = {
        {1,
         {"CH", "CHD", "ENABLE", "RX(MHz)", "TX(MHz)", "LOW", "UP", "MEM"},
         {10, 17, 27, 44, 63, 82, 90, 100}},
        {3,
         {"CH", "CHD", "ENABLE", "RX(MHz)", "TX(MHz)", "LOW", "UP", "MEM", "KW", "CH Name"},
         {10, 17, 27, 44, 63, 82, 90, 100, 107, 117}},
        {2,
         {"CH", "CHD", "ENABLE", "RX(MHz)", "TX(MHz)", "LOW", "UP", "MEM", "KW", "CH Name", "W/N",
          "RXT", "CMP", "TXT"},
         {10, 17, 27, 44, 63, 82, 90, 100, 107, 117, 156, 163, 178, 185}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        DataSet copy = data;
        const auto pages = MakePrintLayout(copy, c.model);
        const PrintPage& exp = pages.back();
        ASSERT_EQ(exp.lines.size(), 4u + 40u);
        EXPECT_EQ(Texts(exp.lines[3]), c.labels);
        EXPECT_EQ(Xs(exp.lines[3]), c.x);
        const PrintLine& row = exp.lines[4 + 3];
        EXPECT_EQ(Xs(row), c.x);
        const auto texts = Texts(row);
        EXPECT_EQ(texts[0], "3");
        EXPECT_EQ(texts[1], "7 B");
        EXPECT_EQ(texts[2], "ENABLE");
        EXPECT_EQ(texts[3], "155.1234"); // as stored, as in the text report
        EXPECT_EQ(texts[4], "---.----");
        if (c.model == 2) {
            EXPECT_EQ(texts[10], "N ");
        }
        EXPECT_DOUBLE_EQ(copy.records.CHEXP[3].Rxfreq, 155.1234);
    }
}

} // namespace
} // namespace qb41
