// What write and clear do before they touch the radio: find its model, read
// it whole and save the backup, and the command that restores it.
#include "link_session.h"

#include "core/errors.h"

#include <filesystem>

namespace qb41::cli {

std::string ShellQuoted(const std::string& word) {
    const bool plain =
        !word.empty() && word.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                "abcdefghijklmnopqrstuvwxyz"
                                                "0123456789_@%+=:,./-") == std::string::npos;
    if (plain) return word;
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The radio's model: --model when given, else detected (the model check of
// the read then confirms it). nullopt after a failure already explained.
std::optional<ModelNumber> RadioModel(LinkSession& session, const LinkArguments& link,
                                      int& status) {
    if (link.model) return link.model;
    link::LinkOutcome detected = session.Run([](link::CloneLink& c) { return c.DetectRun(); });
    if (detected != link::LinkStatus::Ok || !detected.radioModel) {
        status = session.Explain(detected);
        return std::nullopt;
    }
    session.Say() << "the radio is " << ModelWithCode(*detected.radioModel) << '\n';
    return detected.radioModel;
}

std::optional<std::string> ReadBackup(LinkSession& session, const LinkArguments& link,
                                      ModelNumber model, bool save,
                                      std::vector<std::uint8_t>& radio,
                                      std::optional<ModelNumber> fileModel, int& status) {
    link::LinkOutcome read =
        session.Run([&radio](link::CloneLink& c) { return c.ReadImageRun(radio); });
    if (read != link::LinkStatus::Ok) {
        status = session.Explain(read, {}, fileModel);
        session.Say() << "the backup read failed; nothing was written\n";
        return std::nullopt;
    }
    if (!save) return std::string();
    try {
        const std::filesystem::path path =
            SaveBackup(BackupFolder(), model, radio, session.wallNow());
        session.Say() << "backup of the radio saved as " << path.string() << '\n';
        return "qb41-cli write --port " + ShellQuoted(link.given) + " " +
               ShellQuoted(path.string());
    } catch (const std::exception& error) {
        session.Say() << "cannot save the backup under " << BackupFolder().string() << ": "
                      << ErrorText(error) << "; nothing was written (--no-backup skips it)\n";
        status = 1;
        return std::nullopt;
    }
}

} // namespace qb41::cli
