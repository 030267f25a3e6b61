// Driving qb41-radio-sim (or qb41-cli) from another program: the link's
// pseudo-terminal tests and the wire benchmark start a simulator, talk to the
// port it prints, stop it and read back its memory and counters.
#pragma once

#include "core/model.h"
#include "core/records.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qb41::sim {

// A child process with its standard output and error on pipes. Killed when
// destroyed unless it was waited for.
class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> argv); // throws std::runtime_error
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of standard output (or error), waiting up to 5 s for it.
    std::string line(bool fromError = false);
    void signal(int number);
    // The exit status, or 128 + the signal that ended it.
    int wait();

private:
    int pid_ = -1;
    int out_ = -1;
    int err_ = -1;
};

// qb41-radio-sim started on `memory`, with its files in `folder`.
class SimProcess {
public:
    SimProcess(const std::string& program, ModelNumber model, const RadioImage& memory,
               const std::filesystem::path& folder, const std::vector<std::string>& options = {});

    const std::string& port() const { return port_; }
    // SIGTERM, then the memory and counters it wrote; returns its exit status.
    int stop();

    RadioImage memory{};
    std::map<std::string, double> stats;

private:
    std::filesystem::path folder_;
    std::unique_ptr<ChildProcess> child_;
    std::string port_;
};

} // namespace qb41::sim
