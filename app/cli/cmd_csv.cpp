// export and import: one bank or directory as a CSV table.
#include "cli.h"
#include "identity_warnings.h"

#include "editor/bank_csv.h"
#include "editor/file_edge.h"
#include "files/data_files.h"
#include "files/file_io.h"

namespace qb41::cli {
namespace {

const BankWord& BankOption(const Arguments& args) {
    const std::optional<std::string> word = args.option("--bank");
    if (!word) throw UsageError{"--bank is required"};
    const BankWord* bank = FindBankWord(*word);
    if (!bank) throw UsageError{"--bank must be usa, intl, canada, wx, exp, individual or group"};
    return *bank;
}

} // namespace

// qb41-cli export FILE --bank B OUT.csv
int RunExport(Context& context, const Arguments& args) {
    const BankWord& bank = BankOption(args);
    if (args.operands().size() != 2) throw UsageError{"expected an input file and OUT.csv"};
    const std::string& in = args.operands()[0];
    const std::string& out = args.operands()[1];
    if (!CanLoad(FileKindOf(in))) throw UsageError{"FILE must be a .dat, .hex or .ini file"};
    LoadInput(context, "export", in, args.model(), IncompleteFile::Warn);
    const std::string table =
        editor::ExportBankCsv(context.data.records, context.app.modelNumber, bank);
    if (out == "-") {
        context.out << table;
        return 0;
    }
    try {
        WriteFileAtomically(FilePath(out), table);
    } catch (const std::exception& error) {
        context.err << "qb41-cli export: cannot write " << out << ": " << FileFailureCause(error)
                    << '\n';
        throw Failed{};
    }
    return 0;
}

// qb41-cli import FILE --bank B IN.csv [-o OUT]
int RunImport(Context& context, const Arguments& args) {
    const BankWord& bank = BankOption(args);
    if (args.operands().size() != 2) throw UsageError{"expected FILE and IN.csv"};
    const std::string& in = args.operands()[0];
    const std::string& table = args.operands()[1];
    if (!CanLoad(FileKindOf(in))) throw UsageError{"FILE must be a .dat, .hex or .ini file"};
    const std::string out = args.option("-o").value_or(in);
    if (!CanSave(FileKindOf(out)) || FileKindOf(out) == FileKind::ReportText)
        throw UsageError{"OUT must be a .dat or .hex file"};
    std::string text;
    try {
        text = ReadWholeFile(FilePath(table), std::uintmax_t{16} * 1024 * 1024);
    } catch (const std::exception& error) {
        context.err << "qb41-cli import: cannot read " << table << ": " << FileFailureCause(error)
                    << '\n';
        throw Failed{};
    }
    LoadInput(context, "import", in, args.model(), IncompleteFile::Warn);
    const editor::CsvImport result =
        editor::ImportBankCsv(context.data.records, context.app, bank, text);
    if (!result.refusals.empty()) {
        for (const editor::CsvRefusal& refusal : result.refusals)
            context.err << "qb41-cli import: " << table << ": "
                        << editor::RefusalLine(refusal, result.header) << '\n';
        context.err << "qb41-cli import: " << result.refusals.size()
                    << (result.refusals.size() == 1 ? " cell was" : " cells were")
                    << " refused; nothing was changed\n";
        throw Failed{};
    }
    PrintIdentityWarnings(context, "import", IdentityFindings(context.data.records));
    FileContext file{context.app, context.data, context.notifier, context.log};
    if (!SaveDataSet(file, FilePath(out))) throw Failed{};
    return 0;
}

} // namespace qb41::cli
