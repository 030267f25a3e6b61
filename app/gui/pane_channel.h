// pictC: the channel editor for one plan channel (number and frequencies
// from the master table, read-only) or one EXP channel (all typed). The rules
// are in editor/channel_editor.h; this pane shows their view and forwards
// every user edit.
#pragma once

#include "pane_support.h"

#include "editor/channel_editor.h"

#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace qb41::gui {

class ChannelPane : public EditorPane {
    Q_OBJECT
public:
    ChannelPane(PaneContext& context, QWidget* parent);
    void prepare(ModelNumber model) override;
    void fill(const editor::PaneTarget& target, const std::string& nodeKey) override;
    bool validate() override;

private:
    void build();
    void buildNumbers(QGridLayout* grid, int& row);
    void buildSwitches(QGridLayout* grid, int& row);
    void buildNameRows(QGridLayout* grid, int& row);
    void buildTones(QGridLayout* grid, int& row);
    void describeControls();
    void connectEdits();
    void show();
    void apply(const editor::EditResult& result);
    void onCheck(editor::ChannelControl control, bool ticked);
    void onPick(editor::ChannelControl control, int index);
    void onText(editor::ChannelControl control, const QString& text);
    // The control and the labels that follow it.
    void addControl(editor::ChannelControl control, QWidget* widget,
                    std::vector<QWidget*> buddies = {});

    PaneContext& context_;
    PaneKit* kit_ = nullptr;
    editor::ChannelRef ref_;
    std::string nodeKey_;
    bool open_ = false;

    std::array<QLineEdit*, 2> number_{};
    QLineEdit* rx_ = nullptr;
    QLineEdit* tx_ = nullptr;
    QCheckBox* enable_ = nullptr;
    QCheckBox* txEnable_ = nullptr;
    QCheckBox* lowPower_ = nullptr;
    QCheckBox* powerUp_ = nullptr;
    QCheckBox* duplex_ = nullptr;
    QCheckBox* scan_ = nullptr;
    QLineEdit* name_ = nullptr;
    QComboBox* scrambler_ = nullptr;
    std::array<QRadioButton*, 2> wide_{};
    std::array<QComboBox*, 2> ctcss_{};
    std::array<QComboBox*, 2> dcs_{};
    QCheckBox* compander_ = nullptr;
    QWidget* txFrame_ = nullptr;
    QWidget* dupFrame_ = nullptr;
    QWidget* toneFrame_ = nullptr;
    std::vector<QWidget*> toneLabels_;
    ConnectorLine* lineTxOnly_ = nullptr;
    ConnectorLine* lineTxPower_ = nullptr;
    ConnectorLine* lineTone_ = nullptr;
    std::array<std::vector<QWidget*>, editor::kChannelControls> widgets_;
};

} // namespace qb41::gui
