// What the verbs that talk to a radio share: the port options, the
// serial transport on the main thread (traced with --trace), the progress
// line on stderr (progress_bar.h), Ctrl+C, SIGTERM and SIGHUP (Ctrl+C and
// closing the console on Windows) as the Cancel button (cancel_signals.h), the
// lines that say what to do after a failure, chosen from the run's outcome
// (link_explain.cpp), and the backup read before a write (link_backup.cpp).
#pragma once

#include "cli.h"

#include "link/clone_link.h"
#include "link/explanation.h"
#include "link/write_plan.h"

#include "files/backup_files.h"

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
using link::CodeName;
using link::ModelWithCode;

// Exit statuses of a transfer.
inline constexpr int kExitCancelled = 130;

class LinkSession {
public:
    LinkSession(Context& context, const LinkArguments& link, const char* verb);
    ~LinkSession();
    LinkSession(const LinkSession&) = delete;
    LinkSession& operator=(const LinkSession&) = delete;

    using Operation = std::function<link::LinkOutcome(link::CloneLink&)>;
    // Runs one operation with progress on stderr and the signals as Cancel,
    // through the link's edge (editor/link_edge.h): the context's flags are
    // set and the run's messages shown on stderr as the window does.
    link::LinkOutcome Run(const Operation& operation);

    // After a run that did not complete: the lines that say what happened and
    // what to do, on stderr. `restore` is the command that restores a backup
    // (printed when the radio may be partly programmed); `fileModel` names the
    // model the file is for, for a mismatch. Returns the exit status (1 or 130).
    int Explain(const link::LinkOutcome& outcome, const std::string& restore = {},
                std::optional<ModelNumber> fileModel = std::nullopt);

    // "qb41-cli VERB: " on stderr.
    std::ostream& Say();
    // The wall-clock time, from the tool's clock.
    std::chrono::system_clock::time_point wallNow() const;
    // What the run works on, the verb it runs for and the device it opens.
    Context& context();
    const std::string& verb() const;
    const std::string& device() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

using link::DifferingRanges;
using qb41::BackupFolder;

// `word` as one word for a POSIX shell: as it is when it holds only
// characters a shell leaves alone, else in single quotes.
std::string ShellQuoted(const std::string& word);

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

} // namespace qb41::cli
