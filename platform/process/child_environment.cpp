#include "platform/process/internal/child_environment.h"

#include "platform/process/internal/path_list.h"
#include "platform/process/internal/startup_info.h"
#include "platform/text/text.h"

#include <algorithm>
#include <cstring>
#include <string_view>

extern char** environ;

namespace velmar::process {

namespace {

// The name of a "NAME=value" entry. Windows blocks hold hidden entries such as "=C:=C:\x",
// so the name's first character may be "=".
std::string_view nameOf(std::string_view entry) {
    const std::size_t equals = entry.find('=', 1);
    return entry.substr(0, equals == std::string_view::npos ? entry.size() : equals);
}

} // namespace

ChildEnvironment::ChildEnvironment(const char* block, const STARTUPINFOA* startup) {
    if (block == nullptr) {
        // Our own entries are passed as they stand, without copies.
        for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
            if (nameOf(*entry) != kStartupVariable) {
                m_entries.push_back(*entry);
            }
        }
    } else {
        for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
            const std::string_view ansi(entry);
            const std::string_view name = nameOf(ansi);
            if (isPathName(name)) {
                // Named as the host's programs look for it.
                add("PATH=" + hostPathList(ansi.substr(std::min(name.size() + 1, ansi.size()))));
            } else if (text::compareAnsiNoCase(name, kStartupVariable) != 0) {
                add(text::ansiToUtf8(ansi));
            }
        }
    }
    if (startup != nullptr) {
        add(std::string(kStartupVariable) + "=" + startupText(*startup));
    }
    m_entries.push_back(nullptr);
}

void ChildEnvironment::add(std::string entry) {
    m_entries.push_back(m_owned.emplace_back(std::move(entry)).data());
}

} // namespace velmar::process
