// env: the machine environment that the suite publishes, as POSIX shell assignments, so that
// a login script can apply it with eval "$(velmar-reg env)".
#include "tools/reg/reg_tool.h"

#include <cstdio>

using velmar::registry::Key;

namespace velmar::reg {

namespace {

const char* const kEnvironmentKey =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

// A name the shell can assign: letters, digits and "_", not starting with a digit.
bool isShellName(const std::string& name) {
    if (name.empty() || (name[0] >= '0' && name[0] <= '9')) {
        return false;
    }
    for (const char c : name) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '_')) {
            return false;
        }
    }
    return true;
}

// Single quotes keep every character as it is; a quote inside closes, escapes and reopens.
std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    return out + "'";
}

} // namespace

int runEnv(const std::vector<std::string>& args) {
    if (!args.empty()) {
        return fail("Invalid syntax: env takes no arguments.");
    }
    Key key;
    if (const DWORD code = key.open(HKEY_LOCAL_MACHINE, kEnvironmentKey, KEY_READ);
        code != ERROR_SUCCESS) {
        // Nothing published yet: nothing to assign, and the script goes on.
        return code == ERROR_FILE_NOT_FOUND ? 0 : failCode(code);
    }
    for (const auto& [name, value] : key.values()) {
        if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) {
            continue;
        }
        if (!isShellName(name)) {
            std::fprintf(stderr, "velmar-reg: %s is no shell variable name, left out\n",
                         toTerminal(name).c_str());
            continue;
        }
        // The text up to its terminator, as the environment receives it.
        const std::string text = value.data.substr(0, value.data.find('\0'));
        std::printf("export %s=%s\n", name.c_str(), shellQuoted(toTerminal(text)).c_str());
    }
    return 0;
}

} // namespace velmar::reg
