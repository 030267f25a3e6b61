#include "cli.h"
#include "link_session.h"

#include "files/data_files.h"

namespace qb41::cli {

// qb41-cli write --port DEV [--model N] IN (.hex, .dat or .ini)
int RunWrite(Context& context, const Arguments& args) {
    LinkArguments link = ParseLinkArguments(args);
    if (args.operands().size() != 1) throw UsageError{"expected one input file"};
    const std::string& in = args.operands()[0];
    if (!CanLoad(FileKindOf(in))) throw UsageError{"the input file must be .hex, .dat or .ini"};

    // Without --model the file's own model is used; a file that names none is
    // taken for the program's default model.
    FileContext file{context.app, context.data, context.notifier, context.log};
    if (!LoadDataSetFor(file, in, link.model)) return 1;
    return RunTransfer(context, link.device, "write",
                       [](link::CloneLink& clone) { return clone.ProgramRun(); });
}

} // namespace qb41::cli
