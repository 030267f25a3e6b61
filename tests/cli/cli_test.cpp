// The command-line tool as a user runs it: real processes, real files.
#include "image/primitives.h"
#include "support/scratch.h"
#include "support/value_cases.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sys/wait.h>

namespace qb41 {
namespace {

struct CliRun {
    int status;
    std::string output; // stdout and stderr together
};

CliRun Cli(const std::string& args) {
    std::string command = std::string(QB41_CLI) + " " + args + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {-1, ""};
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

class CliTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return (dir / name).string(); }
    static std::string Read(const std::string& file) { return test::ReadBytes(file); }

    test::ScratchDir dir{"qb41-cli"};
};

TEST_F(CliTest, NewWritesAFreshImageOfEachModel) {
    struct Case {
        int model;
        std::size_t size;
        unsigned code;
    };
    for (const Case& c : {Case{0, 16384, 0x12C0}, Case{1, 8192, 0x0208}, Case{2, 16384, 0x021C},
                          Case{3, 16384, 0x17D4}}) {
        std::string file = path("m" + std::to_string(c.model) + ".hex");
        CliRun run = Cli("new --model " + std::to_string(c.model) + " " + file);
        ASSERT_EQ(run.status, 0) << run.output;
        std::string bytes = Read(file);
        ASSERT_EQ(bytes.size(), c.size);
        auto byte = [&](std::size_t i) {
            return static_cast<unsigned>(static_cast<unsigned char>(bytes[i]));
        };
        EXPECT_EQ(byte(64) * 256 + byte(65), c.code);
        EXPECT_EQ(byte(c.size - 2) * 256 + byte(c.size - 1), c.code);
        unsigned sum = 0;
        for (std::size_t i = 66; i <= 94; ++i) sum += byte(i);
        EXPECT_EQ(byte(95), sum & 0xFF);

        CliRun info = Cli("info " + file);
        EXPECT_EQ(info.status, 0) << info.output;
        EXPECT_NE(info.output.find("model: " + std::to_string(c.model)), std::string::npos)
            << info.output;
        EXPECT_NE(info.output.find("USA 55, INTL 55, Canada 56"), std::string::npos) << info.output;
        EXPECT_NE(info.output.find("checksum: ok"), std::string::npos) << info.output;
    }
}

TEST_F(CliTest, BadArgumentsAndFilesFailWithOneLineAndNonZeroStatus) {
    struct Case {
        std::string args;
        int status;
        std::string says;
    };
    std::ofstream(path("short.hex")) << "not an image";
    const Case cases[] = {
        {"", 2, "usage: qb41-cli"},
        {"frobnicate", 2, "unknown command"},
        {"new " + path("x.hex"), 2, "--model is required"},
        {"new --model 4 " + path("x.hex"), 2, "--model must be"},
        {"new --model", 2, "needs a value"},
        {"info", 2, "expected one image file"},
        {"info " + path("missing.hex"), 1, "cannot read"},
        {"info " + path("short.hex"), 1, "not an image file"},
    };
    for (const Case& c : cases) {
        CliRun run = Cli(c.args);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << c.args << "\n" << run.output;
    }
}

TEST_F(CliTest, InfoRejectsAnImageWhoseIdWordsDisagree) {
    std::string file = path("m3.hex");
    ASSERT_EQ(Cli("new --model 3 " + file).status, 0);
    std::string bytes = Read(file);
    bytes[16383] = 0x00;
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    CliRun run = Cli("info " + file);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("no known model id"), std::string::npos) << run.output;
}

} // namespace
} // namespace qb41

namespace qb41 {
namespace {

TEST_F(CliTest, FaultsFoundByTryingIt) {
    ASSERT_EQ(Cli("new --model 3 " + path("a.dat")).status, 0);
    // report -o takes only a report text file.
    for (const char* out : {"x.hex", "x.dat"}) {
        CliRun run = Cli("report " + path("a.dat") + " -o " + path(out));
        EXPECT_EQ(run.status, 2) << run.output;
        EXPECT_FALSE(std::filesystem::exists(path(out)));
    }
    // Every failure says something; a failed standard output fails the command.
    test::WriteBytes(dir / "noext", "x");
    CliRun noext = Cli("info " + path("noext"));
    EXPECT_EQ(noext.status, 1);
    EXPECT_NE(noext.output.find("is not an image file"), std::string::npos) << noext.output;
    ASSERT_EQ(Cli("new --model 3 " + path("a.hex")).status, 0);
    CliRun full =
        Cli("info " + path("a.hex") + " >/dev/full 2>" + path("err") + "; echo status=$?");
    EXPECT_NE(full.output.find("status=1"), std::string::npos) << full.output;
    EXPECT_NE(Read(path("err")).find("cannot write to standard output"), std::string::npos);
    // Standard output gets LF line ends, files CR LF.
    CliRun report = Cli("report " + path("a.dat") + " -o - 2>/dev/null");
    EXPECT_EQ(report.status, 0);
    EXPECT_EQ(report.output.find('\r'), std::string::npos);
    ASSERT_EQ(Cli("report " + path("a.dat") + " -o " + path("a.txt")).status, 0);
    EXPECT_NE(Read(path("a.txt")).find("\r\n"), std::string::npos);
}

// The shared table of bad values: check lists each, write refuses the file
// before it opens the port unless forced.
TEST_F(CliTest, ValuesOutsideTheirRulesAreFoundAndRefusedByWrite) {
    ASSERT_EQ(Cli("new --model 0 " + path("a.dat")).status, 0);
    const std::string fresh = Read(path("a.dat"));
    for (const test::ValueCase& c : test::kValueCases) {
        SCOPED_TRACE(c.to);
        std::string text = fresh;
        const std::size_t at = text.find(c.from);
        ASSERT_NE(at, std::string::npos);
        test::WriteBytes(dir / "bad.dat", text.replace(at, std::string(c.from).size(), c.to));
        CliRun check = Cli("check " + path("bad.dat"));
        EXPECT_EQ(check.status, 1);
        EXPECT_NE(check.output.find(std::string("value ") + c.key + "="), std::string::npos)
            << check.output;
        CliRun write = Cli("write --port /dev/null " + path("bad.dat"));
        EXPECT_EQ(write.status, 1);
        EXPECT_NE(write.output.find("value(s) outside their rules"), std::string::npos)
            << write.output;
        EXPECT_NE(write.output.find("--force programs it anyway"), std::string::npos);
        CliRun forced = Cli("write --port /dev/null --force " + path("bad.dat"));
        EXPECT_EQ(forced.output.find("--force programs it anyway"), std::string::npos)
            << forced.output;
    }
}

TEST_F(CliTest, IncompleteFilesAreWarnedAboutOrRefused) {
    ASSERT_EQ(Cli("new --model 2 " + path("a.dat")).status, 0);
    const std::string text = Read(path("a.dat"));
    test::WriteBytes(dir / "cut.dat", text.substr(0, text.find("[CHINT3]")));
    CliRun convert = Cli("convert " + path("cut.dat") + " " + path("out.dat"));
    EXPECT_EQ(convert.status, 0);
    EXPECT_NE(convert.output.find("warning: " + path("cut.dat") + " is incomplete"),
              std::string::npos)
        << convert.output;
    CliRun write = Cli("write --port /dev/null " + path("cut.dat"));
    EXPECT_EQ(write.status, 1);
    EXPECT_NE(write.output.find("--force programs it anyway"), std::string::npos) << write.output;

    CliRun check = Cli("check " + path("cut.dat"));
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(check.output.find("missing section [CHINT3]"), std::string::npos);
    CliRun clean = Cli("check " + path("a.dat"));
    EXPECT_EQ(clean.status, 0) << clean.output;
}

TEST_F(CliTest, HelpForEveryVerbNamesItsDefaults) {
    for (const char* verb : {"ports", "detect", "read", "write", "verify", "clear", "new", "info",
                             "check", "convert", "report", "help"}) {
        CliRun help = Cli(std::string(verb) + " --help");
        EXPECT_EQ(help.status, 0) << verb;
        EXPECT_NE(help.output.find("example:\n  qb41-cli "), std::string::npos) << verb;
        EXPECT_EQ(Cli(std::string("help ") + verb).output, help.output) << verb;
    }
    EXPECT_NE(Cli("write -h")
                  .output.find("--no-backup\n      skip the backup read before the write (bytes "
                               "a .dat or .ini does not carry then take default values) "
                               "(default: off (a backup is made))"),
              std::string::npos);
    CliRun version = Cli("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output.rfind("qb41-cli ", 0), 0u);
    // --opt=value is --opt value.
    EXPECT_EQ(Cli("new --model=1 " + path("m1.hex")).status, 0);
    EXPECT_EQ(Read(path("m1.hex")).size(), 8192u);
}

} // namespace
} // namespace qb41
