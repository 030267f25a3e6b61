// The Win32 serial adapter on a real COM port: one that Wine maps to the
// pseudo-terminal of qb41-radio-sim (scripts/test-windows.sh starts it and
// names the port in QB41_TEST_COM_PORT). Skipped without one.
#include "link/frame.h"
#include "link/win32_serial_transport.h"

#include "core/errors.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace qb41::link {
namespace {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

// Wine and a loaded machine make a single wait late by up to this much; the
// deadlines checked are far apart from it.
constexpr Ms kSlack{700};

class Win32Transport : public ::testing::Test {
protected:
    void SetUp() override {
        const char* port = std::getenv("QB41_TEST_COM_PORT");
        if (!port || !*port) GTEST_SKIP() << "QB41_TEST_COM_PORT names no COM port";
        settings.device = port;
        line.open(settings);
        line.flushInput();
    }

    Ms Since(Clock::TimePoint start) const {
        return std::chrono::duration_cast<Ms>(clock.now() - start);
    }

    // Sends a block read and waits for its whole reply.
    Bytes Ask(std::uint16_t address, Ms deadline = 3s) {
        EXPECT_TRUE(line.write(ReadBlockCommand(address)));
        EXPECT_EQ(line.waitForBytes(1 + kBlockReplyLength, clock.now() + deadline, cancel),
                  WaitStatus::Ready);
        Bytes reply(1 + kBlockReplyLength);
        reply.resize(line.read(reply));
        return reply;
    }

    SystemClock clock;
    CancelToken cancel;
    PortSettings settings;
    Win32SerialTransport line{clock};
};

TEST_F(Win32Transport, AnAnswerEndsTheWaitLongBeforeItsDeadline) {
    const auto start = clock.now();
    const Bytes reply = Ask(0x0000, 5s);
    EXPECT_LT(Since(start), 5s - kSlack * 2);
    ASSERT_EQ(reply.size(), 1 + kBlockReplyLength);
    EXPECT_EQ(reply[0], kSOH);
    EXPECT_EQ(CheckFrame(std::span<const std::uint8_t>(reply).subspan(1)),
              static_cast<std::uint8_t>(CommandCode::ReadBlock));
    EXPECT_EQ(reply.back(), kCR);
    // Nothing follows the reply, and the line stays usable for the next one.
    EXPECT_EQ(line.bytesAvailable(), 0u);
    EXPECT_EQ(Ask(0x0040).size(), 1 + kBlockReplyLength);
}

TEST_F(Win32Transport, WaitsEndAtTheirDeadlinesWhenTheLineIsSilent) {
    for (const Ms deadline : {Ms{50}, Ms{300}, Ms{1200}}) {
        const auto start = clock.now();
        EXPECT_EQ(line.waitForBytes(1, start + deadline, cancel), WaitStatus::Timeout) << deadline;
        const Ms took = Since(start);
        EXPECT_GE(took, deadline);
        EXPECT_LT(took, deadline + kSlack) << deadline;
    }
    EXPECT_TRUE(line.isOpen());
}

TEST_F(Win32Transport, APartAnswerIsNotEnough) {
    // A byte reply is 8 bytes: waiting for more times out with them buffered.
    ASSERT_TRUE(line.write(ReadByteCommand(0x0040)));
    const auto start = clock.now();
    EXPECT_EQ(line.waitForBytes(1 + kByteReplyLength + 1, start + 800ms, cancel),
              WaitStatus::Timeout);
    EXPECT_GE(Since(start), 800ms);
    EXPECT_EQ(line.bytesAvailable(), 1 + kByteReplyLength);
}

TEST_F(Win32Transport, ACancelFromAnotherThreadEndsTheWaitWithinASlice) {
    std::thread canceller([this] {
        // The other side of the wait: not a pause of the code under test.
        std::this_thread::sleep_for(150ms);
        cancel.cancel();
    });
    const auto start = clock.now();
    const WaitStatus status = line.waitForBytes(1, start + 10s, cancel);
    canceller.join();
    EXPECT_EQ(status, WaitStatus::Cancelled);
    EXPECT_GE(Since(start), 150ms);
    EXPECT_LT(Since(start), 150ms + Win32SerialTransport::kSlice + kSlack);
}

TEST_F(Win32Transport, FlushDiscardsWhatCameIn) {
    ASSERT_TRUE(line.write(ReadBlockCommand(0x0080)));
    ASSERT_EQ(line.waitForBytes(1 + kBlockReplyLength, clock.now() + 3s, cancel),
              WaitStatus::Ready);
    line.flushInput();
    EXPECT_EQ(line.bytesAvailable(), 0u);
    EXPECT_EQ(line.waitForBytes(1, clock.now() + 100ms, cancel), WaitStatus::Timeout);
}

TEST_F(Win32Transport, AClosedPortAnswersLineLostAndOpensAgain) {
    line.close();
    EXPECT_FALSE(line.isOpen());
    EXPECT_EQ(line.waitForBytes(1, clock.now() + 1s, cancel), WaitStatus::LineLost);
    EXPECT_FALSE(line.write(ReadByteCommand(0)));
    line.open(settings);
    EXPECT_EQ(Ask(0x0000).size(), 1 + kBlockReplyLength);
}

TEST_F(Win32Transport, MissingPortsAndHeldPortsAreRefused) {
    PortSettings missing;
    missing.device = "COM77";
    try {
        Win32SerialTransport(clock).open(missing);
        FAIL() << "COM77 opened";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), ErrorNumber::PortNotAvailable);
    }
    // Windows gives a COM port to one holder at a time; Wine opens the
    // device as often as asked.
    if (std::getenv("QB41_TEST_UNDER_WINE")) GTEST_SKIP() << "Wine shares COM ports";
    Win32SerialTransport second(clock);
    try {
        second.open(settings);
        FAIL() << "a second open of " << settings.device << " succeeded";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), ErrorNumber::PortAlreadyOpen);
    }
}

} // namespace
} // namespace qb41::link
