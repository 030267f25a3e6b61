#include "sim_process.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qb41::sim {

ChildProcess::ChildProcess(std::vector<std::string> argv) {
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<char*> args;
    for (std::string& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
    if (failed != 0) throw std::runtime_error("cannot start " + argv[0]);
    pid_ = pid;
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    close(out_);
    close(err_);
}

std::string ChildProcess::line(bool fromError) {
    std::string text;
    char c = 0;
    pollfd p{fromError ? err_ : out_, POLLIN, 0};
    while (poll(&p, 1, 5000) > 0 && ::read(p.fd, &c, 1) == 1 && c != '\n') text += c;
    return text;
}

void ChildProcess::signal(int number) {
    if (pid_ > 0) kill(pid_, number);
}

int ChildProcess::wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

SimProcess::SimProcess(const std::string& program, ModelNumber model, const RadioImage& memory,
                       const std::filesystem::path& folder, const std::vector<std::string>& options)
    : folder_(folder) {
    std::ofstream(folder / "start.hex", std::ios::binary)
        .write(reinterpret_cast<const char*>(memory.data()), ImageSize(model));
    std::vector<std::string> argv{program,
                                  "--model",
                                  std::to_string(model),
                                  "--load",
                                  (folder / "start.hex").string(),
                                  "--save",
                                  (folder / "end.hex").string(),
                                  "--stats",
                                  (folder / "stats.txt").string(),
                                  "--quiet"};
    argv.insert(argv.end(), options.begin(), options.end());
    child_ = std::make_unique<ChildProcess>(argv);
    port_ = child_->line();
    if (port_.empty()) throw std::runtime_error(program + " did not start");
}

int SimProcess::stop() {
    child_->signal(SIGTERM);
    const int status = child_->wait();
    std::ifstream saved(folder_ / "end.hex", std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(saved), std::istreambuf_iterator<char>()};
    std::copy_n(bytes.begin(), std::min(bytes.size(), memory.size()), memory.begin());
    std::ifstream lines(folder_ / "stats.txt");
    std::string line;
    while (std::getline(lines, line))
        if (auto eq = line.find('='); eq != std::string::npos)
            stats[line.substr(0, eq)] = std::stod(line.substr(eq + 1));
    return status;
}

} // namespace qb41::sim
