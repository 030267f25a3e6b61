#include "about_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace qb41::gui {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About QB41"));
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QStringLiteral("<b>QB41</b>"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    auto* version =
        new QLabel(QStringLiteral("Version %1").arg(QStringLiteral(QB41_VERSION)), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto* description = new QLabel(QStringLiteral("PC Program for TQ4800M/LW6100 Series"), this);
    description->setObjectName(QStringLiteral("lblDescription"));
    auto* notice = new QLabel(
        QStringLiteral("Reads, edits and programs the channel plans, DSC and ATIS settings of the "
                       "radio over its clone cable.\nKeep a saved copy of the radio's data before "
                       "programming it."),
        this);
    notice->setObjectName(QStringLiteral("lblDisclaimer"));
    notice->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName(QStringLiteral("cmdOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    for (QWidget* w : std::initializer_list<QWidget*>{title, version, description, notice, buttons})
        layout->addWidget(w);
}

} // namespace qb41::gui
