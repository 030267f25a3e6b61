#include "pane_directory.h"

#include "editor/session.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTimer>

namespace qb41::gui {
namespace {

// Help contexts before the first entry is opened.
constexpr int kStartCheckHelp = 1049;
constexpr int kStartNameHelp = 1050;
constexpr int kStartMmsiHelp = 1051;

} // namespace

DirectoryPane::DirectoryPane(PaneContext& context, QWidget* parent)
    : EditorPane(parent), context_(context) {
    setObjectName(QStringLiteral("pictG"));
    kit_ = new PaneKit(context_, this, [this](const editor::EditResult& r) { apply(r); });
    build();
    connectEdits();
}

void DirectoryPane::build() {
    auto* grid = new QGridLayout(body());
    nameLabel_ = new QLabel(QStringLiteral("Station Name"), this);
    nameLabel_->setObjectName(QStringLiteral("lblTag"));
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("txtGPosi"));
    RestrictBox(name_, editor::TextBox::DirectoryName);
    kit_->hint(name_, editor::FocusHint(editor::TextBox::DirectoryName));
    mmsiLabel_ = new QLabel(QStringLiteral("MMSI"), this);
    mmsiLabel_->setObjectName(QStringLiteral("lblMmsi"));
    mmsi_ = new QLineEdit(this);
    mmsi_->setObjectName(QStringLiteral("txtGMMSI"));
    mmsiRule_ = RestrictBox(mmsi_, editor::TextBox::IndividualMmsi);
    kit_->hint(mmsi_, editor::FocusHint(editor::TextBox::IndividualMmsi));
    add_ = new QCheckBox(QStringLiteral("Add"), this);
    add_->setObjectName(QStringLiteral("chkGEnable"));
    delete_ = new QCheckBox(QStringLiteral("Delete"), this);
    delete_->setObjectName(QStringLiteral("chkGDelete"));
    for (QCheckBox* box : {add_, delete_}) {
        kit_->hint(box, editor::kCheckHint);
        PaneKit::help(box, kStartCheckHelp);
    }
    Describe(name_, QStringLiteral("The station or group name."));
    Describe(mmsi_, QStringLiteral("The station's 9-digit or the group's MMSI."));
    Describe(add_, QStringLiteral("Adds this entry to the directory."));
    Describe(delete_, QStringLiteral("Deletes this entry from the directory."));
    PaneKit::help(name_, kStartNameHelp);
    PaneKit::help(mmsi_, kStartMmsiHelp);

    grid->addWidget(nameLabel_, 0, 0);
    grid->addWidget(name_, 0, 1);
    grid->addWidget(mmsiLabel_, 1, 0);
    grid->addWidget(mmsi_, 1, 1);
    auto* checks = new QHBoxLayout;
    checks->addWidget(add_);
    checks->addWidget(delete_);
    checks->addStretch();
    grid->addLayout(checks, 2, 0, 1, 2);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
}

void DirectoryPane::connectEdits() {
    connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (open_)
            apply(editor::SetDirectoryName(context_.data.records, context_.app, ref_, Std(text)));
    });
    kit_->checkBox(mmsi_, [this](const std::string& text) {
        return editor::CommitDirectoryMmsi(context_.data.records, context_.app, context_.notifier,
                                           ref_, text);
    });
    connect(add_, &QCheckBox::clicked, this, [this](bool ticked) {
        if (!open_) return;
        const editor::EditResult result =
            ticked ? editor::AddDirectoryEntry(context_.data.records, context_.app, ref_)
                   : editor::EditResult{};
        apply(result);
        show();
        if (result.changed) name_->setFocus(Qt::OtherFocusReason); // the new entry's name
    });
    connect(delete_, &QCheckBox::clicked, this, [this](bool ticked) {
        if (!open_) return;
        if (ticked)
            apply(editor::DeleteDirectoryEntry(context_.data.records, context_.app,
                                               context_.notifier, ref_));
        show();
    });
}

editor::DirectoryKind DirectoryPane::treeKind() const {
    return ref_.kind == editor::MmsiKind::Individual ? editor::DirectoryKind::Individual
                                                     : editor::DirectoryKind::Group;
}

void DirectoryPane::prepare(ModelNumber) {
    open_ = false;
    kit_->forgetPending();
}

void DirectoryPane::fill(const editor::PaneTarget& target, const std::string& nodeKey) {
    ref_.kind = target.directory == editor::DirectoryKind::Individual ? editor::MmsiKind::Individual
                                                                      : editor::MmsiKind::Group;
    ref_.entry = target.index + 1;
    nodeKey_ = nodeKey;
    open_ = true;
    kit_->forgetPending();
    const bool individual = ref_.kind == editor::MmsiKind::Individual;
    mmsiRule_->setBox(individual ? editor::TextBox::IndividualMmsi : editor::TextBox::GroupMmsi);
    mmsi_->setMaxLength(
        editor::RuleFor(individual ? editor::TextBox::IndividualMmsi : editor::TextBox::GroupMmsi)
            .maxLength);
    show();
    context_.session.RefreshDirectoryTexts(treeKind());
}

void DirectoryPane::show() {
    const editor::DirectoryView view = editor::ViewDirectoryEntry(context_.data.records, ref_);
    nameLabel_->setText(Text(view.nameLabel));
    ShowText(name_, view.name);
    if (mmsi_ != kit_->pending()) ShowText(mmsi_, view.mmsi);
    {
        const QSignalBlocker b1(add_);
        const QSignalBlocker b2(delete_);
        add_->setChecked(view.addTicked);
        delete_->setChecked(view.deleteTicked);
    }
    // Boxes first: a focused "Add" that turns grey hands the focus on to the
    // next control that takes input.
    for (QWidget* w : {static_cast<QWidget*>(nameLabel_), static_cast<QWidget*>(name_),
                       static_cast<QWidget*>(mmsiLabel_), static_cast<QWidget*>(mmsi_)})
        w->setEnabled(view.fieldsEnabled);
    ShowState(delete_, view.remove);
    ShowState(add_, view.add);
    for (QCheckBox* box : {add_, delete_}) PaneKit::help(box, editor::kDirectoryCheckHelp);
    PaneKit::help(name_, editor::kDirectoryNameHelp);
    PaneKit::help(mmsi_, view.helpMmsi);
}

void DirectoryPane::apply(const editor::EditResult& result) {
    context_.session.ApplyEdit(result, nodeKey_);
    if (result.refill) show();
    // When an entry went, the pane now shows the one that moved up: the focus
    // waits on "Delete", not in a box where the next key would edit it.
    if (result.directoryTexts && result.changed) {
        QTimer::singleShot(0, delete_, [this] {
            if (delete_->isVisible()) delete_->setFocus(Qt::OtherFocusReason);
        });
    }
}

bool DirectoryPane::validate() {
    return !open_ || kit_->commitPending();
}

} // namespace qb41::gui
