// The list grids' speed: a cell edit through the rules to the repainted grid,
// a paste of a whole bank, undo and redo of one step and of 500, and the
// largest bank listed with "Show all channels". Runs offscreen.
#include "grid_model.h"

#include "editor/grid_edit.h"
#include "editor/undo_stack.h"
#include "image/defaults.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableView>

#include <benchmark/benchmark.h>

namespace qb41 {
namespace {

struct Set {
    explicit Set(ModelNumber model = 0) {
        state.modelNumber = model;
        MakeFreshDataSet(data, model);
        stack.Reset(data.records, model);
    }
    editor::EditableGrid grid(bool showAll = true) const {
        return editor::BuildEditableGrid(data.records, *editor::GridListOfKey("PU", showAll),
                                         state.modelNumber);
    }
    AppState state;
    DataSet data;
    editor::UndoStack stack;
};

int Column(const editor::EditableGrid& grid, const std::string& header) {
    for (std::size_t c = 0; c < grid.grid.headers.size(); ++c)
        if (grid.grid.headers[c] == header) return static_cast<int>(c);
    return 0;
}

// A grid on screen over the records: the model the window uses.
struct Shown {
    Shown()
        : context{set.state, set.data, notifier, [this](const std::string& text) {
                      set.stack.Record(set.data.records, set.state, text);
                  }} {
        model.attach(&context);
        model.showList(*editor::GridListOfKey("PU", true));
        view.setModel(&model);
        view.resize(900, 700);
        view.show();
        QApplication::processEvents();
    }
    struct Quiet : Notifier {
        MessageAnswer ask(const Message&) override { return MessageAnswer::Ok; }
    } notifier;
    Set set;
    gui::GridModelContext context;
    gui::GridModel model;
    QTableView view;
};

void BM_EditCellToRepaint(benchmark::State& state) {
    Shown shown;
    const int name = Column(shown.model.editable(), "CH Name");
    const int row = shown.model.editable().rowOfRecord(32);
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        shown.model.setData(shown.model.index(row, name), flip ? "HARBOR" : "MARINA", Qt::EditRole);
        shown.view.viewport()->repaint();
    }
}
BENCHMARK(BM_EditCellToRepaint)->Unit(benchmark::kMillisecond);

void BM_Paste240Rows(benchmark::State& state) {
    Set source;
    for (std::size_t i = 0; i < source.data.records.CHUSA.size(); ++i) {
        ChannelRecord& rec = source.data.records.CHUSA[i];
        rec.Enable = kTrue;
        rec.ChTag = "CH" + std::to_string(i % 100);
    }
    const editor::EditableGrid grid = source.grid();
    std::vector<int> rows;
    for (std::size_t i = 0; i < grid.records.size(); ++i) rows.push_back(static_cast<int>(i));
    const std::string text = editor::CopyGridRows(grid, rows);
    const Set fresh;
    Set target;
    const editor::EditableGrid targetGrid = target.grid();
    for (auto _ : state) {
        state.PauseTiming();
        target.data.records = fresh.data.records;
        state.ResumeTiming();
        int changed = 0;
        auto refusal = editor::PasteGridText(target.data.records, target.state, targetGrid, text, 0,
                                             0, &changed);
        target.stack.Record(target.data.records, target.state, "Paste");
        benchmark::DoNotOptimize(refusal);
        if (changed < 200) state.SkipWithError("the paste changed too few rows");
    }
}
BENCHMARK(BM_Paste240Rows)->Unit(benchmark::kMillisecond);

// A history of `steps` single-cell edits over the bank.
void MakeHistory(Set& set, int steps) {
    for (ChannelRecord& rec : set.data.records.CHUSA) rec.Enable = kTrue;
    set.stack.Reset(set.data.records, set.state.modelNumber);
    const int name = Column(set.grid(), "CH Name");
    for (int i = 0; i < steps; ++i) {
        const editor::EditableGrid grid = set.grid();
        const int row = grid.rowOfRecord((i * 2) % kPlanChannels);
        editor::SetGridCell(set.data.records, set.state, grid, row, name, "N" + std::to_string(i));
        set.stack.Record(set.data.records, set.state);
    }
}

void BM_UndoAndRedoOneStep(benchmark::State& state) {
    Set set;
    MakeHistory(set, 1);
    if (set.stack.size() != 1) state.SkipWithError("no step");
    for (auto _ : state) {
        set.stack.Undo(set.data.records, set.state);
        set.stack.Redo(set.data.records, set.state);
    }
}
BENCHMARK(BM_UndoAndRedoOneStep)->Unit(benchmark::kMicrosecond);

void BM_Undo500Steps(benchmark::State& state) {
    Set set;
    MakeHistory(set, 500);
    if (set.stack.size() != 500) state.SkipWithError("history is not 500 steps");
    for (auto _ : state) {
        while (set.stack.Undo(set.data.records, set.state)) {
        }
        state.PauseTiming();
        while (set.stack.Redo(set.data.records, set.state)) {
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Undo500Steps)->Unit(benchmark::kMillisecond);

void BM_Redo500Steps(benchmark::State& state) {
    Set set;
    MakeHistory(set, 500);
    for (auto _ : state) {
        state.PauseTiming();
        while (set.stack.Undo(set.data.records, set.state)) {
        }
        state.ResumeTiming();
        while (set.stack.Redo(set.data.records, set.state)) {
        }
    }
}
BENCHMARK(BM_Redo500Steps)->Unit(benchmark::kMillisecond);

void BM_ShowAllLargestBank(benchmark::State& state) {
    Shown shown;
    const editor::GridList list = *editor::GridListOfKey("PU", true);
    for (auto _ : state) {
        shown.model.showList(list);
        shown.view.viewport()->repaint();
    }
}
BENCHMARK(BM_ShowAllLargestBank)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace qb41

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
