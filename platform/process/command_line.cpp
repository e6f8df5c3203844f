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

std::vector<std::string> splitCommandLine(std::string_view line) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::vector<std::string> args;
    std::size_t at = 0;
    // The program name: up to the next quote when it starts with one, else up to a blank; no
    // backslash is special in it.
    if (at < line.size()) {
        std::string program;
        if (line[at] == '"') {
            const std::size_t end = line.find('"', at + 1);
            program =
                line.substr(at + 1, (end == std::string_view::npos ? line.size() : end) - at - 1);
            at = end == std::string_view::npos ? line.size() : end + 1;
        }
        while (at < line.size() && !blank(line[at])) {
            program += line[at++];
        }
        args.push_back(std::move(program));
    }
    for (;;) {
        while (at < line.size() && blank(line[at])) {
            ++at;
        }
        if (at >= line.size()) {
            break;
        }
        std::string arg;
        bool quoted = false;
        while (at < line.size() && (quoted || !blank(line[at]))) {
            if (line[at] == '\\') {
                std::size_t backslashes = 0;
                while (at < line.size() && line[at] == '\\') {
                    ++backslashes;
                    ++at;
                }
                if (at < line.size() && line[at] == '"') {
                    // Before a quote, pairs of backslashes are one each; an odd one escapes it.
                    arg.append(backslashes / 2, '\\');
                    if (backslashes % 2 == 1) {
                        arg += '"';
                        ++at;
                    }
                } else {
                    arg.append(backslashes, '\\');
                }
                continue;
            }
            if (line[at] == '"') {
                // Inside quotes, "" is a literal quote and ends the quoted part.
                if (quoted && at + 1 < line.size() && line[at + 1] == '"') {
                    arg += '"';
                    ++at;
                }
                quoted = !quoted;
                ++at;
                continue;
            }
            arg += line[at++];
        }
        args.push_back(std::move(arg));
    }
    return args;
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
