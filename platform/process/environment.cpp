// Environment variables with Windows' rules on a host whose names are case-sensitive: the
// first exactly named variable wins, else the first one equal without regard to case.
#include "platform/base/base.h"
#include "platform/process/internal/path_list.h"
#include "platform/process/process.h"
#include "platform/text/text.h"

#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// The host names (UTF-8) of the variables that equal name without regard to case, the
// exactly named one first.
std::vector<std::string> hostNamesOf(const std::string& hostName) {
    std::vector<std::string> names;
    const std::string ansiName = velmar::text::utf8ToAnsi(hostName);
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        if (equals == nullptr || equals == *entry) {
            continue;
        }
        std::string name(*entry, static_cast<std::size_t>(equals - *entry));
        if (name == hostName) {
            names.insert(names.begin(), name);
        } else if (velmar::text::compareAnsiNoCase(velmar::text::utf8ToAnsi(name), ansiName) == 0) {
            names.push_back(name);
        }
    }
    return names;
}

bool validName(LPCSTR name) {
    return name != nullptr && name[0] != '\0' && std::strchr(name, '=') == nullptr;
}

} // namespace

namespace velmar::process {

bool environmentValue(const char* name, std::string& value) {
    if (!validName(name)) {
        return false;
    }
    const std::vector<std::string> names = hostNamesOf(text::ansiToUtf8(name));
    if (names.empty()) {
        return false;
    }
    const char* host = std::getenv(names.front().c_str());
    if (host == nullptr) {
        return false;
    }
    value = isPathName(name) ? windowsPathList(host) : text::utf8ToAnsi(host);
    return true;
}

} // namespace velmar::process

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
    std::string value;
    if (!velmar::process::environmentValue(name, value)) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    if (buffer == nullptr || value.size() >= size) {
        return static_cast<DWORD>(value.size() + 1);
    }
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(value.size());
}

BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value) {
    if (!validName(name)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string hostName = velmar::text::ansiToUtf8(name);
    std::vector<std::string> names = hostNamesOf(hostName);
    if (value == nullptr) {
        for (const std::string& existing : names) {
            ::unsetenv(existing.c_str());
        }
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    }
    const std::string text = velmar::process::isPathName(name)
                                 ? velmar::process::hostPathList(value)
                                 : velmar::text::ansiToUtf8(value);
    const std::string& target = names.empty() ? hostName : names.front();
    if (::setenv(target.c_str(), text.c_str(), 1) != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
