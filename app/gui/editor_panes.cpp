// The editing panes, one per kind, created once with the window.
#include "editor_pane.h"
#include "pane_channel.h"
#include "pane_directory.h"
#include "pane_dsc.h"
#include "pane_setup.h"
#include "pane_weather.h"

#include <QScrollArea>
#include <QVBoxLayout>

namespace qb41::gui {

QSize EditorPane::neededSize() const {
    return body_ != nullptr ? body_->minimumSizeHint() : minimumSizeHint();
}

QWidget* EditorPane::body() {
    if (body_ != nullptr) return body_;
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(objectName() + QStringLiteral("Scroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    body_ = new QWidget(scroll);
    body_->setObjectName(objectName() + QStringLiteral("Body"));
    scroll->setWidget(body_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    return body_;
}

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
