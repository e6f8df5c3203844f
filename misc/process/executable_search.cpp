// Finding a sibling program beside us, in a developer tree above us or in a named folder, and
// starting it.
#include "misc/files/files.h"
#include "misc/process/process.h"

#include "platform/process/process.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kOwnPathSize = 512;
constexpr DWORD kPathSize = 32766;
constexpr DWORD kProfileSize = 512;

std::string textOf(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

char lowered(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (lowered(a[i]) != lowered(b[i])) {
            return false;
        }
    }
    return i == a.size() && b[i] == '\0';
}

bool endsWithSeparator(const std::string& folder) {
    return !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
}

// A variable read into a buffer of size bytes. Not set: empty. nullopt when the value does
// not fit the buffer.
std::optional<std::string> variable(const char* name, DWORD size, bool& set) {
    std::vector<char> buffer(size);
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableA(name, buffer.data(), size);
    set = length > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    if (length >= size) {
        return std::nullopt;
    }
    return std::string(buffer.data(), length);
}

std::string personalBuildFolder() {
    bool set = false;
    const std::optional<std::string> profile = variable("userprofile", kProfileSize, set);
    return profile.value_or(std::string()) + "\\VEL_Pack\\x64\\2017Build\\Release";
}

// "Path" led by the developer tree's library folders while one of its programs starts, back
// to what it was when the object goes (unset again if it was unset). A "Path" too long for its
// buffer is left alone rather than cut.
class DeveloperPath {
public:
    explicit DeveloperPath(const std::string& root) {
        m_old = variable("Path", kPathSize, m_wasSet);
        if (m_old) {
            const std::string value =
                personalBuildFolder() + ";" + root + "dlls\\release;" + *m_old;
            SetEnvironmentVariableA("Path", value.c_str());
        }
    }
    DeveloperPath(const DeveloperPath&) = delete;
    DeveloperPath& operator=(const DeveloperPath&) = delete;
    ~DeveloperPath() {
        if (m_old) {
            SetEnvironmentVariableA("Path", m_wasSet ? m_old->c_str() : nullptr);
        }
    }

private:
    std::optional<std::string> m_old;
    bool m_wasSet = false;
};

// Our own folder with its trailing separator; nullopt when our path does not fit its buffer.
std::optional<std::string> ownFolder() {
    char path[kOwnPathSize];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return std::nullopt;
    }
    return directoryOf(std::string(path, length), false);
}

// The developer tree's root above folder: the folder holding the nearest ancestor (or folder
// itself) named "src" without regard to case or extension; nullopt at the top.
std::optional<std::string> developerRoot(const std::string& folder) {
    std::string examined = directoryOf(folder, true);
    while (true) {
        if (equalIgnoringCase(fileNameOf(examined, true), "src")) {
            return directoryOf(examined, false);
        }
        std::string parent = directoryOf(examined, true);
        if (parent == examined) {
            return std::nullopt;
        }
        examined = std::move(parent);
    }
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

} // namespace

bool launchIfPresent(bool developerTree, const char* baseFolder, const char* fileName,
                     const char* arguments, bool reportFailure, bool wait,
                     const char* workingFolder, bool showNormal, HANDLE* processHandle,
                     bool& started) {
    const std::string base = textOf(baseFolder);
    const std::string candidate =
        base + (developerTree ? "Executables\\" : "") + textOf(fileName) + ".exe";
    if (!fileExists(candidate)) {
        started = false;
        return false;
    }
    std::optional<DeveloperPath> path;
    if (developerTree) {
        path.emplace(base);
    }
    started = launchProgram(candidate.c_str(), arguments, reportFailure, wait, workingFolder,
                            showNormal, processHandle);
    return true;
}

bool launchFirstVariant(bool developerTree, const char* baseFolder, const char* exeName,
                        const char* arguments, bool reportFailure, bool wait,
                        const char* workingFolder, bool showNormal, HANDLE* processHandle,
                        bool& started) {
    const std::string name = textOf(exeName);
    for (const std::string& variant : {name + "_64", name + ".2022", name}) {
        launchIfPresent(developerTree, baseFolder, variant.c_str(), arguments, reportFailure, wait,
                        workingFolder, showNormal, processHandle, started);
        if (started) {
            return true;
        }
    }
    started = false;
    return false;
}

bool findAndLaunch(const char* exeName, const char* arguments, const char* extraFolder,
                   bool reportFailure, bool wait, const char* workingFolder, bool showNormal,
                   HANDLE* processHandle) {
    bool started = false;
    const auto inFolder = [&](bool developerTree, const std::string& folder) {
        return launchFirstVariant(developerTree, folder.c_str(), exeName, arguments, reportFailure,
                                  wait, workingFolder, showNormal, processHandle, started);
    };
    if (const std::optional<std::string> own = ownFolder()) {
        if (inFolder(false, *own)) {
            return true;
        }
        if (const std::optional<std::string> root = developerRoot(*own);
            root && inFolder(true, *root)) {
            return true;
        }
    }
    std::string extra = textOf(extraFolder);
    if (!extra.empty()) {
        if (!endsWithSeparator(extra)) {
            extra += "\\";
        }
        if (inFolder(false, extra)) {
            return true;
        }
        if (extra.find("Program Files\\") != std::string::npos ||
            extra.find("Program Files/") != std::string::npos) {
            replaceAll(extra, "Program Files", "Program Files (x86)");
            if (inFolder(false, extra)) {
                return true;
            }
        }
    }
    if (reportFailure) {
        const std::string name = textOf(exeName);
        std::string text(std::strlen("Failed to find: ") + name.size(), '\0');
        std::snprintf(text.data(), text.size() + 1, "Failed to find: %s", name.c_str());
        AfxMessageBox(text.c_str(), MB_OK);
    }
    return false;
}
