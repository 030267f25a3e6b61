// pictDSC (the DSC setup on three tab pages) and pictATIS (the ATIS setup on
// two); the rules are in editor/settings_panes.h.
#pragma once

#include "pane_support.h"

#include <array>
#include <map>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QVBoxLayout;

namespace qb41::gui {

class DscPane : public EditorPane {
    Q_OBJECT
public:
    DscPane(PaneContext& context, QWidget* parent);
    void prepare(ModelNumber model) override;
    void fill(const editor::PaneTarget& target, const std::string& nodeKey) override;
    bool validate() override;
    // The entry counter box.
    void showEntryCount(const std::string& text);

private:
    QWidget* buildBasicPage();
    QWidget* buildAdvancedPage();
    QWidget* buildDisplayPage();
    void show();
    void clearCounter();

    PaneContext& context_;
    PaneKit* kit_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    std::array<QComboBox*, 3> usable_{};
    QLineEdit* userMmsi_ = nullptr;
    QLineEdit* count_ = nullptr;
    QPushButton* clear_ = nullptr;
    std::map<int, QComboBox*> flags_; // by DscFlags index
    bool open_ = false;
};

class AtisPane : public EditorPane {
    Q_OBJECT
public:
    AtisPane(PaneContext& context, QWidget* parent);
    void prepare(ModelNumber model) override;
    void fill(const editor::PaneTarget& target, const std::string& nodeKey) override;
    bool validate() override;

private:
    void show();
    QWidget* buildCommonPage();
    void addGroupFrames(QWidget* common, QVBoxLayout* commonLayout);
    QWidget* buildCallSignPage();
    void addCallSign(QWidget* calls, QGridLayout* grid, int k);

    PaneContext& context_;
    PaneKit* kit_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLineEdit* code_ = nullptr;
    std::array<QCheckBox*, 4> chGroup_{};
    std::array<QCheckBox*, 4> killer_{};
    QWidget* killerFrame_ = nullptr; // shown for the models whose memory keeps it
    std::array<QLineEdit*, kCallSigns> mid_{};
    std::array<QLineEdit*, kCallSigns> disp_{};
    bool open_ = false;
};

} // namespace qb41::gui
