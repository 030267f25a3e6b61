// qb41-radio-sim: a simulated radio behind a pseudo-terminal. See --help.
#include "options.h"
#include "sim_radio.h"

#include "core/model.h"
#include "image/defaults.h"
#include "image/layout.h"
#include "image/primitives.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <poll.h>
#include <stdexcept>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace qb41::sim {

namespace {

volatile std::sig_atomic_t gStop = 0; // set by SIGINT/SIGTERM

void OnSignal(int) {
    gStop = 1;
}

using Ns = std::int64_t;
constexpr double kByteNs = 10.0 * 1e9 / 9600.0; // start bit, 8 data bits, stop bit

Ns Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return Ns{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

// To an absolute deadline where the system has clock_nanosleep, so the
// long-term rate stays exact; macOS has none: relative sleeps to the same
// deadlines, which drift by no more than one sleep's lateness.
void SleepUntil(Ns when) {
#if defined(TIMER_ABSTIME) && !defined(__APPLE__)
    timespec ts{static_cast<time_t>(when / 1'000'000'000), static_cast<long>(when % 1'000'000'000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR && !gStop) {
    }
#else
    for (Ns left = when - Now(); left > 0 && !gStop; left = when - Now()) {
        timespec ts{static_cast<time_t>(left / 1'000'000'000),
                    static_cast<long>(left % 1'000'000'000)};
        nanosleep(&ts, nullptr);
    }
#endif
}

void WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw std::runtime_error(std::string("write: ") + std::strerror(errno));
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

// The pseudo-terminal. The simulator keeps its own slave descriptor open in
// raw mode: the line then survives clients opening and closing it, and a
// client's close cannot put it back into cooked mode with echo.
struct Pty {
    int master = -1;
    int slave = -1;
    std::string path;
};

Pty OpenPty() {
    Pty pty;
    pty.master = posix_openpt(O_RDWR | O_NOCTTY);
    if (pty.master < 0 || grantpt(pty.master) != 0 || unlockpt(pty.master) != 0)
        throw std::runtime_error(std::string("pseudo-terminal: ") + std::strerror(errno));
    pty.path = ptsname(pty.master);
    pty.slave = open(pty.path.c_str(), O_RDWR | O_NOCTTY);
    if (pty.slave < 0) throw std::runtime_error("cannot open " + pty.path);
    termios settings{};
    tcgetattr(pty.slave, &settings);
    cfmakeraw(&settings);
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    tcsetattr(pty.slave, TCSANOW, &settings);
    return pty;
}

// Moves bytes between the pseudo-terminal and the radio, paced or not, and
// measures the client's turnaround: from the last byte of an answer to the
// SOH of the next command.
class Line {
public:
    Line(int master, SimRadio& radio, bool pace) : master_(master), radio_(radio), pace_(pace) {}

    // Until a signal stops it (false) or the radio hangs up (true).
    bool Run() {
        std::uint8_t buffer[512];
        while (!gStop) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 200) <= 0) continue;
            const Ns arrived = Now();
            ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) continue;
            bytesIn_ += n;
            for (ssize_t i = 0; i < n; ++i)
                if (Receive(buffer[i], arrived)) return true;
        }
        Drain();
        return false;
    }

    std::vector<Ns> turnarounds;
    long long bytesIn() const { return bytesIn_; }
    long long bytesOut() const { return bytesOut_; }

private:
    // Counts what the client sent just before the simulator was stopped (an
    // abort byte, say); nothing is answered any more.
    void Drain() {
        std::uint8_t buffer[512];
        pollfd p{master_, POLLIN, 0};
        while (poll(&p, 1, 0) > 0) {
            ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) return;
            bytesIn_ += n;
            for (ssize_t i = 0; i < n; ++i) radio_.receive(buffer[i]);
        }
    }

    bool Receive(std::uint8_t byte, Ns arrived) {
        if (awaitingNext_ && byte == link::kSOH) {
            turnarounds.push_back(arrived - lastAnswerEnd_);
            awaitingNext_ = false;
        }
        // With pacing a byte is in only once it has crossed the wire.
        wireIn_ = std::max(static_cast<double>(arrived), wireIn_) + kByteNs;
        std::optional<Reaction> reaction = radio_.receive(byte);
        if (!reaction) return false;
        Send(reaction->reply, pace_ ? wireIn_ : static_cast<double>(arrived));
        return reaction->hangUp;
    }

    void Send(const link::Bytes& answer, double start) {
        if (answer.empty()) return;
        if (!pace_) {
            WriteAll(master_, answer.data(), answer.size());
        } else {
            double due = std::max(start, wireOut_);
            for (std::uint8_t byte : answer) {
                due += kByteNs;
                SleepUntil(static_cast<Ns>(due));
                WriteAll(master_, &byte, 1);
            }
            wireOut_ = due;
        }
        bytesOut_ += static_cast<long long>(answer.size());
        lastAnswerEnd_ = Now();
        awaitingNext_ = true;
    }

    int master_;
    SimRadio& radio_;
    bool pace_;
    double wireIn_ = 0;
    double wireOut_ = 0;
    Ns lastAnswerEnd_ = 0;
    bool awaitingNext_ = false;
    long long bytesIn_ = 0;
    long long bytesOut_ = 0;
};

RadioImage InitialMemory(const SimOptions& options) {
    const int last = ImageLastIndex(options.model);
    DataSet data;
    MakeFreshDataSet(data, options.model);
    RadioImage memory = data.image;
    if (!options.load.empty()) {
        std::ifstream file(options.load, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(file)), {});
        if (!file.eof() && !file) throw std::runtime_error("cannot read " + options.load);
        if (bytes.size() != static_cast<std::size_t>(last) + 1)
            throw std::runtime_error(options.load + ": not an image of model " +
                                     std::to_string(options.model) + " (" +
                                     std::to_string(last + 1) + " bytes)");
        std::copy(bytes.begin(), bytes.end(), memory.begin());
    }
    std::uint16_t front = GetWord(memory, layout::kModelIdFront);
    std::uint16_t back = GetWord(memory, layout::ModelIdBack(last));
    if (options.code) front = back = *options.code;
    if (options.codeCopy) back = *options.codeCopy;
    SetModelCode(memory, last, front, back);
    return memory;
}

void SaveMemory(const std::string& path, const SimRadio& radio) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(radio.memory().data()), radio.lastIndex() + 1);
    if (!file) throw std::runtime_error("cannot write " + path);
}

Ns Percentile(std::vector<Ns> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

void WriteStats(std::ostream& out, const SimRadio& radio, const Line& line) {
    const SimStats& s = radio.stats();
    out << "requests=" << s.requests << "\nread_blocks=" << s.readBlocks
        << "\nread_bytes=" << s.readBytes << "\nwrite_bytes=" << s.writeBytes
        << "\nwrite_blocks=" << s.writeBlocks << "\ncancels=" << s.cancels
        << "\nignored_frames=" << s.ignoredFrames << "\nbytes_in=" << line.bytesIn()
        << "\nbytes_out=" << line.bytesOut() << "\nturnarounds=" << line.turnarounds.size()
        << "\nturnaround_median_us=" << Percentile(line.turnarounds, 0.5) / 1000
        << "\nturnaround_p90_us=" << Percentile(line.turnarounds, 0.9) / 1000
        << "\nturnaround_max_us=" << Percentile(line.turnarounds, 1.0) / 1000 << '\n';
}

// Where a symbolic link points; empty when `path` is no link.
std::string LinkTarget(const std::string& path) {
    char target[4096];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
    return n < 0 ? std::string() : std::string(target, static_cast<std::size_t>(n));
}

// --link PATH may replace only a link a simulator left behind: one to a
// pseudo-terminal that is gone. Anything else that exists is refused.
void RemoveStaleLink(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return; // nothing there
    const std::string target = LinkTarget(path);
    const bool stale = S_ISLNK(st.st_mode) && target.rfind("/dev/pts/", 0) == 0 &&
                       ::access(target.c_str(), F_OK) != 0;
    if (!stale)
        throw std::runtime_error("--link " + path +
                                 " exists and is not a stale simulator link; choose another path");
    ::unlink(path.c_str());
}

int Run(const SimOptions& options) {
    SimRadio radio(InitialMemory(options), ImageLastIndex(options.model), options.faults);
    Pty pty = OpenPty();
    if (!options.link.empty()) {
        RemoveStaleLink(options.link);
        if (symlink(pty.path.c_str(), options.link.c_str()) != 0)
            throw std::runtime_error("cannot link " + options.link + ": " + std::strerror(errno));
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::cout << pty.path << std::endl;
    Line line(pty.master, radio, options.pace);
    const bool hungUp = line.Run();
    close(pty.master);
    close(pty.slave);
    if (!options.link.empty() && LinkTarget(options.link) == pty.path)
        ::unlink(options.link.c_str()); // only while it is still ours
    if (!options.save.empty()) SaveMemory(options.save, radio);
    if (!options.stats.empty()) {
        std::ofstream stats(options.stats, std::ios::trunc);
        WriteStats(stats, radio, line);
    }
    if (!options.quiet) {
        std::cerr << "qb41-radio-sim: " << (hungUp ? "hung up" : "stopped") << "\n";
        WriteStats(std::cerr, radio, line);
    }
    return 0;
}

} // namespace

} // namespace qb41::sim

int main(int argc, char** argv) {
    using namespace qb41::sim;
    if (argc == 2 && (std::string(argv[1]) == "--version" || std::string(argv[1]) == "-V")) {
        std::cout << "qb41-radio-sim " << QB41_VERSION << '\n';
        return 0;
    }
    try {
        std::optional<SimOptions> options =
            ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
        if (!options) {
            std::cout << HelpText();
            return 0;
        }
        return Run(*options);
    } catch (const std::invalid_argument& e) {
        std::cerr << "qb41-radio-sim: " << e.what() << "\n(see qb41-radio-sim --help)\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "qb41-radio-sim: " << e.what() << '\n';
        return 1;
    }
}
