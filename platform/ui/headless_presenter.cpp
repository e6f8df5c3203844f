#include "platform/ui/internal/headless_presenter.h"
#include "platform/ui/internal/dialog.h"
#include "platform/ui/internal/window_names.h"

#include "platform/host/host.h"
#include "platform/text/text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace velmar::ui {

namespace {

// What a default answer or the script's end does when a dialog still does not end: the
// first answer is Enter (a folder browser is cancelled), the second Escape, and then the run
// stops rather than hang.
constexpr int kAnswersBeforeFailing = 2;

bool isChildWindow(HWND window) {
    return (static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & WS_CHILD) != 0;
}

std::vector<HWND> descendantsOf(HWND window) {
    std::vector<HWND> found;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<HWND> topLevelWindows() {
    std::vector<HWND> found;
    EnumWindows(
        [](HWND window, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

bool ownThread(HWND window) {
    return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

// The window a step outside a modal loop goes to: the thread's active window, else its
// topmost visible one.
HWND nonModalTarget() {
    HWND active = GetActiveWindow();
    if (active != nullptr && IsWindowVisible(active) && IsWindowEnabled(active)) {
        return active;
    }
    for (HWND window : topLevelWindows()) {
        if (ownThread(window) && IsWindowVisible(window) && IsWindowEnabled(window)) {
            return window;
        }
    }
    return nullptr;
}

std::string controlFlags(HWND window) {
    std::string flags;
    if (!IsWindowEnabled(window)) {
        flags += " disabled";
    }
    if (controlKind(window) == ControlKind::Button &&
        (static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & BS_TYPEMASK) ==
            BS_DEFPUSHBUTTON) {
        flags += " default";
    }
    if (controlKind(window) == ControlKind::Edit) {
        flags += " = " + quoted(windowText(window));
    }
    return flags;
}

std::string buttonsOfBox(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return "OK,Cancel";
    case MB_YESNO:
        return "Yes,No";
    case MB_YESNOCANCEL:
        return "Yes,No,Cancel";
    default:
        return "OK";
    }
}

std::string iconOfBox(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
        return " icon=error";
    case MB_ICONQUESTION:
        return " icon=question";
    case MB_ICONWARNING:
        return " icon=warning";
    case MB_ICONINFORMATION:
        return " icon=information";
    default:
        return "";
    }
}

bool sameTextNoCase(std::string_view a, std::string_view b) {
    return text::compareAnsiNoCase(a, b) == 0;
}

} // namespace

HeadlessPresenter::HeadlessPresenter(const std::string& tracePath, const std::string& scriptPath) {
    if (!tracePath.empty()) {
        m_trace = host::open(tracePath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (m_trace < 0) {
            std::fprintf(stderr, "VELMAR_UI_TRACE: cannot open %s: %s\n", tracePath.c_str(),
                         std::strerror(errno));
        }
    }
    if (!scriptPath.empty()) {
        std::string bytes;
        if (!host::readFile(scriptPath.c_str(), bytes)) {
            fail(0, "cannot read the script " + scriptPath + ": " + std::strerror(errno));
        }
        m_script = parseScript(bytes);
        if (m_script.errorLine != 0) {
            fail(m_script.errorLine, m_script.error);
        }
    }
}

HeadlessPresenter::~HeadlessPresenter() {
    if (m_trace >= 0) {
        host::close(m_trace);
    }
}

void HeadlessPresenter::trace(const std::string& line) {
    if (m_trace < 0) {
        return;
    }
    const std::string whole = line + "\n";
    std::size_t written = 0;
    while (written < whole.size()) {
        const ssize_t n = host::write(m_trace, whole.data() + written, whole.size() - written);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) {
                continue;
            }
            return;
        }
        written += static_cast<std::size_t>(n);
    }
}

void HeadlessPresenter::fail(int line, const std::string& message) {
    const std::string text = line > 0
                                 ? "error: script line " + std::to_string(line) + ": " + message
                                 : "error: " + message;
    trace(text);
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(nullptr);
    // Nothing else of the program may run on: it would wait for a person who is not there.
    ::_exit(3);
}

void HeadlessPresenter::reportShown(HWND window) {
    struct Shown {
        HWND window;
        std::string name;
        std::string flags;
    };
    std::vector<Shown> shown{{window, windowName(window), {}}};
    for (HWND child : descendantsOf(window)) {
        if (IsWindowVisible(child)) {
            shown.push_back({child, windowName(child), controlFlags(child)});
        }
    }
    std::lock_guard lock(m_mutex);
    for (const Shown& each : shown) {
        m_reported[each.window] = each.name;
        trace("shown " + each.name + each.flags);
    }
}

void HeadlessPresenter::forget(HWND window) {
    std::vector<HWND> gone = descendantsOf(window);
    gone.push_back(window);
    std::lock_guard lock(m_mutex);
    for (HWND each : gone) {
        m_reported.erase(each);
    }
    m_defaultAnswers.erase(window);
}

void HeadlessPresenter::windowChanged(HWND window, WindowChange change) {
    switch (change) {
    case WindowChange::Shown: {
        if (!isChildWindow(window)) {
            reportShown(window);
            return;
        }
        const std::string name = windowName(window);
        const std::string flags = controlFlags(window);
        std::lock_guard lock(m_mutex);
        // A control shown with its window was listed with it; one shown later is news.
        if (m_reported.count(window) == 0 && m_reported.count(topLevelOf(window)) != 0) {
            m_reported[window] = name;
            trace("shown " + name + flags);
        }
        return;
    }
    case WindowChange::Hidden:
    case WindowChange::Destroyed: {
        std::string name;
        {
            std::lock_guard lock(m_mutex);
            const auto found = m_reported.find(window);
            if (found == m_reported.end()) {
                return;
            }
            name = found->second;
            trace((change == WindowChange::Hidden ? "hidden " : "destroyed ") + name);
        }
        forget(window);
        return;
    }
    case WindowChange::Text:
    case WindowChange::Enabled:
    case WindowChange::Focus: {
        if (!IsWindowVisible(window)) {
            return;
        }
        const std::string name = windowName(window);
        std::string line;
        if (change == WindowChange::Text) {
            line = "text " + name + " = " + quoted(windowText(window));
        } else if (change == WindowChange::Enabled) {
            line = (IsWindowEnabled(window) ? "enabled " : "disabled ") + name;
        } else {
            line = "focus " + name;
        }
        std::lock_guard lock(m_mutex);
        if (m_reported.count(window) != 0) {
            m_reported[window] = name;
            trace(line);
        }
        return;
    }
    case WindowChange::Moved:
    case WindowChange::Painted:
        return;
    }
}

void HeadlessPresenter::dialogEnded(HWND dialog, INT_PTR result) {
    const std::string symbol = resultName(result);
    const std::string line = "dialog-ended " + windowName(dialog) +
                             " result=" + std::to_string(result) +
                             (symbol.empty() ? "" : " (" + symbol + ")");
    std::lock_guard lock(m_mutex);
    trace(line);
}

void HeadlessPresenter::messageBoxShown(HWND, std::string_view caption, std::string_view text,
                                        UINT type) {
    const UINT defaultIndex = (type & MB_DEFMASK) >> 8;
    std::string buttons = buttonsOfBox(type);
    std::vector<std::string> names;
    for (std::size_t start = 0; start <= buttons.size();) {
        const std::size_t comma = buttons.find(',', start);
        names.push_back(buttons.substr(start, comma - start));
        start = comma == std::string::npos ? buttons.size() + 1 : comma + 1;
    }
    const std::string& defaultName = names[defaultIndex < names.size() ? defaultIndex : 0];
    const std::string line = "message-box " + quoted(caption) + " text=" + quoted(text) +
                             " buttons=" + buttons + " default=" + defaultName + iconOfBox(type);
    std::lock_guard lock(m_mutex);
    trace(line);
}

void HeadlessPresenter::folderBrowserShown(HWND browser, std::string_view title,
                                           std::string_view initialFolder) {
    std::lock_guard lock(m_mutex);
    m_browsers.insert(browser);
    trace("folder-browser title=" + quoted(title) + " initial=" + quoted(initialFolder));
}

void HeadlessPresenter::clipboardSet(std::string_view text) {
    std::lock_guard lock(m_mutex);
    trace("clipboard " + quoted(text));
}

std::string HeadlessPresenter::run(const ScriptStep& step, HWND target, HWND modal) {
    const std::string where = " in " + windowName(target);
    HWND focus = GetFocus();
    if (focus != nullptr && focus != target && !IsChild(target, focus)) {
        focus = nullptr;
    }
    switch (step.kind) {
    case ScriptStep::Kind::Click: {
        const std::string wanted = text::utf8ToAnsi(step.argument);
        for (HWND child : descendantsOf(target)) {
            if (controlKind(child) != ControlKind::Button) {
                continue;
            }
            const bool match = step.byId
                                   ? GetDlgCtrlID(child) == step.id
                                   : sameTextNoCase(withoutMnemonic(windowText(child)), wanted);
            if (!match) {
                continue;
            }
            if (!IsWindowVisible(child)) {
                return "the button " + windowName(child) + " is hidden";
            }
            if (!IsWindowEnabled(child)) {
                return "the button " + windowName(child) + " is disabled";
            }
            PostMessageA(child, BM_CLICK, 0, 0);
            return {};
        }
        return "no button " + (step.byId ? "#" + std::to_string(step.id) : quoted(wanted)) + where;
    }
    case ScriptStep::Kind::Key:
        PostMessageA(focus != nullptr ? focus : target, step.message, step.wParam, step.lParam);
        return {};
    case ScriptStep::Kind::Close:
        PostMessageA(target, WM_SYSCOMMAND, SC_CLOSE, 0);
        return {};
    case ScriptStep::Kind::Type: {
        if (focus == nullptr || controlKind(focus) != ControlKind::Edit) {
            return "the focus is not in an edit field" + where;
        }
        if (!IsWindowEnabled(focus)) {
            return "the edit field " + windowName(focus) + " is disabled";
        }
        for (const char c : text::utf8ToAnsi(step.argument)) {
            PostMessageA(focus, WM_CHAR, static_cast<unsigned char>(c), 1);
        }
        return {};
    }
    case ScriptStep::Kind::Folder: {
        bool browser = false;
        {
            std::lock_guard lock(m_mutex);
            browser = modal != nullptr && m_browsers.count(modal) != 0;
        }
        if (!browser) {
            return "no folder browser is shown (the window is " + windowName(target) + ")";
        }
        if (step.cancel) {
            PostMessageA(modal, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(IDCANCEL), BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(modal, IDCANCEL)));
            return {};
        }
        for (HWND child : childrenOf(modal)) {
            if (controlKind(child) == ControlKind::Edit) {
                SetWindowTextA(child, text::utf8ToAnsi(step.argument).c_str());
                PostMessageA(modal, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(IDOK), BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(modal, IDOK)));
                return {};
            }
        }
        return "the folder browser has no path field";
    }
    }
    return "unknown step";
}

bool HeadlessPresenter::answerByDefault(HWND modal) {
    int given = 0;
    bool browser = false;
    {
        std::lock_guard lock(m_mutex);
        given = m_defaultAnswers[modal]++;
        browser = m_browsers.count(modal) != 0;
    }
    const std::string name = windowName(modal);
    if (given >= kAnswersBeforeFailing) {
        fail(0, "the dialog " + name + " does not end and no script step is left to answer it");
    }
    {
        std::lock_guard lock(m_mutex);
        trace("default-answer " + name + (browser || given > 0 ? " Escape" : " Enter"));
    }
    if (browser || given > 0) {
        PostMessageA(modal, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(IDCANCEL), BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(modal, IDCANCEL)));
    } else {
        HWND focus = GetFocus();
        PostMessageA(focus != nullptr && IsChild(modal, focus) ? focus : modal, WM_KEYDOWN,
                     VK_RETURN, 1);
    }
    return true;
}

bool HeadlessPresenter::idle(HWND modal) {
    const ScriptStep* step = nullptr;
    {
        std::lock_guard lock(m_mutex);
        if (m_next < m_script.steps.size()) {
            step = &m_script.steps[m_next];
        }
    }
    if (step == nullptr) {
        // A person would be asked here; without one, the dialog gets its default answer.
        return modal != nullptr && answerByDefault(modal);
    }
    HWND target = modal != nullptr ? modal : nonModalTarget();
    if (target == nullptr) {
        // Another thread's window may take the step: wake that thread so that it looks.
        for (HWND window : topLevelWindows()) {
            if (IsWindowVisible(window) && IsWindowEnabled(window)) {
                PostMessageA(window, WM_NULL, 0, 0);
                return false;
            }
        }
        fail(step->line, "no window is shown to take \"" + step->source + "\"");
    }
    {
        std::lock_guard lock(m_mutex);
        trace("step " + std::to_string(step->line) + ": " + step->source);
        ++m_next;
    }
    const std::string error = run(*step, target, modal);
    if (!error.empty()) {
        fail(step->line, error);
    }
    return true;
}

} // namespace velmar::ui
