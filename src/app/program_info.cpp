#include "app/program_info.h"

#include "korvan_version.h"

#include <ostream>
#include <string_view>

namespace korvan {

const char* versionNumber() {
    return KORVAN_VERSION;
}

std::string versionLine(const std::string& program) {
    return program + " " + versionNumber();
}

std::string windowHelpText() {
    return versionLine("korvan") +
           ": crystal-ladder band-pass filter calculator (the window).\n"
           "\n"
           "Usage: korvan [--help] [--version] [Qt options]\n"
           "\n"
           "Starts the window in the current folder, the working folder: at start it\n"
           "creates the folders GPLA_files, ARD_files and SPICE_files there and reads\n"
           "Korvan3.cfg if present; every completed calculation writes the three\n"
           "netlists; on closing it offers to save the inputs to Korvan3.cfg.\n"
           "\n"
           "  -h, --help   print this text and exit (nothing is created)\n"
           "  --version    print the version and exit (nothing is created)\n"
           "\n"
           "Every other argument goes to Qt (for example -platform xcb).\n"
           "The window needs a display (DISPLAY or WAYLAND_DISPLAY). For scripts and\n"
           "machines without one, korvan-cli designs the same filter without Qt and\n"
           "writes nothing unless asked: korvan-cli --help.\n";
}

std::optional<int> answerInfoOption(int argc, const char* const* argv, std::ostream& out) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            out << windowHelpText() << std::flush;
            return out ? 0 : 1;
        }
        if (arg == "--version") {
            out << versionLine("korvan") << '\n' << std::flush;
            return out ? 0 : 1;
        }
    }
    return std::nullopt;
}

} // namespace korvan
