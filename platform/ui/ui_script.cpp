#include "platform/ui/internal/ui_script.h"

#include <cctype>
#include <cstdlib>

namespace velmar::ui {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

bool parseKey(std::string_view name, ScriptStep& step) {
    struct Named {
        const char* name;
        WPARAM key;
        LPARAM flags;
    };
    static const Named keys[] = {
        {"tab", VK_TAB, 0},        {"shift+tab", VK_TAB, KF_SHIFTDOWN_LPARAM},
        {"enter", VK_RETURN, 0},   {"escape", VK_ESCAPE, 0},
        {"esc", VK_ESCAPE, 0},     {"left", VK_LEFT, 0},
        {"right", VK_RIGHT, 0},    {"up", VK_UP, 0},
        {"down", VK_DOWN, 0},      {"space", VK_SPACE, 0},
        {"backspace", VK_BACK, 0},
    };
    const std::string key = lowered(name);
    for (const Named& named : keys) {
        if (key == named.name) {
            step.message = WM_KEYDOWN;
            step.wParam = named.key;
            step.lParam = named.flags;
            return true;
        }
    }
    if (key.size() == 5 && key.compare(0, 4, "alt+") == 0 &&
        std::isalnum(static_cast<unsigned char>(key[4]))) {
        step.message = WM_SYSCHAR;
        step.wParam = static_cast<unsigned char>(key[4]);
        step.lParam = KF_ALTDOWN_LPARAM;
        return true;
    }
    return false;
}

// Reads one step; an error text when the line is none.
std::string parseStep(std::string_view line, ScriptStep& step) {
    const std::size_t blank = line.find_first_of(" \t");
    const std::string verb = lowered(line.substr(0, blank));
    const std::string_view argument =
        blank == std::string_view::npos ? std::string_view() : trimmed(line.substr(blank));
    step.argument = std::string(argument);
    if (verb == "click") {
        step.kind = ScriptStep::Kind::Click;
        if (argument.empty()) {
            return "click needs a button's text or #id";
        }
        if (argument.front() == '#' && argument.size() > 1) {
            char* end = nullptr;
            const std::string digits(argument.substr(1));
            const long id = std::strtol(digits.c_str(), &end, 10);
            if (*end != '\0') {
                return "\"" + digits + "\" is no control id";
            }
            step.byId = true;
            step.id = static_cast<int>(id);
        }
        return {};
    }
    if (verb == "key") {
        step.kind = ScriptStep::Kind::Key;
        if (!parseKey(argument, step)) {
            return "unknown key \"" + std::string(argument) +
                   "\" (Tab, Shift+Tab, Enter, Escape, Left, Right, Up, Down, Space, "
                   "Backspace, Alt+<letter>)";
        }
        return {};
    }
    if (verb == "type") {
        step.kind = ScriptStep::Kind::Type;
        // The text is the rest of the line as written, blanks after the first one included.
        step.argument =
            blank == std::string_view::npos ? std::string() : std::string(line.substr(blank + 1));
        if (step.argument.empty()) {
            return "type needs a text";
        }
        return {};
    }
    if (verb == "folder") {
        step.kind = ScriptStep::Kind::Folder;
        if (argument.empty()) {
            return "folder needs a path or \"cancel\"";
        }
        step.cancel = lowered(argument) == "cancel";
        return {};
    }
    if (verb == "close") {
        step.kind = ScriptStep::Kind::Close;
        return argument.empty() ? std::string() : "close takes nothing";
    }
    return "unknown step \"" + verb + "\" (click, key, type, folder, close)";
}

} // namespace

Script parseScript(std::string_view text) {
    Script script;
    int number = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        ++number;
        const std::size_t end = text.find('\n', start);
        std::string_view line = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        start = end == std::string_view::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::string_view content = trimmed(line);
        if (content.empty() || content.front() == '#') {
            continue;
        }
        ScriptStep step;
        step.line = number;
        step.source = std::string(content);
        std::string error = parseStep(content, step);
        if (!error.empty()) {
            script.errorLine = number;
            script.error = std::move(error);
            break;
        }
        script.steps.push_back(std::move(step));
    }
    return script;
}

} // namespace velmar::ui
