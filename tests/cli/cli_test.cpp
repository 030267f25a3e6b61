// The command-line tool as a user runs it: real processes, real files.
#include "image/primitives.h"
#include "support/scratch.h"

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
