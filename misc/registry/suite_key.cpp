#include "misc/registry/settings_core.h"

#include "platform/text/text.h"

namespace {
constexpr const char* kSuiteKey = "Software\\VELMAR Systems International";
constexpr const char* kInstallationSection = "Velmar Software\\CurrentVersion";
} // namespace

CString getSuiteKeyPath() {
    return CString(kSuiteKey);
}

bool isInstallationSection(LPCSTR section) {
    return section != nullptr &&
           velmar::text::compareAnsiNoCase(section, kInstallationSection) == 0;
}

namespace velmar::misc::registry {

std::string sectionKeyPath(LPCSTR section) {
    std::string path = kSuiteKey;
    if (section != nullptr) {
        path.append("\\").append(section);
    }
    return path;
}

} // namespace velmar::misc::registry
