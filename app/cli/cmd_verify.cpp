#include "cli.h"
#include "link_session.h"
#include "radio_fields.h"

#include "files/data_files.h"

namespace qb41::cli {

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
