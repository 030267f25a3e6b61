// Codec speed on a 16 KiB image: whole-image decode, the full write
// preparation (encode, channel reference repair, checksum) and a fresh data set.
#include "image/codec.h"
#include "image/defaults.h"

#include <benchmark/benchmark.h>

namespace qb41 {
namespace {

DataSet Loaded() {
    DataSet data;
    MakeFreshDataSet(data, 0);
    for (int k = 0; k < kExpChannels; ++k) {
        ChannelRecord& r = data.records.CHEXP[static_cast<std::size_t>(k)];
        r.Enable = kTrue;
        r.ChTag = "EXP CHANNEL";
        r.Rxfreq = 150.0 + k * 0.0125;
        r.Txfreq = r.Rxfreq;
    }
    for (DirectoryRecord& e : data.records.CHMMSID) e = {kTrue, "SHIP NAME", "3669990000"};
    data.records.UserMmsi = "366999000";
    PrepareImageForWrite(data, 0);
    return data;
}

void BM_DecodeImage(benchmark::State& state) {
    DataSet data = Loaded();
    for (auto _ : state) {
        DecodeImage(data, 0);
        benchmark::DoNotOptimize(data.records.CHUSA.data());
    }
}
BENCHMARK(BM_DecodeImage)->Unit(benchmark::kMicrosecond);

void BM_PrepareImageForWrite(benchmark::State& state) {
    DataSet data = Loaded();
    for (auto _ : state) {
        PrepareImageForWrite(data, 0);
        benchmark::DoNotOptimize(data.image.data());
    }
}
BENCHMARK(BM_PrepareImageForWrite)->Unit(benchmark::kMicrosecond);

void BM_FreshDataSet(benchmark::State& state) {
    DataSet data;
    for (auto _ : state) {
        MakeFreshDataSet(data, 0);
        benchmark::DoNotOptimize(data.image.data());
    }
}
BENCHMARK(BM_FreshDataSet)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace qb41
