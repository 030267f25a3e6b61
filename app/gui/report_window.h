// frmPrn: the report window of File > Print To File. It opens with a
// "please wait" line, builds the report text (report/report_text.h) once it is
// on screen, shows it read-only in the report's fixed-pitch font and saves it
// as a .txt file: exactly the text shown, followed by one CR LF.
#pragma once

#include "file_dialogs.h"

#include "core/app_state.h"
#include "core/clock.h"
#include "core/notifier.h"
#include "core/records.h"

#include <QDialog>

#include <filesystem>
#include <string>

class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace qb41::gui {

struct ReportWindowParts {
    AppState& app;       // error and cancel flags of Save As
    const DataSet& data; // the report is built from a copy
    Notifier& notifier;
    Clock& clock;         // the pauses after building and saving
    FileDialogs& dialogs; // Save As
};

inline constexpr const char* kReportWindowCaption = "Print to File";
inline constexpr const char* kMakingTextImage = "Now, making text image. Please wait...";
inline constexpr const char* kReportFileFilter = "Text files(*.txt)|*.txt|All files(*.*)|*.*";
// Initial outer size in pixels.
inline constexpr int kReportWindowWidth = 558;
inline constexpr int kReportWindowHeight = 409;

class ReportWindow : public QDialog {
    Q_OBJECT
public:
    explicit ReportWindow(ReportWindowParts parts, QWidget* parent = nullptr);

    // The report as built (lines joined by CR LF); empty until it is.
    const std::string& reportText() const { return text_; }
    bool textReady() const { return ready_; }
    // File > Save As: asks for a name, then saveTo(). False when cancelled
    // or failed.
    bool saveAs();
    // Writes the shown text and one CR LF to `path`. A failure shows the
    // system's description, titled with the model name and the window title,
    // and sets the error and cancel flags.
    bool saveTo(const std::filesystem::path& path);

signals:
    void reportShown();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildText();

    ReportWindowParts parts_;
    std::string text_;
    bool ready_ = false;
    bool sized_ = false;
    QMenuBar* menu_ = nullptr;
    QPlainTextEdit* txtPrn_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QTimer* timer1_ = nullptr;
};

} // namespace qb41::gui
