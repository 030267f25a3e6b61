#include "write_plan.h"

#include "frame.h"

#include "image/layout.h"

#include <algorithm>
#include <cstdio>

namespace qb41::link {

namespace {

constexpr int kFirstStep = layout::kModelIdFront;

bool Skipped(int index) {
    return layout::InRanges(layout::kWriteSkips, index, kMaxImageIndex);
}

// A whole block when no byte of it is skipped, nothing when every byte is,
// else its bytes from the first to the last one sent (the skipped areas
// leave one run in each block they cut).
WriteStep StepAt(int a) {
    using Action = WriteStep::Action;
    const int end = a + kBlockSize - 1;
    int first = a;
    while (first <= end && Skipped(first)) ++first;
    if (first > end) return {a, Action::None, 0, 0};
    int last = end;
    while (Skipped(last)) --last;
    if (first == a && last == end) return {a, Action::Block, a, end};
    return {a, Action::Bytes, first, last};
}

} // namespace

std::vector<WriteStep> WritePlan(int lastIndex) {
    std::vector<WriteStep> plan;
    for (int a = kFirstStep; a <= lastIndex; a += kBlockSize) plan.push_back(StepAt(a));
    return plan;
}

std::vector<IndexRange> PlanRanges(int lastIndex) {
    std::vector<IndexRange> ranges;
    for (const WriteStep& step : WritePlan(lastIndex)) {
        if (step.action == WriteStep::Action::None) continue;
        if (!ranges.empty() && ranges.back().last + 1 == step.first)
            ranges.back().last = step.last;
        else
            ranges.push_back({step.first, step.last});
    }
    return ranges;
}

bool ReadKeepsBlock(int address, int lastIndex) {
    const int end = std::min(address + kBlockSize - 1, lastIndex);
    for (const layout::ImageRange& kept : layout::kReadKeeps)
        if (address <= kept.last && end >= kept.first) return true;
    return false;
}

int ProgressPercent(int address, int lastIndex) {
    if (lastIndex <= 0) return 100;
    const long long scaled = static_cast<long long>(address) * 100;
    long long quotient = scaled / lastIndex;
    const long long twiceRest = 2 * (scaled % lastIndex);
    if (twiceRest > lastIndex || (twiceRest == lastIndex && quotient % 2 != 0)) ++quotient;
    return static_cast<int>(std::min<long long>(quotient, 100));
}

std::string DifferingRanges(std::span<const std::uint8_t> radio,
                            std::span<const std::uint8_t> image, int lastIndex) {
    std::string text;
    auto add = [&](int first, int last) {
        char range[32];
        if (first == last)
            std::snprintf(range, sizeof range, "0x%04X", first);
        else
            std::snprintf(range, sizeof range, "0x%04X-0x%04X", first, last);
        if (!text.empty()) text += ", ";
        text += range;
    };
    const auto at = [](std::span<const std::uint8_t> bytes, int i) -> int {
        return static_cast<std::size_t>(i) < bytes.size() ? bytes[static_cast<std::size_t>(i)] : -1;
    };
    for (const IndexRange& planned : PlanRanges(lastIndex)) {
        int start = -1;
        for (int i = planned.first; i <= planned.last + 1; ++i) {
            const bool differs = i <= planned.last && at(radio, i) != at(image, i);
            if (differs && start < 0) start = i;
            if (!differs && start >= 0) {
                add(start, i - 1);
                start = -1;
            }
        }
    }
    return text;
}

} // namespace qb41::link
