// Options > SerialPort > Other...: the serial ports the system reports, with
// their description and USB ids where known, or any device path typed in.
#pragma once

#include <QDialog>

class QComboBox;

namespace qb41::gui {

class SerialPortDialog : public QDialog {
    Q_OBJECT
public:
    SerialPortDialog(const QString& current, QWidget* parent = nullptr);
    QString device() const;

private:
    QComboBox* ports_;
};

} // namespace qb41::gui
