// setup.exe, the sample installer: "setup.exe" installs Velmar Software, "setup.exe /uninst"
// removes it. VELMAR_SAMPLE_SETUP_MS sets how long a run takes (3000 milliseconds unless set);
// VELMAR_SAMPLE_SETUP_LOG names a file its lines are appended to as well, for runs without a
// console (started by VelmarSetup from a terminal, for one).
#include "platform/text/text.h"
#include "tools/sample_installer/sample_installer.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

int main(int argc, char** argv) {
    velmar::sample::Options options;
    if (argc > 2 || (argc == 2 && velmar::text::compareAnsiNoCase(argv[1], "/uninst") != 0)) {
        std::fprintf(stderr, "usage: setup.exe [/uninst]\n");
        return velmar::sample::kUsage;
    }
    options.uninstall = argc == 2;
    if (const char* duration = std::getenv("VELMAR_SAMPLE_SETUP_MS"); duration != nullptr) {
        const std::string_view text(duration);
        unsigned milliseconds = 0;
        const auto [end, error] =
            std::from_chars(text.data(), text.data() + text.size(), milliseconds);
        if (error == std::errc() && end == text.data() + text.size()) {
            options.duration = std::chrono::milliseconds(milliseconds);
        }
    }
    if (const char* log = std::getenv("VELMAR_SAMPLE_SETUP_LOG"); log != nullptr) {
        options.logPath = log;
    }
    return velmar::sample::run(options, stdout);
}
