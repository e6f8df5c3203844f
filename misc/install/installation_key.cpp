#include "misc/install/installation_key.h"

#include "misc/registry/registry.h"

#include <cstring>

namespace velmar::misc::install {

std::string installationKeyPath() {
    return getSuiteKeyPath().native() + "\\Velmar Software\\CurrentVersion";
}

bool queryValueText(const registry::Key& key, const char* valueName, std::string& text) {
    char buffer[kValueBufferSize];
    DWORD size = sizeof buffer;
    DWORD type = REG_NONE;
    if (key.queryValue(valueName != nullptr ? valueName : "", &type, buffer, &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    const void* end = std::memchr(buffer, '\0', size);
    if (end == nullptr && size == sizeof buffer) {
        // No room left for the terminator: longer than the buffer holds.
        return false;
    }
    text.assign(buffer, end != nullptr ? static_cast<const char*>(end) - buffer : size);
    return true;
}

bool readInstallationText(const char* valueName, REGSAM view, std::string& text) {
    registry::Key key;
    if (key.open(HKEY_LOCAL_MACHINE, installationKeyPath(), KEY_READ | view) != ERROR_SUCCESS) {
        return false;
    }
    return queryValueText(key, valueName, text);
}

} // namespace velmar::misc::install
