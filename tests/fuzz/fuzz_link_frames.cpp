// Any bytes as what comes down the line: the reply and command frame parsers
// on their own, then a whole link operation against the simulated radio in
// which the input decides, answer by answer, whether the radio's reply
// arrives as sent, bent, cut short, replaced by other bytes, not at all, or
// whether the line is lost or the user cancels. Nothing may crash or hang; time
// is a ManualClock, so every deadline passes at once.
#include "fresh_sets.h"

#include "link/clone_link.h"
#include "link/frame.h"
#include "sim_radio.h"

#include "core/error_log.h"
#include "core/model.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace {

using namespace qb41;
using namespace qb41::link;

// The input, read front to back; zeros once it is used up (every answer then
// arrives as the radio sent it, so a run also gets to its end).
class Script {
public:
    Script(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

class ScriptedLine : public Transport {
public:
    ScriptedLine(sim::SimRadio& radio, ManualClock& clock, Script& script, CancelToken& cancel)
        : radio_(radio), clock_(clock), script_(script), cancel_(cancel) {}

    void open(const PortSettings&) override { open_ = true; }
    void close() override {
        open_ = false;
        input_.clear();
    }
    bool isOpen() const override { return open_; }
    bool write(std::span<const std::uint8_t> bytes) override {
        if (!open_ || lost_) {
            close();
            return false;
        }
        for (std::uint8_t byte : bytes)
            if (auto reaction = radio_.receive(byte)) Answer(reaction->reply);
        return true;
    }
    std::size_t bytesAvailable() override { return input_.size(); }
    std::size_t read(std::span<std::uint8_t> buffer) override {
        const std::size_t n = std::min(buffer.size(), input_.size());
        std::copy_n(input_.begin(), n, buffer.begin());
        input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
        return n;
    }
    WaitStatus waitForBytes(std::size_t count, Clock::TimePoint deadline,
                            const CancelToken& cancel) override {
        if (input_.size() >= count) return WaitStatus::Ready;
        if (lost_) {
            close();
            return WaitStatus::LineLost;
        }
        if (cancel.requested()) return WaitStatus::Cancelled;
        if (deadline > clock_.now())
            clock_.advance(std::chrono::ceil<std::chrono::milliseconds>(deadline - clock_.now()));
        return WaitStatus::Timeout;
    }
    void flushInput() override { input_.clear(); }

private:
    void Answer(Bytes reply) {
        const std::uint8_t op = script_.next();
        switch (op % 16) {
        case 8: // one byte changed
            if (!reply.empty()) reply[script_.next() % reply.size()] ^= script_.next() | 1;
            break;
        case 9: // cut short
            reply.resize(reply.empty() ? 0 : script_.next() % reply.size());
            break;
        case 10: // no answer
            reply.clear();
            break;
        case 11: { // other bytes instead
            reply.resize(script_.next() % 160);
            for (std::uint8_t& b : reply) b = script_.next();
            break;
        }
        case 12: // bytes before and after the answer
            reply.insert(reply.begin(), script_.next());
            reply.push_back(script_.next());
            break;
        case 13: // the line is lost after this answer
            lost_ = true;
            break;
        case 14: // the user cancels
            cancel_.cancel();
            break;
        default: // as the radio sent it
            break;
        }
        input_.insert(input_.end(), reply.begin(), reply.end());
    }

    sim::SimRadio& radio_;
    ManualClock& clock_;
    Script& script_;
    CancelToken& cancel_;
    Bytes input_;
    bool open_ = false;
    bool lost_ = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    // The parsers on the raw bytes: as a reply after its SOH, and as a command.
    if (CheckFrame(bytes) != 0) (void)ReplyData(bytes);
    (void)ParseCommand(bytes);
    if (size < 2) return 0;

    const auto model = static_cast<ModelNumber>(data[0] % 4);
    const int operation = data[1] % 7;
    Script script(data + 2, size - 2);

    ManualClock clock;
    AppState app;
    app.modelNumber = model;
    DataSet set = qb41::fuzz::Fresh(model);
    const ErrorLog log({}, false, clock);
    CancelToken cancel;
    sim::SimRadio radio(set.image, ImageLastIndex(model));
    ScriptedLine line(radio, clock, script, cancel);
    CloneLink link(LinkContext{app, set, log, clock, line, cancel}, "/dev/fuzz");

    std::vector<std::uint8_t> image;
    switch (operation) {
    case 0:
        link.ReadRun(ReadScope::Whole);
        break;
    case 1:
        link.ReadRun(ReadScope::KeptBlocks);
        break;
    case 2:
        link.ReadImageRun(image, ReadScope::KeptBlocks);
        break;
    case 3:
        link.ProgramRun();
        break;
    case 4:
        link.ClearRun();
        break;
    case 5:
        link.VerifyRun();
        break;
    default:
        link.DetectRun();
        break;
    }
    return 0;
}
