#include "pane_channel.h"

#include "editor/session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

namespace qb41::gui {
namespace {

using editor::ChannelControl;
using editor::TextBox;

QLabel* MakeLabel(const char* name, const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLineEdit* MakeBox(const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

QCheckBox* MakeCheck(const char* name, const char* caption, QWidget* parent) {
    auto* check = new QCheckBox(QString::fromLatin1(caption), parent);
    check->setObjectName(QString::fromLatin1(name));
    return check;
}

QComboBox* MakeList(const QString& name, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setMinimumContentsLength(6);
    return combo;
}

} // namespace

ChannelPane::ChannelPane(PaneContext& context, QWidget* parent)
    : EditorPane(parent), context_(context) {
    setObjectName(QStringLiteral("pictC"));
    kit_ = new PaneKit(context_, this, [this](const editor::EditResult& r) { apply(r); });
    build();
}

void ChannelPane::addControl(ChannelControl control, QWidget* widget,
                             std::vector<QWidget*> buddies) {
    auto& list = widgets_[static_cast<std::size_t>(control)];
    list.push_back(widget);
    list.insert(list.end(), buddies.begin(), buddies.end());
}

void ChannelPane::build() {
    auto* grid = new QGridLayout(body());
    int row = 0;
    buildNumbers(grid, row);
    buildSwitches(grid, row);
    buildNameRows(grid, row);
    buildTones(grid, row);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(3, 1);
    describeControls();
    connectEdits();
}

// The channel number and the two frequencies with their units.
void ChannelPane::buildNumbers(QGridLayout* grid, int& row) {
    // Channel number: two characters and a suffix letter.
    auto* numberLabel = MakeLabel("lblCPosition", "CH Display", this);
    auto* numberRow = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        number_[static_cast<std::size_t>(i)] = MakeBox(QStringLiteral("txtCN_%1").arg(i), this);
        FitBox(number_[static_cast<std::size_t>(i)], i == 0 ? 2 : 1, i == 0 ? 40 : 28);
        numberRow->addWidget(number_[static_cast<std::size_t>(i)]);
    }
    numberRow->addStretch();
    RestrictBox(number_[0], TextBox::ChannelNumberLeft);
    RestrictBox(number_[1], TextBox::ChannelNumberRight);
    grid->addWidget(numberLabel, row, 0);
    grid->addLayout(numberRow, row++, 1, 1, 3);
    addControl(ChannelControl::NumberLeft, number_[0], {numberLabel});
    addControl(ChannelControl::NumberRight, number_[1]);

    const struct {
        QLineEdit** box;
        const char *name, *label, *labelName, *unitName;
        TextBox rule;
        ChannelControl control;
    } freqs[] = {
        {&rx_, "txtCRF", "Rx Frequency", "lblCRF", "lblCRFUnit", TextBox::RxFrequency,
         ChannelControl::RxFreq},
        {&tx_, "txtCTF", "Tx Frequency", "lblCTF", "lblCTFUnit", TextBox::TxFrequency,
         ChannelControl::TxFreq},
    };
    for (const auto& f : freqs) {
        auto* label = MakeLabel(f.labelName, f.label, this);
        auto* unit = MakeLabel(f.unitName, "MHz", this);
        *f.box = MakeBox(QString::fromLatin1(f.name), this);
        FitBox(*f.box, 9, 90);
        RestrictBox(*f.box, f.rule);
        kit_->hint(*f.box, editor::FocusHint(f.rule));
        grid->addWidget(label, row, 0);
        grid->addWidget(*f.box, row, 1);
        grid->addWidget(unit, row++, 2);
        addControl(f.control, *f.box, {label, unit});
    }
    const editor::FreqSide sides[] = {editor::FreqSide::Rx, editor::FreqSide::Tx};
    for (int i = 0; i < 2; ++i) {
        const editor::FreqSide side = sides[i];
        kit_->checkBox(i == 0 ? rx_ : tx_, [this, side](const std::string& text) {
            return editor::CommitChannelFrequency(context_.data.records, context_.app, ref_, side,
                                                  text);
        });
    }
}

// CH Enable, the transmit row, Duplex and Scan Memory.
void ChannelPane::buildSwitches(QGridLayout* grid, int& row) {
    enable_ = MakeCheck("chkCEnable", "CH Enable", this);
    grid->addWidget(enable_, row++, 0, 1, 2);
    addControl(ChannelControl::Enable, enable_);

    // The transmit row: Tx Enable (its own frame), Low Power Only, Power Up.
    txFrame_ = new QWidget(this);
    txFrame_->setObjectName(QStringLiteral("fraCTXEnable"));
    txEnable_ = MakeCheck("chkCTXEnable", "Tx Enable", txFrame_);
    (new QHBoxLayout(txFrame_))->addWidget(txEnable_);
    txFrame_->layout()->setContentsMargins(0, 0, 0, 0);
    lineTxOnly_ = new ConnectorLine(QStringLiteral("linCTXOnly"), Qt::Horizontal, this);
    lowPower_ = MakeCheck("chkCTXOnly", "Low Power Only", this);
    lineTxPower_ = new ConnectorLine(QStringLiteral("linCTXPower"), Qt::Horizontal, this);
    powerUp_ = MakeCheck("chkCTXPower", "Power Up", this);
    auto* txRow = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(txFrame_), static_cast<QWidget*>(lineTxOnly_),
                       static_cast<QWidget*>(lowPower_), static_cast<QWidget*>(lineTxPower_),
                       static_cast<QWidget*>(powerUp_)})
        txRow->addWidget(w);
    txRow->addStretch();
    grid->addLayout(txRow, row++, 0, 1, 4);
    addControl(ChannelControl::TxEnable, txEnable_, {txFrame_});
    addControl(ChannelControl::LowPower, lowPower_);
    addControl(ChannelControl::PowerUp, powerUp_);

    dupFrame_ = new QWidget(this);
    dupFrame_->setObjectName(QStringLiteral("fraCDup"));
    duplex_ = MakeCheck("chkCDup", "Duplex", dupFrame_);
    (new QHBoxLayout(dupFrame_))->addWidget(duplex_);
    dupFrame_->layout()->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(dupFrame_, row++, 0, 1, 2);
    addControl(ChannelControl::Duplex, duplex_, {dupFrame_});

    scan_ = MakeCheck("chkCScan", "Scan Memory", this);
    grid->addWidget(scan_, row++, 0, 1, 2);
    addControl(ChannelControl::Scan, scan_);
}

void ChannelPane::buildNameRows(QGridLayout* grid, int& row) {
    auto* nameLabel = MakeLabel("lblCTag", "CH Name", this);
    name_ = MakeBox(QStringLiteral("txtCTag"), this);
    RestrictBox(name_, TextBox::ChannelName);
    kit_->hint(name_, editor::FocusHint(TextBox::ChannelName));
    grid->addWidget(nameLabel, row, 0);
    grid->addWidget(name_, row++, 1, 1, 2);
    addControl(ChannelControl::Name, name_, {nameLabel});

    auto* scrambleLabel = MakeLabel("lblScramble", "Scrambler", this);
    scrambler_ = MakeList(QStringLiteral("cmbScramble"), this);
    grid->addWidget(scrambleLabel, row, 0);
    grid->addWidget(scrambler_, row++, 1);
    addControl(ChannelControl::Scrambler, scrambler_, {scrambleLabel});
}

void ChannelPane::buildTones(QGridLayout* grid, int& row) {
    // Bandwidth and tones: EXP channels of the models that keep them.
    toneFrame_ = new QGroupBox(this);
    toneFrame_->setObjectName(QStringLiteral("fraCTone"));
    auto* toneGrid = new QGridLayout(toneFrame_);
    wide_[0] = new QRadioButton(QStringLiteral("Wide"), toneFrame_);
    wide_[1] = new QRadioButton(QStringLiteral("Narrow"), toneFrame_);
    for (int i = 0; i < 2; ++i) {
        wide_[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("optCWide_%1").arg(i));
        toneGrid->addWidget(wide_[static_cast<std::size_t>(i)], 0, 1 + i);
    }
    lineTone_ = new ConnectorLine(QStringLiteral("linTone"), Qt::Horizontal, toneFrame_);
    toneGrid->addWidget(lineTone_, 1, 0, 1, 3);
    toneLabels_ = {MakeLabel("lblCTCSS", "CTCSS", toneFrame_),
                   MakeLabel("lblDCS", "DCS", toneFrame_),
                   MakeLabel("lblTxTone", "TX Tone", toneFrame_),
                   MakeLabel("lblRxTone", "RX Tone", toneFrame_)};
    toneGrid->addWidget(toneLabels_[0], 2, 1);
    toneGrid->addWidget(toneLabels_[1], 2, 2);
    toneGrid->addWidget(toneLabels_[2], 3, 0);
    toneGrid->addWidget(toneLabels_[3], 4, 0);
    for (int k = 0; k < 2; ++k) {
        const auto i = static_cast<std::size_t>(k);
        ctcss_[i] = MakeList(QStringLiteral("cmbCTCSS_%1").arg(k), toneFrame_);
        dcs_[i] = MakeList(QStringLiteral("cmbDCS_%1").arg(k), toneFrame_);
        toneGrid->addWidget(ctcss_[i], 3 + k, 1);
        toneGrid->addWidget(dcs_[i], 3 + k, 2);
    }
    compander_ = MakeCheck("chkComp", "COMP", toneFrame_);
    toneGrid->addWidget(compander_, 5, 1);
    grid->addWidget(toneFrame_, row++, 0, 1, 4);
    addControl(ChannelControl::WideNarrow, wide_[0], {wide_[1]});
    addControl(ChannelControl::TxCtcss, ctcss_[0]);
    addControl(ChannelControl::RxCtcss, ctcss_[1]);
    addControl(ChannelControl::TxDcs, dcs_[0]);
    addControl(ChannelControl::RxDcs, dcs_[1]);
    addControl(ChannelControl::Compander, compander_);
}

void ChannelPane::describeControls() {
    Describe(number_[0], QStringLiteral("The channel number the radio shows (two characters)."));
    Describe(number_[1], QStringLiteral("The letter after the channel number."));
    Describe(rx_, QStringLiteral("Receive frequency in MHz."));
    Describe(tx_, QStringLiteral("Transmit frequency in MHz."));
    Describe(enable_, QStringLiteral("The channel is available on the radio."));
    Describe(txEnable_, QStringLiteral("The radio may transmit on the channel."));
    Describe(lowPower_, QStringLiteral("Transmit with low power only."));
    Describe(powerUp_, QStringLiteral("Allow the power-up key on the channel."));
    Describe(duplex_, QStringLiteral("Use the duplex receive frequency."));
    Describe(scan_, QStringLiteral("The channel is in the scan memory."));
    Describe(name_, QStringLiteral("The channel name the radio shows."));
    Describe(scrambler_, QStringLiteral("Voice scrambler: off or code 1 to 4."));
    Describe(wide_[0], QStringLiteral("Wide bandwidth."));
    Describe(wide_[1], QStringLiteral("Narrow bandwidth."));
    Describe(ctcss_[0], QStringLiteral("CTCSS tone sent."));
    Describe(ctcss_[1], QStringLiteral("CTCSS tone the receiver waits for."));
    Describe(dcs_[0], QStringLiteral("DCS code sent."));
    Describe(dcs_[1], QStringLiteral("DCS code the receiver waits for."));
    Describe(compander_, QStringLiteral("Voice compander."));
}

void ChannelPane::connectEdits() {
    // User edits only: filling never emits these.
    const std::pair<QCheckBox*, ChannelControl> checks[] = {
        {enable_, ChannelControl::Enable},      {txEnable_, ChannelControl::TxEnable},
        {lowPower_, ChannelControl::LowPower},  {powerUp_, ChannelControl::PowerUp},
        {duplex_, ChannelControl::Duplex},      {scan_, ChannelControl::Scan},
        {compander_, ChannelControl::Compander}};
    for (const auto& [box, control] : checks) {
        const ChannelControl c = control;
        connect(box, &QCheckBox::clicked, this, [this, c](bool ticked) { onCheck(c, ticked); });
        kit_->hint(box, editor::kCheckHint);
        PaneKit::help(box, editor::ChannelHelpContext(c, false));
    }
    for (int i = 0; i < 2; ++i) {
        const bool narrow = i == 1;
        connect(wide_[static_cast<std::size_t>(i)], &QRadioButton::clicked, this,
                [this, narrow] { onCheck(ChannelControl::WideNarrow, narrow); });
        kit_->hint(wide_[static_cast<std::size_t>(i)], editor::kCheckHint);
    }
    const std::pair<QComboBox*, ChannelControl> lists[] = {{scrambler_, ChannelControl::Scrambler},
                                                           {ctcss_[0], ChannelControl::TxCtcss},
                                                           {ctcss_[1], ChannelControl::RxCtcss},
                                                           {dcs_[0], ChannelControl::TxDcs},
                                                           {dcs_[1], ChannelControl::RxDcs}};
    for (const auto& [combo, control] : lists) {
        const ChannelControl c = control;
        connect(combo, &QComboBox::activated, this, [this, c](int index) { onPick(c, index); });
        kit_->hint(combo, editor::kListHint);
    }
    PaneKit::help(scrambler_, editor::ChannelHelpContext(ChannelControl::Scrambler, false));
    PaneKit::help(name_, editor::ChannelHelpContext(ChannelControl::Name, false));
    connect(name_, &QLineEdit::textEdited, this,
            [this](const QString& text) { onText(ChannelControl::Name, text); });
    connect(number_[0], &QLineEdit::textEdited, this,
            [this](const QString& text) { onText(ChannelControl::NumberLeft, text); });
    connect(number_[1], &QLineEdit::textEdited, this,
            [this](const QString& text) { onText(ChannelControl::NumberRight, text); });
}

void ChannelPane::prepare(ModelNumber) {
    open_ = false;
    kit_->forgetPending();
}

void ChannelPane::fill(const editor::PaneTarget& target, const std::string& nodeKey) {
    ref_ = {target.bank, target.index};
    nodeKey_ = nodeKey;
    open_ = true;
    kit_->forgetPending();
    show();
}

void ChannelPane::show() {
    const editor::ChannelView view =
        editor::ViewChannel(context_.data.records, ref_, context_.app.modelNumber);
    const bool exp = view.exportChannel;

    // The box the user is still editing keeps the text typed.
    auto showBox = [this](QLineEdit* box, const std::string& text) {
        if (box != kit_->pending()) ShowText(box, text);
    };
    showBox(number_[0], view.numberLeft);
    showBox(number_[1], view.numberRight);
    showBox(rx_, view.rxText);
    showBox(tx_, view.txText);
    showBox(name_, view.name);
    for (QLineEdit* box : {number_[0], number_[1], rx_, tx_}) box->setReadOnly(!exp);

    const std::pair<QCheckBox*, bool> ticks[] = {
        {enable_, view.enable},      {txEnable_, view.txEnable}, {lowPower_, view.lowPower},
        {powerUp_, view.powerUp},    {duplex_, view.duplex},     {scan_, view.scan},
        {compander_, view.compander}};
    for (const auto& [box, ticked] : ticks) {
        const QSignalBlocker blocker(box);
        box->setChecked(ticked);
    }
    {
        const QSignalBlocker b0(wide_[0]);
        const QSignalBlocker b1(wide_[1]);
        wide_[view.narrow ? 1 : 0]->setChecked(true);
    }
    ShowChoices(scrambler_, view.scrambler);
    for (std::size_t k = 0; k < 2; ++k) {
        ShowChoices(ctcss_[k], view.ctcss[k]);
        ShowChoices(dcs_[k], view.dcs[k]);
    }

    for (int c = 0; c < editor::kChannelControls; ++c) {
        const editor::ControlState& state = view.controls[static_cast<std::size_t>(c)];
        for (QWidget* w : widgets_[static_cast<std::size_t>(c)]) ShowState(w, state);
    }
    toneFrame_->setVisible(view.state(ChannelControl::WideNarrow).visible);
    for (QWidget* label : toneLabels_)
        label->setEnabled(view.state(ChannelControl::TxCtcss).enabled);
    lineTxOnly_->setActive(view.lineTxOnly);
    lineTxPower_->setActive(view.lineTxPower);
    lineTone_->setActive(view.lineTone);

    // Hints and help of the boxes that are typed only on EXP channels.
    const std::pair<QLineEdit*, ChannelControl> typed[] = {
        {number_[0], ChannelControl::NumberLeft},
        {number_[1], ChannelControl::NumberRight},
        {rx_, ChannelControl::RxFreq},
        {tx_, ChannelControl::TxFreq}};
    for (const auto& [box, control] : typed)
        PaneKit::help(box, editor::ChannelHelpContext(control, exp));
    kit_->hint(number_[0],
               exp ? editor::FocusHint(TextBox::ChannelNumberLeft) : std::string_view());
    kit_->hint(number_[1],
               exp ? editor::FocusHint(TextBox::ChannelNumberRight) : std::string_view());
}

void ChannelPane::apply(const editor::EditResult& result) {
    context_.session.ApplyEdit(result, nodeKey_);
    if (result.refill) show();
}

void ChannelPane::onCheck(ChannelControl control, bool ticked) {
    if (!open_) return;
    apply(editor::SetChannelCheck(context_.data.records, context_.app, ref_, control, ticked));
    show(); // a refused click shows the record's value again
}

void ChannelPane::onPick(ChannelControl control, int index) {
    if (!open_) return;
    apply(editor::PickChannelChoice(context_.data.records, context_.app, ref_, control, index));
    show();
}

void ChannelPane::onText(ChannelControl control, const QString& text) {
    if (!open_) return;
    apply(editor::SetChannelText(context_.data.records, context_.app, ref_, control, Std(text)));
}

bool ChannelPane::validate() {
    if (!open_) return true;
    if (!kit_->commitPending()) return false;
    const auto message =
        editor::CheckChannelComplete(context_.data.records, ref_, context_.app.windowTitle);
    if (!message) return true;
    kit_->show(*message);
    const ChannelRecord& rec =
        context_.data.records.bank(ref_.bank).at(static_cast<std::size_t>(ref_.index));
    (rec.Rxfreq > 0 ? number_[0] : rx_)->setFocus(Qt::OtherFocusReason);
    return false;
}

} // namespace qb41::gui
