// Finding a sibling program beside us, in a developer tree above us or in a named folder, and
// starting it.
#include "misc/files/files.h"
#include "misc/process/process.h"
#include "misc/process/search_places.h"

#include "platform/process/process.h"
#include "platform/text/text.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace {

using namespace velmar::misc::process;

std::string textOf(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

// "Path" led by the developer tree's library folders while one of its programs starts, back
// to what it was when the object goes (unset again if it was unset). A "Path" too long for its
// buffer is left alone rather than cut.
class DeveloperPath {
public:
    explicit DeveloperPath(const std::string& root) {
        m_old = environmentText("Path", kPathSize, m_wasSet);
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

// The developer tree's root above folder: the folder holding the nearest ancestor (or folder
// itself) named "src" without regard to case or extension; nullopt at the top.
std::optional<std::string> developerRoot(const std::string& folder) {
    std::string examined = directoryOf(folder, true);
    while (true) {
        if (velmar::text::compareAnsiNoCase(fileNameOf(examined, true), "src") == 0) {
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
        extra = withSeparator(extra);
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
