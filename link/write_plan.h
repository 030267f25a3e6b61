// What a program operation sends, and what it never sends. The plan walks the
// image in 64-byte steps from address 64 and, per step, writes single bytes, a
// whole block or nothing. The radio keeps its model code (64-65), its
// calibration and factory areas and everything from 13824 on to itself.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qb41::link {

struct WriteStep {
    enum class Action { None, Bytes, Block };
    int blockAddress;
    Action action;
    int first; // Bytes: first and last index written one by one;
    int last;  // Block: blockAddress .. blockAddress + 63
};

// The steps for an image whose last index is `lastIndex` (8191 or 16383):
// one per block address 64, 128, ... up to the last block.
std::vector<WriteStep> WritePlan(int lastIndex);

// The image index ranges [first, last] the plan writes, in the plan's order.
struct IndexRange {
    int first;
    int last;
};
std::vector<IndexRange> PlanRanges(int lastIndex);

// The ranges of the plan where `radio` and `image` differ, joined:
// "0x0100-0x013F, 0x0200"; empty when every planned byte is equal.
std::string DifferingRanges(std::span<const std::uint8_t> radio,
                            std::span<const std::uint8_t> image, int lastIndex);

// Whether a read keeps any byte of the 64-byte block at `address` (the
// ranges of layout::kReadKeeps, see CopyReadImage).
// A quick read fetches only these blocks; they cover every byte the plan writes.
bool ReadKeepsBlock(int address, int lastIndex);

// Progress shown before a step at `address`: address / lastIndex * 100,
// rounded to the nearest integer with halves to the even neighbour, at most 100.
int ProgressPercent(int address, int lastIndex);

} // namespace qb41::link
