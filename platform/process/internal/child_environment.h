// The environment a child of CreateProcessA starts with.
#pragma once

#include "platform/process/process.h"

#include <deque>
#include <string>
#include <vector>

namespace velmar::process {

class ChildEnvironment {
public:
    // Ours for a null block, else the caller's "NAME=value" block (ANSI, made UTF-8 here; its
    // PATH, in any letter case, a Windows list made the host's). The start-up variable is
    // replaced by one for startup, or removed when it is null.
    ChildEnvironment(const char* block, const STARTUPINFOA* startup);
    ChildEnvironment(const ChildEnvironment&) = delete;
    ChildEnvironment& operator=(const ChildEnvironment&) = delete;

    // The null-terminated array that posix_spawn takes; valid while this object lives.
    char* const* envp() const { return m_entries.data(); }

private:
    void add(std::string entry);

    std::deque<std::string> m_owned; // a deque keeps the strings' addresses as it grows
    std::vector<char*> m_entries;
};

} // namespace velmar::process
