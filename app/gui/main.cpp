// qb41: the desktop program.
#include "application.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "usage: qb41 [FILE.dat] [--port DEVICE] [/D]\n"
    "\n"
    "The desktop program: read a radio over its clone cable, edit its channel\n"
    "plans, DSC and ATIS settings, keep them as a .dat file or a report, and\n"
    "program them back.\n"
    "\n"
    "  FILE.dat       open this settings data file after start-up\n"
    "  --port DEVICE  the serial device for this run (COM1-COM4 or a path such as\n"
    "                 /dev/ttyUSB0); default: the port chosen under Options\n"
    "  /D             diagnostic mode (image files on Ctrl+F2/Ctrl+F3, err.log)\n"
    "  --version      print the version and exit\n";

} // namespace

int main(int argc, char* argv[]) {
    // Answered before Qt starts, so they work without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("qb41 %s\n", QB41_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    qb41::gui::GuardedApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QB41"));
    QApplication::setOrganizationName(QStringLiteral("QB41"));
    QApplication::setApplicationVersion(QStringLiteral(QB41_VERSION));
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    qb41::gui::Application program(qb41::gui::ParseCommandLine(arguments));
    program.start();
    return QApplication::exec();
}
