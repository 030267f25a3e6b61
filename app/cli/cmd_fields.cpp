// fields, get and set: the settings by address, as the data file names them.
#include "cli.h"
#include "identity_warnings.h"

#include "editor/field_edit.h"
#include "editor/file_edge.h"
#include "files/data_files.h"
#include "files/field_address.h"

namespace qb41::cli {
namespace {

std::string LoadableInput(const Arguments& args, std::size_t minimum, const char* what) {
    if (args.operands().size() < minimum) throw UsageError{what};
    const std::string& in = args.operands()[0];
    if (!CanLoad(FileKindOf(in))) throw UsageError{"FILE must be a .dat, .hex or .ini file"};
    return in;
}

} // namespace

std::vector<IdentityFinding> FileIdentityFindings(Context& context, const std::string& path) {
    struct Silent : Notifier {
        MessageAnswer ask(const Message&) override { return MessageAnswer::Ok; }
    } silent;
    FileContext file{context.app, context.data, silent, context.log};
    if (!LoadDataSetFor(file, FilePath(path), std::nullopt)) return {};
    return IdentityFindings(context.data.records);
}

std::string FieldLine(const FieldValue& field) {
    return field.address() + ": " + field.value + "  (" + FieldLabel(field) + ")";
}

// qb41-cli fields FILE [--model N]
int RunFields(Context& context, const Arguments& args) {
    const std::string in = LoadableInput(args, 1, "expected one input file");
    if (args.operands().size() != 1) throw UsageError{"expected one input file"};
    LoadInput(context, "fields", in, args.model(), IncompleteFile::Warn);
    for (const FieldValue& field : ListFields(context.data.records, context.app.modelNumber))
        context.out << FieldLine(field) << '\n';
    return 0;
}

// qb41-cli get FILE ADDRESS... [--model N]
int RunGet(Context& context, const Arguments& args) {
    const std::string in = LoadableInput(args, 2, "expected an input file and an address");
    LoadInput(context, "get", in, args.model(), IncompleteFile::Warn);
    const FieldList list(context.data.records, context.app.modelNumber);
    std::vector<std::string> values;
    for (std::size_t i = 1; i < args.operands().size(); ++i) {
        const auto index = list.find(args.operands()[i]);
        if (!index) {
            context.err << "qb41-cli get: no field " << args.operands()[i] << " for model "
                        << context.app.modelNumber << " ('qb41-cli fields " << in
                        << "' lists them)\n";
            throw Failed{};
        }
        values.push_back(list.fields()[*index].value);
    }
    for (const std::string& value : values) context.out << value << '\n';
    return 0;
}

// qb41-cli set FILE ADDRESS=VALUE... [-o OUT] [--model N]
int RunSet(Context& context, const Arguments& args) {
    const std::string in =
        LoadableInput(args, 2, "expected an input file and at least one ADDRESS=VALUE");
    std::vector<editor::FieldAssignment> edits;
    for (std::size_t i = 1; i < args.operands().size(); ++i) {
        auto edit = editor::ParseAssignment(args.operands()[i]);
        if (!edit) throw UsageError{"'" + args.operands()[i] + "' is not ADDRESS=VALUE"};
        edits.push_back(std::move(*edit));
    }
    const std::string out = args.option("-o").value_or(in);
    if (!CanSave(FileKindOf(out)) || FileKindOf(out) == FileKind::ReportText)
        throw UsageError{"OUT must be a .dat or .hex file"};
    LoadInput(context, "set", in, args.model(), IncompleteFile::Warn);
    if (auto refusal = editor::ApplyFieldEdits(context.data.records, context.app, edits)) {
        context.err << "qb41-cli set: " << refusal->address << ": refused: " << refusal->rule
                    << "; nothing was changed\n";
        throw Failed{};
    }
    PrintIdentityWarnings(context, "set", IdentityFindings(context.data.records));
    FileContext file{context.app, context.data, context.notifier, context.log};
    if (!SaveDataSet(file, FilePath(out))) throw Failed{};
    return 0;
}

} // namespace qb41::cli
