// Frame building and checking: the per-block work of the link beside the
// 144 ms a block spends on the wire.
#include "link/frame.h"

#include <benchmark/benchmark.h>

#include <numeric>

namespace qb41::link {
namespace {

std::array<std::uint8_t, kBlockSize> Block() {
    std::array<std::uint8_t, kBlockSize> block{};
    std::iota(block.begin(), block.end(), std::uint8_t{0xA0});
    return block;
}

void BM_ReadBlockCommand(benchmark::State& state) {
    std::uint16_t address = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadBlockCommand(address));
        address = static_cast<std::uint16_t>((address + kBlockSize) & 0x3FFF);
    }
}
BENCHMARK(BM_ReadBlockCommand);

void BM_WriteBlockCommand(benchmark::State& state) {
    const auto block = Block();
    for (auto _ : state) benchmark::DoNotOptimize(WriteBlockCommand(0x0300, block));
    state.SetBytesProcessed(state.iterations() * kBlockSize);
}
BENCHMARK(BM_WriteBlockCommand);

// What a block read does with a reply: check it, then decode its data.
void BM_CheckAndDecodeBlockReply(benchmark::State& state) {
    const auto block = Block();
    const Bytes frame = BuildReply(static_cast<std::uint8_t>(CommandCode::ReadBlock), block);
    const std::span<const std::uint8_t> reply(frame.data() + 1, kBlockReplyLength);
    for (auto _ : state) {
        benchmark::DoNotOptimize(CheckFrame(reply));
        benchmark::DoNotOptimize(ReplyData(reply));
    }
    state.SetBytesProcessed(state.iterations() * kBlockSize);
}
BENCHMARK(BM_CheckAndDecodeBlockReply);

// The radio's side: parse a write-block command.
void BM_ParseWriteBlockCommand(benchmark::State& state) {
    const Bytes frame = WriteBlockCommand(0x0300, Block());
    for (auto _ : state) benchmark::DoNotOptimize(ParseCommand(frame));
}
BENCHMARK(BM_ParseWriteBlockCommand);

} // namespace
} // namespace qb41::link
