// pictUsable (the usable channel groups) and pictCommon (the common setup);
// the rules are in editor/settings_panes.h.
#pragma once

#include "pane_support.h"

#include "editor/settings_panes.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace qb41::gui {

class UsablePane : public EditorPane {
    Q_OBJECT
public:
    UsablePane(PaneContext& context, QWidget* parent);
    void prepare(ModelNumber model) override;
    void fill(const editor::PaneTarget& target, const std::string& nodeKey) override;
    bool validate() override;

private:
    void show();
    void apply(const editor::EditResult& result);
    QWidget* buildGroup(int g);
    void describeGroup(int g);
    void connectGroup(int g);

    struct Row {
        QCheckBox* usable = nullptr;
        QComboBox* tot = nullptr;
        QLabel* totLabel = nullptr;
        QComboBox* priority = nullptr;
        QLabel* priorityLabel = nullptr;
        QComboBox* icon = nullptr;
        QLabel* iconLabel = nullptr;
        QLineEdit* name = nullptr;
        QLabel* nameLabel = nullptr;
        ConnectorLine* line = nullptr;
    };
    PaneContext& context_;
    PaneKit* kit_ = nullptr;
    std::array<Row, kUsableGroups> rows_;
    bool open_ = false;
};

class CommonPane : public EditorPane {
    Q_OBJECT
public:
    CommonPane(PaneContext& context, QWidget* parent);
    void fill(const editor::PaneTarget& target, const std::string& nodeKey) override;

private:
    void show();

    PaneContext& context_;
    PaneKit* kit_ = nullptr;
    std::array<QComboBox*, editor::kCommonChoices> lists_{};
    std::array<QLabel*, editor::kCommonChoices> labels_{};
    std::array<ConnectorLine*, editor::kCommonChoices> lines_{};
};

} // namespace qb41::gui
