#include "cli.h"
#include "link_session.h"

#include "editor/file_edge.h"
#include "files/data_files.h"
#include "files/image_file.h"
#include "image/defaults.h"

namespace qb41::cli {

// qb41-cli read --port DEV [--model N] [--quick] OUT (.hex or .dat)
int RunRead(Context& context, const Arguments& args) {
    LinkArguments link = ParseLinkArguments(args);
    if (args.operands().size() != 1) throw UsageError{"expected one output file"};
    const std::string& out = args.operands()[0];
    const FileKind kind = FileKindOf(out);
    if (kind != FileKind::ImageFile && kind != FileKind::DataFile)
        throw UsageError{"the output file must be .hex or .dat"};
    CheckWritable(context, "read", out);

    LinkSession session(context, link, "read");
    int status = 1;
    const std::optional<ModelNumber> model = RadioModel(session, link, status);
    if (!model) return status;
    context.app.modelNumber = *model;
    MakeFreshDataSet(context.data, *model);
    const link::ReadScope scope =
        args.flag("--quick") ? link::ReadScope::KeptBlocks : link::ReadScope::Whole;
    link::LinkOutcome outcome =
        session.Run([scope](link::CloneLink& c) { return c.ReadRun(scope); });
    if (outcome != link::LinkStatus::Ok) return session.Explain(outcome);

    // An image file keeps the bytes as read; a data file holds the records.
    FileContext file{context.app, context.data, context.notifier, context.log};
    const bool saved = kind == FileKind::ImageFile ? SaveHexFileAs(file, FilePath(out))
                                                   : SaveDataSet(file, FilePath(out));
    return saved ? 0 : 1;
}

} // namespace qb41::cli
