#include "cli.h"

#include "files/data_files.h"
#include "files/field_address.h"

namespace qb41::cli {

// qb41-cli diff A B: exit 0 when no field differs, 1 when some do, 2 on an error.
int RunDiff(Context& context, const Arguments& args) {
    const std::vector<std::string>& files = args.operands();
    if (files.size() != 2) throw UsageError{"expected two files"};
    for (const std::string& file : files)
        if (!CanLoad(FileKindOf(file)))
            throw UsageError{file + " is not a .dat, .hex or .ini file"};
    std::vector<FieldValue> a;
    try {
        LoadInput(context, "diff", files[0], std::nullopt, IncompleteFile::Warn);
        a = ListFields(context.data.records, context.app.modelNumber);
        LoadInput(context, "diff", files[1], std::nullopt, IncompleteFile::Warn);
    } catch (const Failed&) {
        return 2;
    }
    const std::vector<FieldDifference> differences =
        DiffFields(a, ListFields(context.data.records, context.app.modelNumber));
    for (const FieldDifference& d : differences) context.out << DifferenceLine(d) << '\n';
    if (differences.empty())
        context.out << "no differences\n";
    else
        context.out << differences.size()
                    << (differences.size() == 1 ? " field differs" : " fields differ") << '\n';
    return differences.empty() ? 0 : 1;
}

} // namespace qb41::cli
