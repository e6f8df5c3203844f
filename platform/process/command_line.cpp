// The process's command line as Windows hands it to a program.
#include "platform/process/process.h"

#include "platform/host/host.h"
#include "platform/text/text.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> processArguments() {
    std::string raw;
    velmar::host::readFile("/proc/self/cmdline", raw);
    std::vector<std::string> args;
    std::string current;
    for (char c : raw) {
        if (c == '\0') {
            args.push_back(velmar::text::utf8ToAnsi(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) {
        args.push_back(velmar::text::utf8ToAnsi(current));
    }
    return args;
}

} // namespace

namespace velmar::process {

std::string joinCommandLine(const std::string* args, std::size_t count) {
    std::string line;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& arg = args[i];
        if (i > 0) {
            line += ' ';
        }
        if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
            line += arg;
            continue;
        }
        line += '"';
        std::size_t backslashes = 0;
        for (char c : arg) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            // Backslashes count only before a quote: double them there, and escape the quote.
            line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, '\\');
        line += '"';
    }
    return line;
}

} // namespace velmar::process

LPSTR GetCommandLineA() {
    // Built once, as the system keeps one command line per process.
    static std::string line = [] {
        const std::vector<std::string> args = processArguments();
        return velmar::process::joinCommandLine(args.data(), args.size());
    }();
    return line.data();
}

LPWSTR GetCommandLineW() {
    static std::wstring line = velmar::text::ansiToWide(GetCommandLineA());
    return line.data();
}
