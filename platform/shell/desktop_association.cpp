// The desktop's default applications: xdg-mime names the file's type and the application's
// entry file, whose Exec line says how to start it.
#include "platform/host/host.h"
#include "platform/process/process.h"
#include "platform/shell/internal/open_command.h"

#include <cstdlib>

namespace velmar::shell {

namespace {

// The first line of a tool's answer, up to a ";" and without blanks around it.
std::string firstItem(const std::string& text) {
    std::string item = text.substr(0, text.find_first_of("\n;"));
    const std::size_t begin = item.find_first_not_of(" \t\r");
    const std::size_t end = item.find_last_not_of(" \t\r");
    return begin == std::string::npos ? std::string() : item.substr(begin, end - begin + 1);
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// $XDG_DATA_HOME, then each folder of $XDG_DATA_DIRS, with their defaults.
std::vector<std::string> dataFolders() {
    std::vector<std::string> folders;
    std::string home = environment("XDG_DATA_HOME");
    if (home.empty()) {
        home = environment("HOME") + "/.local/share";
    }
    folders.push_back(home);
    std::string dirs = environment("XDG_DATA_DIRS");
    if (dirs.empty()) {
        dirs = "/usr/local/share:/usr/share";
    }
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t colon = std::min(dirs.find(':', start), dirs.size());
        if (colon > start) {
            folders.push_back(dirs.substr(start, colon - start));
        }
        start = colon + 1;
    }
    return folders;
}

// The entry file's text of a desktop file id; "a-b.desktop" may also be "a/b.desktop".
bool readEntry(const std::string& id, std::string& text) {
    std::vector<std::string> names{id};
    std::string name = id;
    for (std::size_t dash = name.find('-'); dash != std::string::npos;
         dash = name.find('-', dash + 1)) {
        name[dash] = '/';
        names.push_back(name);
    }
    for (const std::string& folder : dataFolders()) {
        for (const std::string& candidate : names) {
            if (host::readFile((folder + "/applications/" + candidate).c_str(), text)) {
                return true;
            }
        }
    }
    return false;
}

// Appends a field code's expansion; false for a code the rules do not know.
bool expandFieldCode(char code, const std::string& file, std::string& out) {
    switch (code) {
    case 'f':
    case 'F':
    case 'u':
    case 'U':
        out += file;
        return true;
    case '%':
        out += '%';
        return true;
    case 'i':
    case 'c':
    case 'k':
    case 'd':
    case 'D':
    case 'n':
    case 'N':
    case 'v':
    case 'm':
        return true;
    default:
        return false;
    }
}

} // namespace

std::string desktopExecOf(const std::string& entryText) {
    bool inEntry = false;
    std::size_t start = 0;
    while (start < entryText.size()) {
        std::size_t end = entryText.find('\n', start);
        if (end == std::string::npos) {
            end = entryText.size();
        }
        std::string line = entryText.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntry || line.compare(0, 4, "Exec") != 0) {
            continue;
        }
        const std::size_t equals = line.find('=', 4);
        if (equals == std::string::npos ||
            line.find_first_not_of(" \t", 4) != equals) { // "Exec[de]=" is another key
            continue;
        }
        std::string value;
        const std::size_t from = line.find_first_not_of(" \t", equals + 1);
        for (std::size_t i = from == std::string::npos ? line.size() : from; i < line.size(); ++i) {
            if (line[i] != '\\' || i + 1 == line.size()) {
                value += line[i];
                continue;
            }
            const char next = line[++i];
            value += next == 's'   ? ' '
                     : next == 'n' ? '\n'
                     : next == 't' ? '\t'
                     : next == 'r' ? '\r'
                                   : next;
        }
        return value;
    }
    return {};
}

std::vector<std::string> expandDesktopExec(const std::string& exec, const std::string& file) {
    std::vector<std::string> args;
    std::size_t i = 0;
    while (true) {
        while (i < exec.size() && exec[i] == ' ') {
            ++i;
        }
        if (i == exec.size()) {
            return args;
        }
        std::string arg;
        bool quoted = false;
        bool keep = false; // a quoted "" or any text that stays makes an argument
        for (; i < exec.size() && (quoted || exec[i] != ' '); ++i) {
            const char c = exec[i];
            if (c == '"') {
                quoted = !quoted;
                keep = true;
            } else if (quoted && c == '\\' && i + 1 < exec.size()) {
                arg += exec[++i];
            } else if (c == '%' && i + 1 < exec.size()) {
                const std::size_t before = arg.size();
                if (!expandFieldCode(exec[++i], file, arg)) {
                    return {};
                }
                keep = keep || arg.size() > before;
            } else if (c == '%') {
                return {};
            } else {
                arg += c;
                keep = true;
            }
        }
        if (quoted) {
            return {};
        }
        if (keep) {
            args.push_back(std::move(arg));
        }
    }
}

std::vector<std::string> desktopCommand(const std::string& file) {
    std::string answer;
    if (!process::readProgramOutput({"xdg-mime", "query", "filetype", file}, answer)) {
        return {};
    }
    const std::string type = firstItem(answer);
    if (type.empty() ||
        !process::readProgramOutput({"xdg-mime", "query", "default", type}, answer)) {
        return {};
    }
    const std::string id = firstItem(answer);
    std::string entry;
    if (id.empty() || !readEntry(id, entry)) {
        return {};
    }
    return expandDesktopExec(desktopExecOf(entry), file);
}

} // namespace velmar::shell
