// The units table of a fleet run, checked as a whole, and the log a rerun
// skips by.
#include "editor/fleet_plan.h"

#include "image/defaults.h"

#include <gtest/gtest.h>

namespace qb41::editor {
namespace {

struct Template {
    Template() {
        state.modelNumber = 3;
        MakeFreshDataSet(data, 3);
    }
    FleetPlan plan(const std::string& csv) const { return PlanFleet(data.records, state, csv); }
    AppState state;
    DataSet data;
};

const std::string kHeader =
    "unit,dsc setup (basic setup).user mmsi,ATIS Setup (Common).Atis Code,usa:9.name\r\n";

TEST(FleetPlan, UnitsCarryTheirFieldsAndTheResultingIdentity) {
    Template t;
    const FleetPlan plan = t.plan(kHeader + "boat1,211000001,9211000001,ONE\r\n"
                                            "\"boat, two\",211000002,,\r\n");
    ASSERT_TRUE(plan.problems.empty()) << plan.problems[0].text;
    ASSERT_EQ(plan.units.size(), 2u);
    EXPECT_EQ(plan.units[0].name, "boat1");
    EXPECT_EQ(plan.units[0].mmsi, "2110000010");
    EXPECT_EQ(plan.units[0].atisCode, "9211000001");
    ASSERT_EQ(plan.units[0].fields.size(), 3u);
    EXPECT_EQ(plan.units[0].fields[0].address, "DSC Setup (Basic Setup).User MMSI");
    // Empty cells keep the template's value.
    EXPECT_EQ(plan.units[1].name, "boat, two");
    EXPECT_EQ(plan.units[1].fields.size(), 1u);
    EXPECT_EQ(plan.units[1].atisCode, "");

    Records records = t.data.records;
    AppState state = t.state;
    ASSERT_FALSE(ApplyUnit(records, state, plan.units[0]));
    EXPECT_EQ(records.UserMmsi, "2110000010");
    EXPECT_EQ(records.CHUSA[18].ChTag, "ONE");
}

TEST(FleetPlan, AnyProblemIsFoundBeforeARadioIsTouched) {
    struct Case {
        std::string csv;
        std::string problem;
    };
    const Case cases[] = {
        {"name,User MMSI\r\n", "no such field"},
        {"mmsi\r\nx\r\n", "no such field"},
        {"usa:9.name\r\nX\r\n", "no unit column"},
        {kHeader, "names no unit"},
        {kHeader + "a,211000001,,\r\nb,211000001,,\r\n", "user MMSI 2110000010 is also on line 2"},
        {kHeader + "a,211000001,9211000001,\r\nb,211000002,9211000001,\r\n",
         "ATIS code 9211000001 is also on line 2"},
        {kHeader + "a,211000001,,\r\na,211000002,,\r\n", "unit a is also on line 2"},
        {kHeader + "a,2110000,,\r\n", "\"Data Error!!\" (User MMSI)"},
        {kHeader + "a,211000001,,MUCH TOO LONG NAME\r\n", "A maximum of 12 characters"},
        {kHeader + "a,211000001\r\n", "the row has 2 cells, the header 4"},
        {kHeader + ",211000001,,\r\n", "the unit has no name"},
    };
    Template t;
    for (const Case& c : cases) {
        const FleetPlan plan = t.plan(c.csv);
        ASSERT_FALSE(plan.problems.empty()) << c.csv;
        bool found = false;
        for (const FleetProblem& p : plan.problems)
            found |= p.text.find(c.problem) != std::string::npos;
        EXPECT_TRUE(found) << c.csv << " gave: " << plan.problems[0].text;
    }
}

TEST(FleetPlan, IdentityWarningsDoNotRefuse) {
    Template t;
    const FleetPlan plan = t.plan(kHeader + "a,123000001,9123000000,\r\n");
    EXPECT_TRUE(plan.problems.empty());
    ASSERT_EQ(plan.warnings.size(), 2u);
    EXPECT_NE(plan.warnings[0].text.find("123 is not an assigned MID"), std::string::npos);
    EXPECT_NE(plan.warnings[1].text.find("ATIS code 9123000000: 123 is not an assigned MID"),
              std::string::npos);
}

TEST(FleetLog, RowsReadBackAndOnlyOkUnitsCountAsDone) {
    std::string log = FleetLogHeader();
    log += FleetLogLine({"boat1", "/dev/ttyUSB0", "LW6100 (17D4)", "/b/1.hex", "ok", 31.24});
    log += FleetLogLine({"boat, 2", "/dev/ttyUSB1", "LW6100 (17D4)", "/b/2.hex",
                         "failed: the line was lost; restore with: qb41-cli write --port x y", 9});
    log += FleetLogLine({"boat3", "/dev/ttyUSB1", "LW6100 (17D4)", "", "ok, verified", 40});
    EXPECT_EQ(log.substr(0, log.find("\r\n")), "unit,port,model,backup,result,seconds");
    EXPECT_NE(log.find(",ok,31.2\r\n"), std::string::npos);
    EXPECT_EQ(UnitsDone(log), (std::set<std::string>{"boat1", "boat3"}));
    EXPECT_TRUE(UnitsDone("").empty());
}

} // namespace
} // namespace qb41::editor
