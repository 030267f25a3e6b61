// What the verbs that talk to a radio share: the port options, the
// serial transport on the main thread (traced with --trace), the progress
// line on stderr, Ctrl+C, SIGTERM and SIGHUP (Ctrl+C and closing the console
// on Windows) as the Cancel button, and the
// lines that say what to do after a failure, chosen from the run's outcome.
#pragma once

#include "cli.h"

#include "link/clone_link.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

namespace qb41::cli {

// --port DEV (required), --model N, --trace FILE.
struct LinkArguments {
    std::string device;               // as it is opened
    std::string given;                // as the user wrote it, for commands we print
    std::optional<ModelNumber> model; // nullopt: from the file or detected
    std::optional<std::string> trace;
    // Ctrl+C, SIGTERM and SIGHUP cancel the run (off where the caller
    // handles them itself, as fleet does for several ports at once).
    bool signalsCancel = true;
};
// ttyUSB0 means /dev/ttyUSB0; COM1-COM4 their device (refused on macOS,
// which has no /dev/ttyS*).
LinkArguments ParseLinkArguments(const Arguments& args);

// "LW6100 (17D4)"
std::string ModelWithCode(ModelNumber model);
std::string CodeName(std::uint16_t code);

// Exit statuses of a transfer.
inline constexpr int kExitCancelled = 130;

class LinkSession {
public:
    LinkSession(Context& context, const LinkArguments& link, const char* verb);
    ~LinkSession();
    LinkSession(const LinkSession&) = delete;
    LinkSession& operator=(const LinkSession&) = delete;

    using Operation = std::function<link::LinkOutcome(link::CloneLink&)>;
    // Runs one operation with progress on stderr and the signals as Cancel.
    link::LinkOutcome Run(const Operation& operation);

    // After a run that did not complete: the lines that say what happened and
    // what to do, on stderr. `restore` is the command that restores a backup
    // (printed when the radio may be partly programmed); `fileModel` names the
    // model the file is for, for a mismatch. Returns the exit status (1 or 130).
    int Explain(const link::LinkOutcome& outcome, const std::string& restore = {},
                std::optional<ModelNumber> fileModel = std::nullopt);

    // "qb41-cli VERB: " on stderr.
    std::ostream& Say();

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// The folder backups go to: QB41/backups in the user's data folder
// ($XDG_DATA_HOME, by default ~/.local/share, on Linux; ~/Library/Application
// Support on macOS; %LOCALAPPDATA% on Windows).
std::filesystem::path BackupFolder();
// Saves a whole-image read as "backup-LW6100-20250102-153045.hex" there
// (created when missing); returns the path. Throws RuntimeError on failure.
std::filesystem::path SaveBackup(ModelNumber model, const std::vector<std::uint8_t>& image);

// The radio's model: --model when given, else detected (the model check of
// the transfer then confirms it). nullopt after a failure already explained,
// with the exit status in `status`.
std::optional<ModelNumber> RadioModel(LinkSession& session, const LinkArguments& link, int& status);

// The whole-image read before a write or clear, saved as a backup when `save`
// is set. The restore command (empty without a saved backup), or nullopt
// after an explained failure, with the exit status in `status`. `fileModel`
// names the model of the file to be written, for a mismatch message.
std::optional<std::string> ReadBackup(LinkSession& session, const LinkArguments& link,
                                      ModelNumber model, bool save,
                                      std::vector<std::uint8_t>& radio,
                                      std::optional<ModelNumber> fileModel, int& status);

// The address ranges of the write plan where `radio` and `image` differ:
// "0x0100-0x013F, 0x0200".
std::string DifferingRanges(const std::vector<std::uint8_t>& radio, const RadioImage& image,
                            int lastIndex);

} // namespace qb41::cli
