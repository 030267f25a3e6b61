// Report build of a full data set: every plan, weather and EXP channel enabled
// and named, both directories full. Target: well under 2 ms per report.
#include "report/report_text.h"

#include "image/defaults.h"

#include <benchmark/benchmark.h>

#include <string>

namespace qb41 {
namespace {

DataSet FullDataSet(ModelNumber model) {
    DataSet data;
    MakeFreshDataSet(data, model);
    Records& r = data.records;
    for (Bank bank : {Bank::CHUSA, Bank::CHINT, Bank::CHCAN, Bank::CHWX}) {
        for (ChannelRecord& rec : r.bank(bank)) {
            rec.Enable = rec.ScanMemory = kTrue;
            rec.Scramble = 5;
            rec.ChTag = "CHANNEL NAME";
        }
    }
    for (std::size_t i = 0; i < r.CHEXP.size(); ++i) {
        ChannelRecord& rec = r.CHEXP[i];
        rec.Enable = kTrue;
        rec.CHDisplayL = std::to_string(10 + i);
        rec.CHDisplayR = "A";
        rec.Rxfreq = 150.0125 + 0.025 * static_cast<double>(i);
        rec.Txfreq = 155.0 + 0.005 * static_cast<double>(i);
        rec.ChTag = "LAND MOBILE";
        rec.CtcssTone = {static_cast<std::int16_t>(i % 51), 0};
        rec.DcsCode = {0, static_cast<std::int16_t>(1 + i * 5)};
    }
    for (auto* directory : {&r.CHMMSID, &r.CHGRPID}) {
        for (std::size_t i = 0; i < directory->size(); ++i)
            (*directory)[i] = {kTrue, "STATION " + std::to_string(i),
                               "36600" + std::to_string(1000 + i)};
    }
    return data;
}

void BM_MakeReportText(benchmark::State& state) {
    const auto model = static_cast<ModelNumber>(state.range(0));
    DataSet data = FullDataSet(model);
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string text = MakeReportText(data, model);
        bytes = text.size();
        benchmark::DoNotOptimize(text);
    }
    state.counters["report_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_MakeReportText)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace qb41

BENCHMARK_MAIN();
