#include "serial_port_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QSerialPortInfo>
#include <QVBoxLayout>

namespace qb41::gui {

SerialPortDialog::SerialPortDialog(const QString& current, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSerialPort"));
    setWindowTitle(QStringLiteral("Serial Port"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("&Device (choose a port or type its path):"), this);
    ports_ = new QComboBox(this);
    ports_->setObjectName(QStringLiteral("cmbPort"));
    ports_->setEditable(true);
    ports_->setMinimumWidth(360);
    label->setBuddy(ports_);
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        QString text = info.systemLocation();
        QStringList details;
        if (!info.description().isEmpty()) details << info.description();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier())
            details << QStringLiteral("USB %1:%2")
                           .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                           .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
        if (!details.isEmpty())
            text += QStringLiteral("  (%1)").arg(details.join(QStringLiteral(", ")));
        ports_->addItem(text, info.systemLocation());
    }
    ports_->setEditText(current);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(ports_);
    layout->addWidget(buttons);
}

QString SerialPortDialog::device() const {
    const QString text = ports_->currentText().trimmed();
    const int index = ports_->findText(text);
    if (index >= 0) return ports_->itemData(index).toString();
    return text;
}

} // namespace qb41::gui
