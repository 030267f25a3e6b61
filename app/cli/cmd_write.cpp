#include "cli.h"
#include "link_session.h"

#include "core/errors.h"
#include "files/data_files.h"
#include "image/codec.h"
#include "link/write_plan.h"

namespace qb41::cli {

// Reads the radio (the blocks a read keeps) and compares the write plan's
// bytes with `context.data.image`. 0 when they match.
int VerifyRadio(Context& context, LinkSession& session, const std::string& what) {
    link::LinkOutcome verified = session.Run([](link::CloneLink& c) { return c.VerifyRun(); });
    if (verified.reason == link::LinkReason::VerifyMismatch) {
        session.Say() << "the radio differs from " << what << " at " << verified.differences
                      << '\n';
        return 1;
    }
    if (verified != link::LinkStatus::Ok)
        return session.Explain(verified, {}, context.app.modelNumber);
    session.Say() << "the radio matches " << what << '\n';
    return 0;
}

// qb41-cli write --port DEV [--model N] [--no-backup] [--verify] [--changed-only] [--force] IN
int RunWrite(Context& context, const Arguments& args) {
    LinkArguments link = ParseLinkArguments(args);
    if (args.operands().size() != 1) throw UsageError{"expected one input file"};
    const std::string& in = args.operands()[0];
    const FileKind kind = FileKindOf(in);
    if (!CanLoad(kind)) throw UsageError{"the input file must be .hex, .dat or .ini"};

    // Without --model the file's own model is used; a file that names none is
    // taken for the program's default model.
    LoadInput(context, "write", in, link.model,
              args.flag("--force") ? IncompleteFile::Warn : IncompleteFile::Refuse);
    const ModelNumber fileModel = context.app.modelNumber;

    LinkSession session(context, link, "write");
    const bool backup = !args.flag("--no-backup");
    const bool changedOnly = args.flag("--changed-only");
    std::vector<std::uint8_t> radio;
    std::string restore;
    int status = 1;
    if (backup || changedOnly) {
        auto saved = ReadBackup(session, link, fileModel, backup, radio, fileModel, status);
        if (!saved) return status;
        restore = *saved;
    }
    link::ProgramOptions options;
    // An image is programmed as it stands, so that a backup restores exactly.
    options.prepareImage = kind != FileKind::ImageFile;
    if (changedOnly) options.radioImage = &radio;
    link::LinkOutcome written =
        session.Run([&options](link::CloneLink& c) { return c.ProgramRun(options); });
    if (written != link::LinkStatus::Ok) return session.Explain(written, restore, fileModel);
    if (args.flag("--verify")) return VerifyRadio(context, session, in);
    return 0;
}

// qb41-cli verify --port DEV [--model N] IN
int RunVerify(Context& context, const Arguments& args) {
    LinkArguments link = ParseLinkArguments(args);
    if (args.operands().size() != 1) throw UsageError{"expected one input file"};
    const std::string& in = args.operands()[0];
    const FileKind kind = FileKindOf(in);
    if (!CanLoad(kind)) throw UsageError{"the input file must be .hex, .dat or .ini"};
    LoadInput(context, "verify", in, link.model, IncompleteFile::Warn);
    // What programming IN would write.
    if (kind != FileKind::ImageFile) PrepareImageForWrite(context.data, context.app.modelNumber);
    LinkSession session(context, link, "verify");
    return VerifyRadio(context, session, in);
}

} // namespace qb41::cli
