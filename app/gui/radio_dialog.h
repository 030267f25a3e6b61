// frmRadio: the modal transfer dialog. It shows the cloning instructions,
// starts the mode's run on OK, shows its progress and lets Cancel stop it.
//
// The dialog only paints what TransferFlow (editor/transfer_flow.h) decides
// and forwards the buttons, Esc, the close box and the run's reports to it.
// The run itself goes on a TransferRunner's worker thread over copies of the
// state and the data set; the dialog keeps the last run's result for the
// caller, who applies the follow-up once the dialog has closed.
#pragma once

#include "transfer_runner.h"

#include "editor/transfer_flow.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QFrame;
class QLabel;
class QPushButton;

namespace qb41::gui {

struct RadioDialogParts {
    AppState& app;       // the window's state; the flow keeps its flags
    const DataSet& data; // copied for every run
    std::string device;  // the port to open
    TransferRunParts run;
    // Opens the help file on the dialog's topic; empty when there is none.
    std::function<void(int context)> openHelp;
    // What OK runs besides the mode: the program choices, where backups go,
    // and for a restore the backup's bytes and model.
    SequencePlan plan{};
    std::optional<ModelNumber> restoreModel{};
};

class RadioDialog : public QDialog {
    Q_OBJECT
public:
    RadioDialog(TransferMode mode, RadioDialogParts parts, QWidget* parent = nullptr);
    ~RadioDialog() override;

    const TransferFlow& flow() const { return flow_; }
    // The last finished run's result; null when no run has ended.
    const TransferResult* result() const { return runner_->result(); }
    // What the user chose to do next in a box after the run (Yes to switching
    // the model and reading again, or to restoring a backup).
    const TransferBox* chosenOffer() const { return offer_ ? &*offer_ : nullptr; }

signals:
    // A run started (true) or ended (false).
    void runningChanged(bool running);

protected:
    void reject() override; // Esc
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void buildPictures();
    void buildButtons();
    void placeControls();
    void onOk();
    void onCancel();
    void onHelp();
    void onFinished(const TransferResult* result);
    void perform(TransferAction action);
    void showBoxes(const TransferResult& result);
    void paint();

    RadioDialogParts parts_;
    TransferFlow flow_;
    std::unique_ptr<TransferRunner> runner_;
    std::optional<TransferBox> offer_;
    bool sized_ = false;

    QWidget* stage_ = nullptr;
    QLabel* lblmess_ = nullptr;
    QLabel* pictA_ = nullptr;
    QLabel* pictB_ = nullptr;
    QLabel* pictHandy_ = nullptr;
    QFrame* pictProgress_ = nullptr;
    QLabel* lblPercent_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QPushButton* cmdHelp_ = nullptr;
};

} // namespace qb41::gui
