// frmAbout: product name, version and a short notice.
#pragma once

#include <QDialog>

namespace qb41::gui {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

} // namespace qb41::gui
