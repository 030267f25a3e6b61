#include "cli.h"
#include "link_session.h"
#include "radio_fields.h"

#include "core/errors.h"
#include "files/data_files.h"
#include "image/codec.h"
#include "link/write_plan.h"

namespace qb41::cli {

namespace {

// The settings of a .dat or .ini file encoded over `base`, the radio's
// contents. False (reason on stderr) when the records cannot be encoded.
bool BuildOver(Context& context, LinkSession& session, std::span<const std::uint8_t> base) {
    try {
        BuildImageToWrite(context.data, context.app.modelNumber, base);
        return true;
    } catch (const std::exception& error) {
        session.Say() << "the settings cannot be encoded: " << ErrorText(error)
                      << "; nothing was written\n";
        return false;
    }
}

} // namespace

// Compares the write plan's bytes of `radio` with `context.data.image`.
int CompareWithRadio(Context& context, LinkSession& session, const std::vector<std::uint8_t>& radio,
                     const std::string& what) {
    const std::string ranges =
        DifferingRanges(radio, context.data.image, ImageLastIndex(context.app.modelNumber));
    if (ranges.empty()) {
        session.Say() << "the radio matches " << what << '\n';
        return 0;
    }
    session.Say() << "the radio differs from " << what << " at " << ranges << '\n';
    PrintFieldDifferences(context, radio);
    return 1;
}

// Reads the radio (the blocks a read keeps) into `radio`; nullopt on success,
// else the exit status after the explanation.
std::optional<int> ReadRadio(Context& context, LinkSession& session,
                             std::vector<std::uint8_t>& radio) {
    link::LinkOutcome read = session.Run([&radio](link::CloneLink& c) {
        return c.ReadImageRun(radio, link::ReadScope::KeptBlocks);
    });
    if (read != link::LinkStatus::Ok) return session.Explain(read, {}, context.app.modelNumber);
    return std::nullopt;
}

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

// qb41-cli verify --port DEV [--model N] IN: the radio against what writing
// IN would make of it (the settings encoded over the radio's own contents).
int RunVerify(Context& context, const Arguments& args) {
    LinkArguments link = ParseLinkArguments(args);
    if (args.operands().size() != 1) throw UsageError{"expected one input file"};
    const std::string& in = args.operands()[0];
    const FileKind kind = FileKindOf(in);
    if (!CanLoad(kind)) throw UsageError{"the input file must be .hex, .dat or .ini"};
    LoadInput(context, "verify", in, link.model, IncompleteFile::Warn);
    LinkSession session(context, link, "verify");
    std::vector<std::uint8_t> radio;
    if (std::optional<int> failed = ReadRadio(context, session, radio)) return *failed;
    if (kind != FileKind::ImageFile && !BuildOver(context, session, radio)) return 1;
    return CompareWithRadio(context, session, radio, in);
}

} // namespace qb41::cli
