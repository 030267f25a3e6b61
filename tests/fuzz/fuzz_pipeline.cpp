// Any bytes as a settings data file or a radio image, taken the whole way a
// user takes one: load it, then everything the window would show for it
// (every tree node, the pane each node opens, every list and editable grid,
// built by the editor functions the panes and grids call), encode it for a
// write, the text report, the printed pages and the file check. Whatever
// every reader accepts must neither crash nor hang anywhere after that.
//
// The first byte picks the model (low two bits) and the kind of input. High
// bit clear: the rest is a settings data file (a partial file loads too, the
// missing sections as defaults). High bit set: the rest changes the model's
// fresh image, three bytes a change (address high, address low, new value),
// so that a short input can reach any part of the image.
#include "fresh_sets.h"

#include "editor/channel_editor.h"
#include "editor/channel_lists.h"
#include "editor/directory_editor.h"
#include "editor/grid_edit.h"
#include "editor/section_tree.h"
#include "editor/settings_panes.h"
#include "editor/weather_pane.h"
#include "files/data_file_check.h"
#include "files/data_file_reader.h"
#include "files/data_file_writer.h"
#include "files/identity_check.h"
#include "image/codec.h"
#include "report/print_layout.h"
#include "report/report_text.h"

#include "core/errors.h"
#include "core/model.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace qb41;
using namespace qb41::editor;

// The pane a node opens, filled as the window fills it.
void ViewPane(const DataSet& set, const PaneTarget& target, ModelNumber model) {
    const Records& records = set.records;
    switch (target.pane) {
    case PaneKind::Usable:
        (void)ViewUsablePane(records, model);
        break;
    case PaneKind::Common:
        (void)ViewCommonPane(records, model);
        break;
    case PaneKind::Dsc:
        (void)ViewDscPane(set);
        break;
    case PaneKind::Atis:
        (void)ViewAtisPane(records, model);
        break;
    case PaneKind::Weather:
        (void)ViewWeatherPane(records, model);
        break;
    case PaneKind::PlanList:
        (void)PlanListGrid(records, target.bank, model);
        break;
    case PaneKind::ExportList:
        (void)ExportListGrid(records);
        break;
    case PaneKind::DirectoryList:
        (void)DirectoryListGrid(records, target.directory);
        break;
    case PaneKind::Channel: {
        const ChannelRef ref{target.bank, target.index};
        (void)ViewChannel(records, ref, model);
        (void)CheckChannelComplete(records, ref, "QB41");
        break;
    }
    case PaneKind::DirectoryEntry: {
        const DirectoryRef ref{target.directory == DirectoryKind::Individual ? MmsiKind::Individual
                                                                             : MmsiKind::Group,
                               target.index + 1};
        (void)ViewDirectoryEntry(records, ref);
        break;
    }
    case PaneKind::General:
    case PaneKind::Grey:
        break;
    }
}

// Whether the pane of a channel or directory entry is worth filling: the
// record differs from the fresh set's (what the input changed), or it is the
// first of its bank. Filling all of them would cost most of a run and reach
// no code the changed ones do not.
bool Changed(const Records& records, const Records& fresh, const PaneTarget& target) {
    const auto at = static_cast<std::size_t>(target.index);
    if (target.index == 0) return true;
    if (target.pane == PaneKind::Channel) {
        const auto& bank = records.bank(target.bank);
        return at >= bank.size() || bank[at] != fresh.bank(target.bank)[at];
    }
    const auto& entries = Directory(records, target.directory);
    return at >= entries.size() || entries[at] != Directory(fresh, target.directory)[at];
}

// Every node of the tree and the pane it opens (channels and directory
// entries: those the input changed) and, for a list node, the editable grid
// with every row copied as the window's copy command copies it. The grids
// cost most of a run: odd and even inputs take turns to list the enabled
// channels only or, as "Show all channels" does, every channel.
void ShowEverything(const DataSet& set, const Records& fresh, ModelNumber model, bool showAll) {
    const Records& records = set.records;
    for (const TreeNode& node : BuildTreeNodes(records, model)) {
        if (const auto target = PaneForNode(node.key, node.parent, records)) {
            const bool entry =
                target->pane == PaneKind::Channel || target->pane == PaneKind::DirectoryEntry;
            if (!entry || Changed(records, fresh, *target)) ViewPane(set, *target, model);
        }
        if (const auto list = GridListOfKey(node.key, showAll)) {
            EditableGrid grid = BuildEditableGrid(records, *list, model);
            std::vector<int> rows;
            for (int row = 0; row < static_cast<int>(grid.grid.rows.size()); ++row)
                rows.push_back(row);
            if (!rows.empty()) {
                RefreshGridRow(grid, records, rows.back(), model);
                const auto& last = grid.grid.rows.back();
                (void)ListJumpKey(node.key, static_cast<int>(rows.size()),
                                  last.empty() ? std::string_view() : std::string_view(last[0]));
            }
            (void)CopyGridRows(grid, rows);
        }
    }
    (void)FindInLists(records, model, "1", std::nullopt);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const auto model = static_cast<ModelNumber>(data[0] % 4);
    const bool imageInput = (data[0] & 0x80) != 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    DataSet set = qb41::fuzz::Fresh(model);
    if (imageInput) {
        const std::size_t imageSize = static_cast<std::size_t>(ImageLastIndex(model)) + 1;
        for (std::size_t i = 1; i + 3 <= size; i += 3) {
            const std::size_t address = (std::size_t{data[i]} << 8 | data[i + 1]) % imageSize;
            set.image[address] = data[i + 2];
        }
        try {
            DecodeImage(set, model);
        } catch (const RuntimeError&) {
            return 0; // the operation that decodes reports it
        }
    } else {
        for (const DataFileFinding& finding : CheckDataFileText(text)) (void)FindingLine(finding);
        if (!ReadDataFileText(text, set.records, model)) return 0;
    }

    ShowEverything(set, qb41::fuzz::Fresh(model).records, model, size % 2 == 1);
    (void)IdentityFindings(set.records);

    // The report and the printed pages snap off-grid frequencies in the
    // records they are given, as the window's report does.
    {
        DataSet reported = set;
        (void)MakeReportText(reported, model);
        (void)MakePrintLayout(reported, model);
        (void)MakeFramedPrintLayout(reported, model, {}, {"boat.dat", "2026-12-09"});
    }

    // Encoded for a write.
    DataSet encoded = set;
    try {
        PrepareImageForWrite(encoded, model);
    } catch (const RuntimeError&) {
    }

    // Saved as a file, what was loaded loads again; on every eighth input,
    // as it costs more than the rest.
    if (size % 8 != 0) return 0;
    const std::string saved = FormatDataFile(set.records, model, '.');
    Records again = qb41::fuzz::Fresh(model).records;
    if (!ReadDataFileText(saved, again, model)) __builtin_trap();
    return 0;
}
