#include "exchange_commands.h"

#include "radio_dialog.h"

#include "editor/bank_csv.h"
#include "editor/file_edge.h"
#include "files/data_files.h"
#include "files/field_address.h"
#include "files/file_io.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <functional>
#include <memory>

namespace qb41::gui {
namespace {

// A list of lines under a caption, closed with OK.
void ShowLines(MainWindow& window, const QString& title, const QString& caption,
               const std::vector<std::string>& lines) {
    QDialog dialog(&window);
    dialog.setObjectName(QStringLiteral("dlgFieldList"));
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(caption, &dialog);
    label->setObjectName(QStringLiteral("lblFieldList"));
    layout->addWidget(label);
    auto* text = new QPlainTextEdit(&dialog);
    text->setObjectName(QStringLiteral("txtFieldList"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    QString all;
    for (const std::string& line : lines) all += QString::fromStdString(line) + QLatin1Char('\n');
    text->setPlainText(all);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.resize(720, 420);
    dialog.exec();
}

const BankWord* BankInView(MainWindow& window, const ExchangeParts& parts) {
    const BankWord* bank = editor::BankWordForNode(window.session().currentKey());
    if (!bank)
        parts.notifier.show(MessageIcon::Information, parts.app.windowTitle,
                            "Select a channel bank, the weather channels or a directory first.");
    return bank;
}

// No exception leaves a menu command.
void Guarded(const ExchangeParts& parts, const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& error) {
        parts.notifier.show(MessageIcon::Warning, parts.app.windowTitle, error.what());
    }
}

} // namespace

void CompareWithFile(MainWindow& window, const ExchangeParts& parts, const std::string& path) {
    AppState otherState = parts.app;
    DataSet other;
    FileContext file{otherState, other, parts.notifier, parts.log};
    if (!LoadDataSetFor(file, path, std::nullopt)) return;
    const std::vector<FieldDifference> differences =
        DiffFields(ListFields(parts.data.records, parts.app.modelNumber),
                   ListFields(other.records, otherState.modelNumber));
    std::vector<std::string> lines;
    for (const FieldDifference& d : differences) lines.push_back(DifferenceLine(d));
    const QString caption =
        differences.empty()
            ? QStringLiteral("No field differs from %1.").arg(QString::fromStdString(path))
            : QStringLiteral("%1 field(s) differ: this data set -> %2")
                  .arg(differences.size())
                  .arg(QString::fromStdString(path));
    ShowLines(window, QString::fromStdString(parts.app.windowTitle), caption, lines);
}

void CompareWithRadio(MainWindow& window, const ExchangeParts& parts) {
    AppState scratch = parts.app;
    scratch.transferMode = TransferMode::Read;
    scratch.completed = false;
    RadioDialog dialog(
        TransferMode::Read,
        {scratch, parts.data, window.session().PortDevice(), {parts.notifier, parts.log, {}}, {}},
        &window);
    dialog.exec();
    const TransferResult* result = dialog.result();
    if (!result || result->outcome != link::LinkStatus::Ok) return;
    const std::vector<FieldDifference> differences =
        DiffFields(ListFields(parts.data.records, parts.app.modelNumber),
                   ListFields(result->data.records, parts.app.modelNumber));
    std::vector<std::string> lines;
    for (const FieldDifference& d : differences) lines.push_back(DifferenceLine(d));
    ShowLines(window, QString::fromStdString(parts.app.windowTitle),
              differences.empty() ? QStringLiteral("No field differs from the radio.")
                                  : QStringLiteral("%1 field(s) differ: this data set -> the radio")
                                        .arg(differences.size()),
              lines);
}

void ExportCsvFile(MainWindow& window, const ExchangeParts& parts, const std::string& path) {
    const BankWord* bank = BankInView(window, parts);
    if (!bank) return;
    try {
        WriteFileAtomically(
            path, editor::ExportBankCsv(parts.data.records, parts.app.modelNumber, *bank));
    } catch (const std::exception& error) {
        parts.notifier.show(MessageIcon::Warning, parts.app.windowTitle,
                            FileMessage("Export CSV Error!!", path, FileFailureCause(error)));
    }
}

void ImportCsvFile(MainWindow& window, const ExchangeParts& parts, const std::string& path) {
    const BankWord* bank = BankInView(window, parts);
    if (!bank) return;
    std::string text;
    try {
        text = ReadWholeFile(path, 16 << 20);
    } catch (const std::exception& error) {
        parts.notifier.show(MessageIcon::Warning, parts.app.windowTitle,
                            FileMessage("Import CSV Error!!", path, FileFailureCause(error)));
        return;
    }
    const editor::CsvImport result =
        editor::ImportBankCsv(parts.data.records, parts.app, *bank, text);
    if (!result.refusals.empty()) {
        std::vector<std::string> lines;
        for (const editor::CsvRefusal& r : result.refusals)
            lines.push_back(editor::RefusalLine(r, result.header));
        ShowLines(window, QString::fromStdString(parts.app.windowTitle),
                  QStringLiteral("%1 cell(s) refused; nothing was changed.").arg(lines.size()),
                  lines);
        return;
    }
    editor::EditResult edit;
    edit.changed = result.changedCells > 0;
    edit.refill = true;
    edit.rebuildTree = true;
    edit.directoryTexts = true;
    window.session().ApplyEdit(edit, window.session().currentKey());
    window.session().ShowCurrentPane();
}

void InstallExchangeCommands(MainWindow& window, ExchangeParts parts) {
    auto shared = std::make_shared<ExchangeParts>(parts);
    QMenu* file = window.fileMenu();
    QAction* exit = window.action(QStringLiteral("mnuFileExit"));
    const struct {
        const char* name;
        const char* caption;
        const char* filter;
        bool save;
        void (*run)(MainWindow&, const ExchangeParts&, const std::string&);
    } items[] = {{"mnuFileCompare", kCompareCaption, kCompareFileFilter, false, CompareWithFile},
                 {"mnuFileImportCsv", kImportCsvCaption, kCsvFileFilter, false, ImportCsvFile},
                 {"mnuFileExportCsv", kExportCsvCaption, kCsvFileFilter, true, ExportCsvFile}};
    for (const auto& item : items) {
        auto* act = new QAction(QString::fromLatin1(item.caption), file);
        act->setObjectName(QString::fromLatin1(item.name));
        file->insertAction(exit, act);
        const editor::FileDialogSpec spec{item.filter, item.save};
        auto run = item.run;
        QObject::connect(act, &QAction::triggered, &window, [&window, shared, spec, run] {
            if (!window.validateEditor()) return;
            const std::string path =
                spec.save ? window.askSaveFileName(spec) : window.askOpenFileName(spec);
            if (path.empty()) return;
            Guarded(*shared, [&] { run(window, *shared, path); });
        });
    }
    file->insertSeparator(exit);

    if (auto* transfer = window.findChild<QMenu*>(QStringLiteral("mnuTransfer"))) {
        auto* act = new QAction(QString::fromLatin1(kCompareRadioCaption), transfer);
        act->setObjectName(QStringLiteral("mnuTransferCompare"));
        transfer->addAction(act);
        QObject::connect(act, &QAction::triggered, &window, [&window, shared] {
            if (!window.validateEditor()) return;
            Guarded(*shared, [&] { CompareWithRadio(window, *shared); });
        });
    }
}

} // namespace qb41::gui
