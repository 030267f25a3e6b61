// pictG: one entry of the individual or group MMSI directory (the rules,
// including adding only the next free entry and closing gaps, are in
// editor/directory_editor.h).
#pragma once

#include "pane_support.h"

#include "editor/directory_editor.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace qb41::gui {

class DirectoryPane : public EditorPane {
    Q_OBJECT
public:
    DirectoryPane(PaneContext& context, QWidget* parent);
    void prepare(ModelNumber model) override;
    void fill(const editor::PaneTarget& target, const std::string& nodeKey) override;
    bool validate() override;

private:
    void build();
    void connectEdits();
    void show();
    void apply(const editor::EditResult& result);
    editor::DirectoryKind treeKind() const;

    PaneContext& context_;
    PaneKit* kit_ = nullptr;
    editor::DirectoryRef ref_;
    std::string nodeKey_;
    bool open_ = false;

    QLabel* nameLabel_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLabel* mmsiLabel_ = nullptr;
    QLineEdit* mmsi_ = nullptr;
    RuleValidator* mmsiRule_ = nullptr;
    QCheckBox* add_ = nullptr;
    QCheckBox* delete_ = nullptr;
};

} // namespace qb41::gui
