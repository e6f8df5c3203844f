// The sample installer's work: install a small payload below the machine's Program Files and
// record it in the installation key, or remove both again. Every step is printed.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace velmar::sample {

// The installation key of the machine hive, in the 32-bit registry view.
inline constexpr const char* kInstallationKey =
    "Software\\VELMAR Systems International\\VELMAR Software\\CurrentVersion";
// Where the payload goes: the 32-bit programs' folder and the 64-bit programs' folder.
inline constexpr const char* kInstallDir = "C:\\Program Files (x86)\\Velmar Software";
inline constexpr const char* kInstallDir64 = "C:\\Program Files\\Velmar Software";
inline constexpr const char* kVersion = "8.2.1";
inline constexpr const char* kReleaseDate = "2026-06-15";

struct Options {
    bool uninstall = false;
    // How long the whole run takes at least, spread over its steps, so that the bootstrapper's
    // waiting dialog can be seen.
    std::chrono::milliseconds duration{3000};
    // A file (host or Windows path) the progress lines are appended to as well; none if empty.
    std::string logPath;
};

// Exit statuses.
inline constexpr int kSucceeded = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;
inline constexpr int kNotElevated = 5; // ERROR_ACCESS_DENIED

// Installs or uninstalls; out (and the log) receives the progress lines. One of the exit
// statuses.
int run(const Options& options, std::FILE* out);

} // namespace velmar::sample
