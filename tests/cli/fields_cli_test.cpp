// fields, get, set, diff, export and import as a user runs them.
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

namespace qb41 {
namespace {

struct Outcome {
    int status;
    std::string out; // stdout
    std::string err;
};

class FieldsCli : public ::testing::Test {
protected:
    Outcome cli(const std::string& args) {
        const std::string errFile = (dir / "stderr").string();
        const std::string command = std::string(QB41_CLI) + " " + args + " 2>" + errFile;
        std::FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return {-1, "", ""};
        std::string out;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        const int status = pclose(pipe);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, test::ReadBytes(errFile)};
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    void SetUp() override { ASSERT_EQ(cli("new --model 3 " + path("a.dat")).status, 0); }

    test::ScratchDir dir{"qb41-fields"};
};

TEST_F(FieldsCli, SetThenGetAndDiffNamesExactlyTheSetFields) {
    const std::string mmsi = "\"DSC Setup (Basic Setup).User MMSI=366123456\"";
    Outcome set = cli("set " + path("a.dat") + " usa:16.name=HAIL " + mmsi + " CHWX2.Enable=1 -o " +
                      path("b.dat"));
    ASSERT_EQ(set.status, 0) << set.err;
    Outcome get = cli("get " + path("b.dat") +
                      " chusa32.chtag \"dsc setup (basic setup).user mmsi\" wx:3.enable");
    EXPECT_EQ(get.status, 0) << get.err;
    EXPECT_EQ(get.out, "HAIL\n3661234560\n1\n");

    Outcome same = cli("diff " + path("a.dat") + " " + path("a.dat"));
    EXPECT_EQ(same.status, 0);
    EXPECT_EQ(same.out, "no differences\n");
    Outcome diff = cli("diff " + path("a.dat") + " " + path("b.dat"));
    EXPECT_EQ(diff.status, 1);
    EXPECT_EQ(diff.out, "DSC Setup (Basic Setup).User MMSI:  -> 3661234560  (DSC Setup (Basic "
                        "Setup): User MMSI)\n"
                        "CHUSA32.ChTag: DISTRESS -> HAIL  (USA 16 name)\n"
                        "CHWX2.Enable: 0 -> 1  (WX 03 enable)\n"
                        "3 fields differ\n");
    // An image of the same settings differs in nothing the file carries.
    ASSERT_EQ(cli("convert " + path("b.dat") + " " + path("b.hex")).status, 0);
    EXPECT_EQ(cli("diff " + path("b.dat") + " " + path("b.hex")).status, 0);
    EXPECT_EQ(cli("diff " + path("a.dat") + " " + path("missing.dat")).status, 2);
}

TEST_F(FieldsCli, ARefusedValueLeavesTheFileAndSaysWhy) {
    const std::string before = test::ReadBytes(path("a.dat"));
    Outcome run =
        cli("set " + path("a.dat") + " usa:16.name=OK \"ATIS Setup (Common).Atis Code=12\"");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "qb41-cli set: ATIS Setup (Common).Atis Code: refused: \"Data Error!!\" "
                       "(ATISNo); nothing was changed\n");
    EXPECT_EQ(test::ReadBytes(path("a.dat")), before);
    // Without -o the file itself is replaced; identity warnings do not refuse.
    Outcome inPlace =
        cli("set " + path("a.dat") + " \"DSC Setup (Basic Setup).User MMSI=123456789\"");
    EXPECT_EQ(inPlace.status, 0) << inPlace.err;
    EXPECT_NE(inPlace.err.find("warning: DSC Setup (Basic Setup).User MMSI"), std::string::npos);
    EXPECT_EQ(cli("get " + path("a.dat") + " \"DSC Setup (Basic Setup).User MMSI\"").out,
              "1234567890\n");
    // check names the same identity findings, as warnings.
    Outcome check = cli("check " + path("a.dat"));
    EXPECT_NE(check.err.find("qb41-cli check: warning: DSC Setup (Basic Setup).User MMSI: the "
                             "user MMSI: ship MMSI 123456789: 123 is not an assigned MID"),
              std::string::npos)
        << check.err;
    EXPECT_EQ(cli("get " + path("a.dat") + " usa:200.name").status, 1);
    EXPECT_EQ(cli("set " + path("a.dat") + " usa:16.name").status, 2);
}

TEST_F(FieldsCli, ExportImportCarryABankAndRefuseBadCells) {
    ASSERT_EQ(cli("set " + path("a.dat") +
                  " exp:1.enable=1 exp:1.number=77 \"exp:1.rx frequency=157.2\" "
                  "-o " +
                  path("b.dat"))
                  .status,
              0);
    ASSERT_EQ(cli("export " + path("b.dat") + " --bank exp " + path("exp.csv")).status, 0);
    ASSERT_EQ(
        cli("import " + path("a.dat") + " --bank exp " + path("exp.csv") + " -o " + path("c.dat"))
            .status,
        0);
    EXPECT_EQ(cli("diff " + path("b.dat") + " " + path("c.dat")).status, 0);

    test::WriteBytes(dir / "bad.csv", "channel,Enable,Rxfreq\r\n01,1,abc\r\n02,3,0\r\n");
    Outcome bad = cli("import " + path("a.dat") + " --bank exp " + path("bad.csv"));
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("bad.csv: line 2, column 3 (Rxfreq): \"Data Error!!\" (Rx frequency)"),
              std::string::npos)
        << bad.err;
    EXPECT_NE(bad.err.find("line 3, column 2 (Enable): a flag is 0 or 1"), std::string::npos)
        << bad.err;
    EXPECT_NE(bad.err.find("2 cells were refused; nothing was changed"), std::string::npos);
    EXPECT_EQ(cli("export " + path("a.dat") + " --bank nosuch -").status, 2);
}

} // namespace
} // namespace qb41
