#include "pane_setup.h"

#include "editor/session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

namespace qb41::gui {
namespace {

QLabel* Label(const QString& name, const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(name);
    return label;
}

QComboBox* List(const QString& name, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setMinimumContentsLength(5);
    return combo;
}

void ShowLabelled(QWidget* control, QWidget* label, const editor::ControlState& state) {
    ShowState(control, state);
    ShowState(label, state);
}

} // namespace

// ---- Usable groups ----------------------------------------------------------

UsablePane::UsablePane(PaneContext& context, QWidget* parent)
    : EditorPane(parent), context_(context) {
    setObjectName(QStringLiteral("pictUsable"));
    kit_ = new PaneKit(context_, this, [this](const editor::EditResult& r) { apply(r); });
    auto* layout = new QVBoxLayout(body());
    for (int g = 0; g < kUsableGroups; ++g) {
        layout->addWidget(buildGroup(g));
        describeGroup(g);
        connectGroup(g);
    }
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addStretch();
}

// One group's frame: the switch and its lists on the first row, the status
// icon and name below the switch.
QWidget* UsablePane::buildGroup(int g) {
    Row& row = rows_[static_cast<std::size_t>(g)];
    auto* frame = new QGroupBox(this);
    auto* grid = new QGridLayout(frame);
    row.usable = new QCheckBox(frame);
    row.usable->setObjectName(QStringLiteral("chkUsable_%1").arg(g));
    // The four groups line up: the switch column is as wide as the
    // longest caption a group can have.
    row.usable->setMinimumWidth(
        row.usable->fontMetrics().horizontalAdvance(QStringLiteral("CANADA")) +
        row.usable->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
        row.usable->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing) + 4);
    row.totLabel = Label(QStringLiteral("lblUsableTot_%1").arg(g), "TX TOT", frame);
    row.tot = List(QStringLiteral("cmbUsableTot_%1").arg(g), frame);
    row.priorityLabel = Label(QStringLiteral("lblUsablePri_%1").arg(g), "Priority CH", frame);
    row.priority = List(QStringLiteral("cmbUsablePri_%1").arg(g), frame);
    row.iconLabel = Label(QStringLiteral("lblUsableSts_%1").arg(g), "Status Icon", frame);
    row.icon = List(QStringLiteral("cmbUsableSts_%1").arg(g), frame);
    row.line = new ConnectorLine(QStringLiteral("linUsable_%1").arg(g), Qt::Horizontal, frame);
    row.nameLabel = Label(QStringLiteral("lblUsable_%1").arg(g), "Status Name", frame);
    row.name = new QLineEdit(frame);
    row.name->setObjectName(QStringLiteral("txtUsable_%1").arg(g));
    FitBox(row.name, 5);
    RestrictBox(row.name, editor::TextBox::StatusName);

    // Two rows in a narrow pane: the group's switch and its lists on the
    // first, the status icon and name below the switch.
    grid->setHorizontalSpacing(4);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->addWidget(row.usable, 0, 0);
    grid->addWidget(row.totLabel, 0, 1);
    grid->addWidget(row.tot, 0, 2);
    grid->addWidget(row.priorityLabel, 0, 3);
    grid->addWidget(row.priority, 0, 4);
    grid->addWidget(row.iconLabel, 1, 0);
    grid->addWidget(row.icon, 1, 1, 1, 2);
    auto* nameRow = new QHBoxLayout;
    nameRow->setSpacing(4);
    nameRow->addWidget(row.line);
    nameRow->addWidget(row.nameLabel);
    nameRow->addWidget(row.name);
    grid->addLayout(nameRow, 1, 3, 1, 2);
    grid->setColumnStretch(5, 1);
    // Controls a model or an unused group hides keep their room: the
    // pane is as wide for every file, so the window's start width fits.
    for (QWidget* w : std::initializer_list<QWidget*>{row.totLabel, row.tot, row.priorityLabel,
                                                      row.priority, row.iconLabel, row.icon,
                                                      row.line, row.nameLabel, row.name}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    return frame;
}

void UsablePane::describeGroup(int g) {
    const Row& row = rows_[static_cast<std::size_t>(g)];
    kit_->hint(row.usable, editor::kCheckHint);
    Describe(row.usable, QStringLiteral("The radio offers this channel plan."));
    Describe(row.tot, QStringLiteral("Transmit time-out timer on the plan's channels."));
    Describe(row.priority, QStringLiteral("The plan's priority channel."));
    Describe(row.icon, QStringLiteral("The icon the radio shows for the plan."));
    Describe(row.name, QStringLiteral("The name the radio shows for the plan (4 characters)."));
    for (QComboBox* combo : {row.tot, row.priority, row.icon}) kit_->hint(combo, editor::kListHint);
    kit_->hint(row.name, editor::FocusHint(editor::TextBox::StatusName));
}

void UsablePane::connectGroup(int g) {
    const Row& row = rows_[static_cast<std::size_t>(g)];
    connect(row.usable, &QCheckBox::clicked, this, [this, g](bool ticked) {
        apply(editor::SetGroupUsable(context_.data.records, context_.app, g, ticked));
        show();
    });
    const std::pair<QComboBox*, editor::UsableChoice> lists[] = {
        {row.tot, editor::UsableChoice::TxTot},
        {row.priority, editor::UsableChoice::Priority},
        {row.icon, editor::UsableChoice::StatusIcon}};
    for (const auto& [combo, choice] : lists) {
        const editor::UsableChoice which = choice;
        connect(combo, &QComboBox::activated, this, [this, g, which](int index) {
            apply(editor::PickGroupChoice(context_.data.records, context_.app, g, which, index));
            show();
        });
    }
    kit_->checkBox(row.name, [this, g](const std::string& text) {
        return editor::CommitStatusName(context_.data.records, context_.app, g, text);
    });
}

void UsablePane::prepare(ModelNumber) {
    open_ = false;
    kit_->forgetPending();
    show(); // the model's captions and rows, so the pane's size is known before it opens
}

void UsablePane::fill(const editor::PaneTarget&, const std::string&) {
    open_ = true;
    kit_->forgetPending();
    show();
}

void UsablePane::show() {
    const auto view = editor::ViewUsablePane(context_.data.records, context_.app.modelNumber);
    for (std::size_t g = 0; g < rows_.size(); ++g) {
        const Row& row = rows_[g];
        const editor::UsableRowView& v = view[g];
        {
            const QSignalBlocker blocker(row.usable);
            row.usable->setText(Text(v.caption));
            row.usable->setChecked(v.usable);
        }
        ShowChoices(row.tot, v.txTot);
        ShowChoices(row.priority, v.priority);
        ShowChoices(row.icon, v.statusIcon);
        if (row.name != kit_->pending()) ShowText(row.name, v.statusName);
        ShowLabelled(row.tot, row.totLabel, v.txTotState);
        ShowLabelled(row.priority, row.priorityLabel, v.priorityState);
        ShowLabelled(row.icon, row.iconLabel, v.statusIconState);
        ShowLabelled(row.name, row.nameLabel, v.statusNameState);
        row.line->setVisible(v.statusNameState.visible);
        row.line->setActive(v.statusNameState.enabled);
    }
}

void UsablePane::apply(const editor::EditResult& result) {
    context_.session.ApplyEdit(result, "Usable");
    if (result.refill) show();
}

bool UsablePane::validate() {
    return !open_ || kit_->commitPending();
}

// ---- Common setup -------------------------------------------------------------

CommonPane::CommonPane(PaneContext& context, QWidget* parent)
    : EditorPane(parent), context_(context) {
    setObjectName(QStringLiteral("pictCommon"));
    kit_ = new PaneKit(context_, this, [](const editor::EditResult&) {});
    using editor::CommonChoice;
    const struct {
        CommonChoice choice;
        const char* suffix;
        const char* label;
        int frame; // 0 none, 1 "NMEA Data Input", 2 "Weather CH Function"
        bool line; // joined to "Scanning Function"
    } rows[] = {
        {CommonChoice::TxPoDisplay, "TXPo", "TX Po Display", 0, false},
        {CommonChoice::Scan, "Scan", "Scanning Function", 0, false},
        {CommonChoice::ResumeTime, "Resume", "Resume Time", 0, true},
        {CommonChoice::PttScanClear, "PTTSCAN", "PTT SCAN Clear", 0, true},
        {CommonChoice::DualWatch, "Dual", "Dual Watch", 0, false},
        {CommonChoice::OffsetTime, "Offset", "Offset Time", 1, false},
        {CommonChoice::MagVar, "Mag", "Magnetic Variation", 1, false},
        {CommonChoice::Weather, "Weater", "Weather Alert", 2, false},
        {CommonChoice::Rotary, "Rotary", "Rotary Beep", 0, false},
    };
    auto* layout = new QVBoxLayout(body());
    auto* main = new QGridLayout;
    layout->addLayout(main);
    QGroupBox* frames[3] = {nullptr, new QGroupBox(QStringLiteral("NMEA Data Input"), this),
                            new QGroupBox(QStringLiteral("Weather CH Function"), this)};
    frames[1]->setObjectName(QStringLiteral("fraCommonNmea"));
    frames[2]->setObjectName(QStringLiteral("fraCommonWeather"));
    QGridLayout* frameGrids[3] = {main, new QGridLayout(frames[1]), new QGridLayout(frames[2])};
    int counts[3] = {0, 0, 0};
    for (const auto& r : rows) {
        const auto i = static_cast<std::size_t>(r.choice);
        QWidget* owner = r.frame == 0 ? static_cast<QWidget*>(this) : frames[r.frame];
        labels_[i] =
            Label(QStringLiteral("lblCommon%1").arg(QLatin1String(r.suffix)), r.label, owner);
        lists_[i] = List(QStringLiteral("cmbCommon%1").arg(QLatin1String(r.suffix)), owner);
        QGridLayout* grid = frameGrids[r.frame];
        const int at = counts[r.frame]++;
        if (r.line) {
            lines_[i] = new ConnectorLine(
                QStringLiteral("linCommon%1").arg(QLatin1String(r.suffix)), Qt::Horizontal, owner);
            lines_[i]->setMaximumWidth(16);
            grid->addWidget(lines_[i], at, 0);
        }
        grid->addWidget(labels_[i], at, 1);
        grid->addWidget(lists_[i], at, 2);
        kit_->hint(lists_[i], editor::kListHint);
        Describe(lists_[i], QString::fromLatin1(r.label) + QStringLiteral(" of the radio."));
        const CommonChoice which = r.choice;
        connect(lists_[i], &QComboBox::activated, this, [this, which](int index) {
            editor::PickCommonChoice(context_.data.records, context_.app, which, index);
            show();
        });
    }
    main->setColumnStretch(3, 1);
    layout->addWidget(frames[1]);
    layout->addWidget(frames[2]);
    layout->addStretch();
}

void CommonPane::fill(const editor::PaneTarget&, const std::string&) {
    show();
}

void CommonPane::show() {
    const editor::CommonPaneView view =
        editor::ViewCommonPane(context_.data.records, context_.app.modelNumber);
    for (std::size_t i = 0; i < lists_.size(); ++i) {
        ShowChoices(lists_[i], view.lists[i]);
        ShowLabelled(lists_[i], labels_[i], view.states[i]);
        if (lines_[i]) lines_[i]->setActive(view.states[i].enabled);
    }
}

} // namespace qb41::gui
