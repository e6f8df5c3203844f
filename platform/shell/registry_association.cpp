// The registry's file associations: extension -> type -> shell\<verb>\command.
#include "platform/registry/registry.h"
#include "platform/shell/internal/open_command.h"

#include <utility>

namespace velmar::shell {

namespace {

struct ClassRoot {
    HKEY hive;
    const char* path;
};

// Windows merges the user's classes over the machine's; HKEY_CLASSES_ROOT is a hive of its own
// here and sits between them.
const ClassRoot kClassRoots[] = {
    {HKEY_CURRENT_USER, "Software\\Classes\\"},
    {HKEY_CLASSES_ROOT, ""},
    {HKEY_LOCAL_MACHINE, "Software\\Classes\\"},
};

// The default value of a key below the classes as text, without its terminator.
std::optional<std::string> defaultText(const std::string& path) {
    for (const ClassRoot& root : kClassRoots) {
        registry::Key key;
        if (key.open(root.hive, root.path + path, KEY_QUERY_VALUE) != ERROR_SUCCESS) {
            continue;
        }
        registry::Value value;
        if (key.queryValue("", value) != ERROR_SUCCESS ||
            (value.type != REG_SZ && value.type != REG_EXPAND_SZ)) {
            continue;
        }
        std::string text = std::move(value.data);
        if (const std::size_t end = text.find('\0'); end != std::string::npos) {
            text.resize(end);
        }
        if (!text.empty()) {
            return text;
        }
    }
    return std::nullopt;
}

// The parameters as the C runtime splits them, for "%2".."%9".
std::vector<std::string> splitParameters(const std::string& parameters) {
    std::vector<std::string> result;
    std::string current;
    bool quoted = false;
    bool any = false;
    for (char c : parameters) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any) {
                result.push_back(std::move(current));
                current.clear();
                any = false;
            }
        } else {
            current += c;
            any = true;
        }
    }
    if (any) {
        result.push_back(std::move(current));
    }
    return result;
}

} // namespace

std::optional<std::string> registryCommand(const std::string& extension, const std::string& verb) {
    if (extension.size() < 2 || extension.front() != '.') {
        return std::nullopt;
    }
    const std::optional<std::string> type = defaultText(extension);
    if (!type) {
        return std::nullopt;
    }
    return defaultText(*type + "\\shell\\" + verb + "\\command");
}

std::string expandRegistryCommand(const std::string& command, const std::string& file,
                                  const std::string& parameters) {
    std::string line;
    bool fileGiven = false;
    std::vector<std::string> split;
    bool splitDone = false;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        const char next = i + 1 < command.size() ? command[i + 1] : '\0';
        if (c != '%' || next == '\0') {
            line += c;
            continue;
        }
        if (next == '1' || next == 'L' || next == 'l') {
            line += file;
            fileGiven = true;
        } else if (next == '*') {
            line += parameters;
        } else if (next >= '2' && next <= '9') {
            if (!splitDone) {
                split = splitParameters(parameters);
                splitDone = true;
            }
            const auto place = static_cast<std::size_t>(next - '2');
            if (place < split.size()) {
                line += split[place];
            }
        } else {
            line += c;
            continue;
        }
        ++i;
    }
    if (!fileGiven) {
        line += " \"" + file + "\"";
    }
    return line;
}

} // namespace velmar::shell
