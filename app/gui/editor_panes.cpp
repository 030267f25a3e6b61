// The editing panes. Until an editor exists for a pane, an empty pane with
// the pane's object name holds its place.
#include "editor_pane.h"

namespace qb41::gui {
namespace {

class PlaceholderPane : public EditorPane {
public:
    PlaceholderPane(const char* name, QWidget* parent) : EditorPane(parent) {
        setObjectName(QString::fromLatin1(name));
    }
    void fill(const editor::PaneTarget&, const std::string&) override {}
};

} // namespace

std::map<editor::PaneKind, EditorPane*> CreateEditorPanes(PaneContext&, QWidget* parent) {
    using editor::PaneKind;
    return {
        {PaneKind::Usable, new PlaceholderPane("pictUsable", parent)},
        {PaneKind::Common, new PlaceholderPane("pictCommon", parent)},
        {PaneKind::Dsc, new PlaceholderPane("pictDSC", parent)},
        {PaneKind::Atis, new PlaceholderPane("pictATIS", parent)},
        {PaneKind::Channel, new PlaceholderPane("pictC", parent)},
        {PaneKind::Weather, new PlaceholderPane("pictD", parent)},
        {PaneKind::DirectoryEntry, new PlaceholderPane("pictG", parent)},
    };
}

} // namespace qb41::gui
