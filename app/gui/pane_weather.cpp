#include "pane_weather.h"

#include "editor/weather_pane.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace qb41::gui {
namespace {

constexpr int kRows = 10;
const QString kBlank = QStringLiteral(" ");
const QString kFocusMark = QStringLiteral(">");

} // namespace

WeatherPane::WeatherPane(PaneContext& context, QWidget* parent)
    : EditorPane(parent), context_(context) {
    setObjectName(QStringLiteral("pictD"));
    kit_ = new PaneKit(context_, this, [this](const editor::EditResult& r) { apply(r); });
    auto* grid = new QGridLayout(body());
    const char* headers[] = {"CH", "Enable", "Scan", "CH Name"};
    for (int c = 0; c < 4; ++c)
        grid->addWidget(new QLabel(QString::fromLatin1(headers[c]), this), 0, c);
    for (int i = 0; i < kRows; ++i) {
        Row row;
        row.label = new QLabel(this);
        row.label->setObjectName(QStringLiteral("lblWX_%1").arg(i));
        row.enable = new QCheckBox(kBlank, this);
        row.enable->setObjectName(QStringLiteral("chkDEnable_%1").arg(i));
        row.scan = new QCheckBox(kBlank, this);
        row.scan->setObjectName(QStringLiteral("chkDScan_%1").arg(i));
        row.name = new QLineEdit(this);
        row.name->setObjectName(QStringLiteral("txtDTagName_%1").arg(i));
        RestrictBox(row.name, editor::TextBox::WeatherName);

        kit_->hint(row.enable, QStringLiteral("Select[x]Enable/[]Disable."));
        kit_->hint(row.scan, editor::kCheckHint);
        kit_->hint(row.name, editor::FocusHint(editor::TextBox::WeatherName));
        PaneKit::help(row.enable, editor::kWeatherEnableHelp);
        PaneKit::help(row.scan, editor::kWeatherScanHelp);
        PaneKit::help(row.name, editor::kWeatherNameHelp);
        Describe(row.enable, QStringLiteral("The weather channel is available on the radio."));
        Describe(row.scan, QStringLiteral("The weather channel is scanned."));
        Describe(row.name, QStringLiteral("The weather channel's name."));
        row.enable->installEventFilter(this);
        row.scan->installEventFilter(this);

        connect(row.enable, &QCheckBox::clicked, this, [this, i](bool ticked) {
            apply(editor::SetWeatherEnable(context_.data.records, context_.app, i, ticked));
            show();
        });
        connect(row.scan, &QCheckBox::clicked, this, [this, i](bool ticked) {
            apply(editor::SetWeatherScan(context_.data.records, context_.app, i, ticked));
            show();
        });
        connect(row.name, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            apply(editor::SetWeatherName(context_.data.records, context_.app, i, Std(text)));
        });
        grid->addWidget(row.label, i + 1, 0);
        grid->addWidget(row.enable, i + 1, 1);
        grid->addWidget(row.scan, i + 1, 2);
        grid->addWidget(row.name, i + 1, 3);
        rows_.push_back(row);
    }
    grid->setRowStretch(kRows + 1, 1);
    grid->setColumnStretch(4, 1);
}

void WeatherPane::fill(const editor::PaneTarget&, const std::string&) {
    show();
}

void WeatherPane::show() {
    const std::vector<editor::WeatherRowView> view =
        editor::ViewWeatherPane(context_.data.records, context_.app.modelNumber);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const Row& row = rows_[i];
        const bool present = i < view.size();
        for (QWidget* w : {static_cast<QWidget*>(row.label), static_cast<QWidget*>(row.enable),
                           static_cast<QWidget*>(row.scan), static_cast<QWidget*>(row.name)})
            w->setVisible(present);
        if (!present) continue;
        const editor::WeatherRowView& v = view[i];
        row.label->setText(Text(v.label));
        {
            const QSignalBlocker b1(row.enable);
            const QSignalBlocker b2(row.scan);
            row.enable->setChecked(v.enable);
            row.scan->setChecked(v.scan);
        }
        ShowText(row.name, v.name);
        row.scan->setEnabled(v.detailsEnabled);
        row.name->setEnabled(v.nameState.enabled);
        row.name->setToolTip(v.nameState.reason.empty() ? FieldTip(row.name)
                                                        : Text(v.nameState.reason));
    }
}

void WeatherPane::apply(const editor::EditResult& result) {
    if (result.refill) show();
}

// The focused enable or scan box shows ">" as its caption.
bool WeatherPane::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        if (auto* box = qobject_cast<QCheckBox*>(watched))
            box->setText(event->type() == QEvent::FocusIn ? kFocusMark : kBlank);
    }
    return EditorPane::eventFilter(watched, event);
}

} // namespace qb41::gui
