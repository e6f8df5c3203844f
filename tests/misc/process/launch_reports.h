// What the tests' started programs report (launch_report_child), the boxes the calling
// program showed, and copies of the tests' programs where a search should find them.
#pragma once

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace velmar::test {

struct LaunchReport {
    std::string self;
    std::vector<std::string> args;
    std::string cwd;
    std::string path;
    unsigned long flags = 0;
    unsigned long show = 0;
    unsigned long width = 0;
    unsigned long height = 0;
};

// Every run reported into file, in order.
inline std::vector<LaunchReport> launchReports(const std::string& file) {
    std::vector<LaunchReport> reports;
    std::istringstream in(readFileBytes(file));
    LaunchReport report;
    for (std::string line; std::getline(in, line);) {
        const std::size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? "" : line.substr(space + 1);
        if (key == "self") {
            report.self = value;
        } else if (key == "arg") {
            report.args.push_back(value);
        } else if (key == "cwd") {
            report.cwd = value;
        } else if (key == "path") {
            report.path = value;
        } else if (key == "startup") {
            std::istringstream(value) >> report.flags >> report.show >> report.width >>
                report.height;
        } else if (key == "end") {
            reports.push_back(report);
            report = {};
        }
    }
    return reports;
}

// A copy of one of the tests' programs at path (folders created), executable. What was there
// goes first: the prefix's own programs are hard links to the built ones.
inline void placeProgram(const std::string& program, const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::filesystem::remove(path);
    std::filesystem::copy_file(binPath(program), path,
                               std::filesystem::copy_options::overwrite_existing);
}

// text as the headless presenter's trace quotes it.
inline std::string traceQuoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out + "\"";
}

// The message boxes in a trace of the headless presenter, in order.
inline std::vector<std::string> boxesIn(const std::string& traceFile) {
    std::vector<std::string> found;
    std::istringstream in(readFileBytes(traceFile));
    for (std::string line; std::getline(in, line);) {
        if (const auto at = line.find("message-box "); at != std::string::npos) {
            found.push_back(line.substr(at));
        }
    }
    return found;
}

} // namespace velmar::test
