// The editing panes, one per kind, created once with the window.
#include "editor_pane.h"
#include "pane_channel.h"
#include "pane_directory.h"
#include "pane_dsc.h"
#include "pane_setup.h"
#include "pane_weather.h"

namespace qb41::gui {

std::map<editor::PaneKind, EditorPane*> CreateEditorPanes(PaneContext& context, QWidget* parent) {
    using editor::PaneKind;
    return {
        {PaneKind::Usable, new UsablePane(context, parent)},
        {PaneKind::Common, new CommonPane(context, parent)},
        {PaneKind::Dsc, new DscPane(context, parent)},
        {PaneKind::Atis, new AtisPane(context, parent)},
        {PaneKind::Channel, new ChannelPane(context, parent)},
        {PaneKind::Weather, new WeatherPane(context, parent)},
        {PaneKind::DirectoryEntry, new DirectoryPane(context, parent)},
    };
}

} // namespace qb41::gui
