#include "cli.h"
#include "link_session.h"
#include "radio_fields.h"

#include "files/data_files.h"

namespace qb41::cli {

// qb41-cli write --port DEV [--model N] [--no-backup] [--verify] [--changed-only] [--force] IN
//
// The image written is the file's settings encoded over the backup read, so
// that every byte the file does not carry keeps the radio's value; an image
// file is programmed as it stands.
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
    const bool settings = kind != FileKind::ImageFile;
    std::vector<std::uint8_t> radio;
    std::string restore;
    int status = 1;
    if (backup || changedOnly) {
        auto saved = ReadBackup(session, link, fileModel, backup, radio, fileModel, status);
        if (!saved) return status;
        restore = *saved;
    }
    if (settings) {
        if (radio.empty()) {
            session.Say() << "warning: without the backup read, the bytes " << in
                          << " does not carry take default values\n";
            const RadioImage fresh = context.data.image;
            if (!BuildOver(context, session, fresh)) return 1;
        } else if (!BuildOver(context, session, radio)) {
            return 1;
        }
    }
    link::ProgramOptions options;
    options.prepareImage = false; // built above, or an image as it stands
    if (changedOnly) options.radioImage = &radio;
    link::LinkOutcome written =
        session.Run([&options](link::CloneLink& c) { return c.ProgramRun(options); });
    if (written != link::LinkStatus::Ok) return session.Explain(written, restore, fileModel);
    if (!args.flag("--verify")) return 0;
    std::vector<std::uint8_t> after;
    if (std::optional<int> failed = ReadRadio(context, session, after)) return *failed;
    return CompareWithRadio(context, session, after, in);
}

} // namespace qb41::cli
