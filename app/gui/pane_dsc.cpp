#include "pane_dsc.h"

#include "editor/settings_panes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qb41::gui {
namespace {

QLabel* Label(const QString& text, QWidget* parent) {
    return new QLabel(text, parent);
}

QLabel* Label(std::string_view text, QWidget* parent) {
    return new QLabel(Text(std::string(text)), parent);
}

QWidget* Page(const char* name, int index) {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index));
    return page;
}

// Only the page in front takes input.
void EnableCurrentPage(QTabWidget* tabs) {
    for (int i = 0; i < tabs->count(); ++i) tabs->widget(i)->setEnabled(i == tabs->currentIndex());
}

QTabWidget* Tabs(const char* name, QWidget* parent) {
    auto* tabs = new QTabWidget(parent);
    tabs->setObjectName(QString::fromLatin1(name));
    tabs->setUsesScrollButtons(false); // every tab in full; the pane scrolls instead
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [tabs] { EnableCurrentPage(tabs); });
    return tabs;
}

const char* const kGroupCaptions[] = {"USA", "INTL", "CANADA"};

} // namespace

// ---- DSC setup --------------------------------------------------------------

DscPane::DscPane(PaneContext& context, QWidget* parent) : EditorPane(parent), context_(context) {
    setObjectName(QStringLiteral("pictDSC"));
    kit_ = new PaneKit(context_, this, [](const editor::EditResult&) {});
    for (const editor::DscSelector& s : editor::DscSelectors()) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(
            QStringLiteral("%1_%2").arg(Text(std::string(s.objectName))).arg(s.index));
        kit_->hint(combo, editor::kListHint);
        const int flag = s.flag;
        connect(combo, &QComboBox::activated, this, [this, flag](int index) {
            editor::PickDscFlag(context_.data.records, context_.app, flag, index);
            show(); // a call selector enables its level selector
        });
        flags_[flag] = combo;
    }
    tabs_ = Tabs("tbsDSC", this);
    tabs_->addTab(buildBasicPage(), QStringLiteral("Basic Setup"));
    tabs_->addTab(buildAdvancedPage(), QStringLiteral("Advanced Setup"));
    tabs_->addTab(buildDisplayPage(), QStringLiteral("Display Setup"));
    EnableCurrentPage(tabs_);
    (new QVBoxLayout(body()))->addWidget(tabs_);
}

QWidget* DscPane::buildBasicPage() {
    QWidget* page = Page("pictDSCChild", 0);
    auto* layout = new QVBoxLayout(page);
    auto* groups = new QGroupBox(QStringLiteral("Available DSC CH Group"), page);
    auto* grid = new QGridLayout(groups);
    for (int k = 0; k < 3; ++k) {
        auto*& combo = usable_[static_cast<std::size_t>(k)];
        combo = new QComboBox(groups);
        combo->setObjectName(QStringLiteral("cmbUsableDsc_%1").arg(k));
        kit_->hint(combo, editor::kListHint);
        connect(combo, &QComboBox::activated, this, [this, k](int index) {
            editor::PickDscUsable(context_.data.records, context_.app, k, index);
            show();
        });
        Describe(combo, QStringLiteral("DSC use of the %1 channel plan.")
                            .arg(QString::fromLatin1(kGroupCaptions[k])));
        grid->addWidget(Label(QString::fromLatin1(kGroupCaptions[k]), groups), k, 0);
        grid->addWidget(combo, k, 1);
    }
    grid->setColumnStretch(2, 1);
    layout->addWidget(groups);

    auto* mmsi = new QGridLayout;
    userMmsi_ = new QLineEdit(page);
    userMmsi_->setObjectName(QStringLiteral("txtUserMMSI"));
    RestrictBox(userMmsi_, editor::TextBox::UserMmsi);
    kit_->hint(userMmsi_, editor::FocusHint(editor::TextBox::UserMmsi));
    kit_->checkBox(userMmsi_, [this](const std::string& text) {
        return editor::CommitUserMmsi(context_.data.records, context_.app, text);
    });
    count_ = new QLineEdit(page);
    count_->setObjectName(QStringLiteral("txtFCount"));
    count_->setReadOnly(true);
    FitBox(count_, 3, 50);
    clear_ = new QPushButton(QStringLiteral("Clear"), page);
    clear_->setObjectName(QStringLiteral("cmdFClear"));
    kit_->hint(clear_, editor::kCounterResetHint);
    Describe(userMmsi_, QStringLiteral("The radio's own MMSI: 9 digits."));
    Describe(clear_, QStringLiteral("Resets the radio's count of MMSI entries (it runs a "
                                    "transfer with the radio)."));
    connect(clear_, &QPushButton::clicked, this, [this] { clearCounter(); });
    mmsi->addWidget(Label(QStringLiteral("UserMMSI"), page), 0, 0);
    mmsi->addWidget(userMmsi_, 0, 1, 1, 2);
    mmsi->addWidget(Label(QStringLiteral("MMSI Entry Count"), page), 1, 0);
    mmsi->addWidget(count_, 1, 1);
    mmsi->addWidget(clear_, 1, 2);
    mmsi->setColumnStretch(3, 1);
    layout->addLayout(mmsi);
    layout->addStretch();
    return page;
}

QWidget* DscPane::buildAdvancedPage() {
    QWidget* page = Page("pictDSCChild", 1);
    auto* layout = new QVBoxLayout(page);
    // The position rows: the switch and its transmit level.
    auto* pos = new QGridLayout;
    for (const editor::DscSelector& s : editor::DscSelectors()) {
        if (s.flag < 4) {
            Describe(flags_.at(s.flag),
                     Text(std::string(s.label)) + QStringLiteral(": on or off."));
            pos->addWidget(Label(s.label, page), s.index, 0);
            pos->addWidget(flags_.at(s.flag), s.index, 1);
        } else if (s.flag < 8) {
            Describe(flags_.at(s.flag),
                     Text(std::string(s.label)) + QStringLiteral(": transmit level."));
            pos->addWidget(flags_.at(s.flag), s.index, 2);
        }
    }
    pos->setColumnStretch(3, 1);
    layout->addLayout(pos);

    // The calls: a frame per call, a row per category with the call and its
    // transmit level, the frames one below the other so the page stays narrow.
    const struct {
        const char* title;
        int first;
    } columns[] = {{"ALL Ships Call", 16}, {"Group Call", 24}, {"Individual Call", 32}};
    for (const auto& column : columns) {
        auto* frame = new QGroupBox(QString::fromLatin1(column.title), page);
        auto* calls = new QGridLayout(frame);
        for (const editor::DscSelector& s : editor::DscSelectors())
            if (s.flag >= 16 && s.flag < 20) calls->addWidget(Label(s.label, frame), s.index, 0);
        for (const editor::DscSelector& s : editor::DscSelectors()) {
            if (s.flag < 16 || s.flag >= 20) continue;
            const QString what = QStringLiteral("%1, %2").arg(QString::fromLatin1(column.title),
                                                              Text(std::string(s.label)));
            Describe(flags_.at(column.first + s.index),
                     what + QStringLiteral(": received or not."));
            Describe(flags_.at(column.first + 4 + s.index),
                     what + QStringLiteral(": alarm level."));
        }
        for (int k = 0; k < 4; ++k) {
            calls->addWidget(flags_.at(column.first + k), k, 1);
            calls->addWidget(flags_.at(column.first + 4 + k), k, 2);
        }
        calls->setColumnStretch(3, 1);
        layout->addWidget(frame);
    }
    layout->addStretch();
    return page;
}

QWidget* DscPane::buildDisplayPage() {
    QWidget* page = Page("pictDSCChild", 2);
    auto* layout = new QVBoxLayout(page);
    auto* beep = new QGroupBox(QStringLiteral("DSC Beep Output"), page);
    auto* beepGrid = new QGridLayout(beep);
    auto* menus = new QGridLayout;
    for (const editor::DscSelector& s : editor::DscSelectors()) {
        QComboBox* combo = flags_.at(s.flag);
        if (s.flag >= 8 && s.flag < 16) {
            // One row each: the captions are long.
            Describe(combo, QStringLiteral("DSC beep for: ") + Text(std::string(s.label)));
            beepGrid->addWidget(Label(s.label, beep), s.index, 0);
            beepGrid->addWidget(combo, s.index, 1);
        } else if (s.flag >= 40) {
            Describe(combo, Text(std::string(s.label)) +
                                QStringLiteral(": shown in the radio's menu or not."));
            menus->addWidget(Label(s.label, page), s.index, 0);
            menus->addWidget(combo, s.index, 1);
        }
    }
    menus->setColumnStretch(2, 1);
    beepGrid->setColumnStretch(2, 1);
    layout->addLayout(menus);
    layout->addWidget(beep);
    layout->addStretch();
    return page;
}

void DscPane::prepare(ModelNumber) {
    open_ = false;
    kit_->forgetPending();
}

void DscPane::fill(const editor::PaneTarget&, const std::string&) {
    open_ = true;
    kit_->forgetPending();
    show();
}

void DscPane::show() {
    const editor::DscPaneView view = editor::ViewDscPane(context_.data);
    for (std::size_t k = 0; k < usable_.size(); ++k) ShowChoices(usable_[k], view.usable[k]);
    for (const auto& [flag, combo] : flags_) {
        ShowChoices(combo, editor::DscFlagChoices(context_.data.records, flag));
        const ModelNumber model = context_.app.modelNumber;
        combo->setEnabled(editor::DscFlagEnabled(context_.data.records, model, flag));
        const auto feature = editor::DscFlagFeature(flag);
        const QString reason =
            feature ? Text(editor::ControlKept(model, *feature).reason) : QString();
        combo->setToolTip(reason.isEmpty() ? FieldTip(combo) : reason);
    }
    if (userMmsi_ != kit_->pending()) ShowText(userMmsi_, view.userMmsi);
    showEntryCount(view.entryCount);
}

void DscPane::showEntryCount(const std::string& text) {
    count_->setText(Text(text));
}

void DscPane::clearCounter() {
    if (!validate() || !context_.runTransfer) return;
    context_.runTransfer(TransferMode::Clear);
    showEntryCount(editor::ViewDscPane(context_.data).entryCount);
}

bool DscPane::validate() {
    return !open_ || kit_->commitPending();
}

// ---- ATIS setup -----------------------------------------------------------------

AtisPane::AtisPane(PaneContext& context, QWidget* parent) : EditorPane(parent), context_(context) {
    setObjectName(QStringLiteral("pictATIS"));
    kit_ = new PaneKit(context_, this, [](const editor::EditResult&) {});
    tabs_ = Tabs("tbsATIS", this);
    tabs_->addTab(buildCommonPage(), QStringLiteral("Common"));
    tabs_->addTab(buildCallSignPage(), QStringLiteral("CallSign"));
    EnableCurrentPage(tabs_);
    (new QVBoxLayout(body()))->addWidget(tabs_);
}

// The ATIS code and the two channel-plan group frames.
QWidget* AtisPane::buildCommonPage() {
    QWidget* common = Page("pictATISChild", 0);
    auto* commonLayout = new QVBoxLayout(common);
    auto* codeRow = new QGridLayout;
    code_ = new QLineEdit(common);
    code_->setObjectName(QStringLiteral("txtATIScode"));
    RestrictBox(code_, editor::TextBox::AtisCode);
    kit_->hint(code_, editor::FocusHint(editor::TextBox::AtisCode));
    kit_->checkBox(code_, [this](const std::string& text) {
        return editor::CommitAtisCode(context_.data.records, context_.app, text);
    });
    Describe(code_, QStringLiteral("The ATIS code the radio sends: 10 digits starting with 9."));
    auto* codeLabel = Label(QStringLiteral("ATIS Code"), common);
    codeLabel->setObjectName(QStringLiteral("lblATIScode"));
    codeRow->addWidget(codeLabel, 0, 0);
    codeRow->addWidget(code_, 0, 1);
    codeRow->setColumnStretch(2, 1);
    commonLayout->addLayout(codeRow);
    addGroupFrames(common, commonLayout);
    commonLayout->addStretch();
    return common;
}

void AtisPane::addGroupFrames(QWidget* common, QVBoxLayout* commonLayout) {
    const struct {
        const char* title;
        const char* name;
        std::array<QCheckBox*, 4>* boxes;
        bool killer;
    } groups[] = {{"Usable ATIS CH Group", "chkATISChGroup", &chGroup_, false},
                  {"Usable ATIS Killer CH Group", "chkATISKiller", &killer_, true}};
    for (const auto& g : groups) {
        auto* frame = new QGroupBox(QString::fromLatin1(g.title), common);
        auto* row = new QHBoxLayout(frame);
        for (int k = 0; k < 4; ++k) {
            auto* box =
                new QCheckBox(k < 3 ? QString::fromLatin1(kGroupCaptions[k]) : QString(), frame);
            box->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(g.name)).arg(k));
            kit_->hint(box, editor::kCheckHint);
            Describe(box, g.killer ? QStringLiteral("The radio stops ATIS on this channel plan.")
                                   : QStringLiteral("ATIS is used on this channel plan."));
            const bool killer = g.killer;
            connect(box, &QCheckBox::clicked, this, [this, k, killer](bool ticked) {
                if (killer)
                    editor::SetAtisKiller(context_.data.records, context_.app, k, ticked);
                else
                    editor::SetAtisChGroup(context_.data.records, context_.app, k, ticked);
                show();
            });
            (*g.boxes)[static_cast<std::size_t>(k)] = box;
            row->addWidget(box);
        }
        row->addStretch();
        commonLayout->addWidget(frame);
        if (g.killer) {
            frame->setObjectName(QStringLiteral("fraATISKiller"));
            killerFrame_ = frame;
        }
    }
}

// The call signs in two columns: number, MID and display each.
QWidget* AtisPane::buildCallSignPage() {
    QWidget* calls = Page("pictATISChild", 1);
    auto* grid = new QGridLayout(calls);
    constexpr int kPerColumn = kCallSigns / 2;
    for (int c = 0; c < 2; ++c) {
        grid->addWidget(Label(QStringLiteral("ATIS No."), calls), 0, 3 * c, 1, 2);
        grid->addWidget(Label(QStringLiteral("Display"), calls), 0, 3 * c + 2);
    }
    for (int k = 0; k < kCallSigns; ++k) addCallSign(calls, grid, k);
    grid->setColumnStretch(6, 1);
    grid->setRowStretch(kPerColumn + 1, 1);
    return calls;
}

void AtisPane::addCallSign(QWidget* calls, QGridLayout* grid, int k) {
    constexpr int kPerColumn = kCallSigns / 2;
    const auto i = static_cast<std::size_t>(k);
    auto* number = Label(QString::number(k + 1), calls);
    number->setObjectName(QStringLiteral("lblATISNo_%1").arg(k));
    mid_[i] = new QLineEdit(calls);
    mid_[i]->setObjectName(QStringLiteral("txtATISMid_%1").arg(k));
    FitBox(mid_[i], 3, 50);
    RestrictBox(mid_[i], editor::TextBox::AtisMid);
    Describe(mid_[i], QStringLiteral("ATIS call sign %1: its country number (MID).").arg(k + 1));
    kit_->hint(mid_[i], editor::FocusHint(editor::TextBox::AtisMid));
    kit_->checkBox(mid_[i], [this, k](const std::string& text) {
        return editor::CommitAtisMid(context_.data.records, context_.app, k, text);
    });
    disp_[i] = new QLineEdit(calls);
    disp_[i]->setObjectName(QStringLiteral("txtATISDisp_%1").arg(k));
    FitBox(disp_[i], 3, 50);
    RestrictBox(disp_[i], editor::TextBox::AtisDisp);
    Describe(disp_[i], QStringLiteral("ATIS call sign %1: what the radio shows.").arg(k + 1));
    kit_->hint(disp_[i], editor::FocusHint(editor::TextBox::AtisDisp));
    connect(disp_[i], &QLineEdit::textEdited, this, [this, k](const QString& text) {
        editor::SetAtisDisp(context_.data.records, context_.app, k, Std(text));
    });
    const int row = 1 + k % kPerColumn;
    const int col = 3 * (k / kPerColumn);
    grid->addWidget(number, row, col);
    grid->addWidget(mid_[i], row, col + 1);
    grid->addWidget(disp_[i], row, col + 2);
}

void AtisPane::prepare(ModelNumber model) {
    open_ = false;
    kit_->forgetPending();
    killerFrame_->setVisible(ModelKeeps(model, Feature::KikkerGroup));
    const bool callSigns = ModelKeeps(model, Feature::CallSigns);
    if (!callSigns) tabs_->setCurrentIndex(0);
    tabs_->setTabVisible(1, callSigns);
}

void AtisPane::fill(const editor::PaneTarget&, const std::string&) {
    open_ = true;
    kit_->forgetPending();
    show();
}

void AtisPane::show() {
    const editor::AtisPaneView view =
        editor::ViewAtisPane(context_.data.records, context_.app.modelNumber);
    if (code_ != kit_->pending()) ShowText(code_, view.code);
    for (std::size_t k = 0; k < 4; ++k) {
        const QSignalBlocker b1(chGroup_[k]);
        const QSignalBlocker b2(killer_[k]);
        chGroup_[k]->setChecked(view.chGroup[k]);
        killer_[k]->setChecked(view.killer[k]);
    }
    chGroup_[3]->setText(Text(view.lastGroupCaption));
    killer_[3]->setText(Text(view.lastGroupCaption));
    for (std::size_t k = 0; k < mid_.size(); ++k) {
        if (mid_[k] != kit_->pending()) ShowText(mid_[k], view.mid[k]);
        ShowText(disp_[k], view.disp[k]);
    }
}

bool AtisPane::validate() {
    return !open_ || kit_->commitPending();
}

} // namespace qb41::gui
