#include "platform/ui/internal/terminal_presenter.h"
#include "platform/ui/internal/terminal_mode.h"

#include "platform/text/text.h"

#include <algorithm>
#include <ctime>

#include <vector>

namespace velmar::ui {

namespace {

// How long the rest of an escape sequence may take to follow its ESC: a lone ESC is the key.
constexpr int kEscapeWaitMs = 40;
constexpr int kPollMs = 50;

std::vector<HWND> visibleTopLevelWindows() {
    std::vector<HWND> found;
    EnumWindows(
        [](HWND window, LPARAM list) {
            if (IsWindowVisible(window)) {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found; // the topmost first
}

} // namespace

TerminalPresenter::TerminalPresenter() : m_reader([this] { readKeys(); }) {}

TerminalPresenter::~TerminalPresenter() {
    m_stop = true;
    m_reader.join();
    terminal::leave();
}

void TerminalPresenter::windowChanged(HWND window, WindowChange change) {
    if (change == WindowChange::Focus) {
        m_focus = window;
    }
    m_dirty = true;
    // What a program paints at once (UpdateWindow, RedrawWindow) shows at once, also while it
    // waits for something else than input and never idles. Only the changed cells are written.
    if (change == WindowChange::Painted && m_active) {
        m_dirty = false;
        draw();
        return;
    }
    // When the last window goes, the terminal is given back at once, so that what the
    // program prints next lands on its own screen.
    if ((change == WindowChange::Hidden || change == WindowChange::Destroyed) && m_active &&
        (static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & WS_CHILD) == 0) {
        draw();
    }
}

bool TerminalPresenter::idle(HWND /*modal*/) {
    if (m_dirty.exchange(false)) {
        draw();
    }
    return false;
}

void TerminalPresenter::draw() {
    std::vector<HWND> windows = visibleTopLevelWindows();
    std::lock_guard lock(m_drawMutex);
    if (windows.empty()) {
        if (m_active) {
            m_shown.reset();
            m_active = false;
            terminal::leave();
        }
        return;
    }
    if (!m_active) {
        terminal::enter();
        m_active = true;
    }
    int rows = 24;
    int columns = 80;
    terminal::size(rows, columns);
    auto canvas = std::make_unique<Canvas>(rows, columns);
    drawWindows(*canvas, std::vector<HWND>(windows.rbegin(), windows.rend()), m_focus);
    terminal::output(terminalUpdate(m_shown.get(), *canvas));
    m_shown = std::move(canvas);
}

HWND TerminalPresenter::inputTarget() {
    for (HWND window : visibleTopLevelWindows()) {
        if (IsWindowEnabled(window)) {
            return window;
        }
    }
    return nullptr;
}

void TerminalPresenter::post(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND target = inputTarget();
    if (target == nullptr) {
        return;
    }
    HWND focus = m_focus;
    if (focus != nullptr && IsWindow(focus) && IsWindowVisible(focus) &&
        (focus == target || IsChild(target, focus))) {
        target = focus;
    }
    PostMessageA(target, message, wParam, lParam);
}

void TerminalPresenter::readKeys() {
    std::string pending;
    while (!m_stop) {
        if (pending.empty()) {
            if (!m_active) {
                // The terminal is the program's own while no window shows: its input too.
                struct timespec pause {
                    0, kPollMs * 1000000L
                };
                nanosleep(&pause, nullptr);
                continue;
            }
            pending = terminal::input(kPollMs);
            if (pending.empty()) {
                continue;
            }
        }
        const unsigned char first = static_cast<unsigned char>(pending[0]);
        std::size_t used = 1;
        if (first == 0x1b) {
            if (pending.size() == 1) {
                pending += terminal::input(kEscapeWaitMs);
            }
            if (pending.size() >= 3 && (pending[1] == '[' || pending[1] == 'O')) {
                used = 3;
                switch (pending[2]) {
                case 'A':
                    post(WM_KEYDOWN, VK_UP, 1);
                    break;
                case 'B':
                    post(WM_KEYDOWN, VK_DOWN, 1);
                    break;
                case 'C':
                    post(WM_KEYDOWN, VK_RIGHT, 1);
                    break;
                case 'D':
                    post(WM_KEYDOWN, VK_LEFT, 1);
                    break;
                case 'Z':
                    post(WM_KEYDOWN, VK_TAB, 1 | KF_SHIFTDOWN_LPARAM);
                    break;
                default:
                    // Other sequences (function keys) end at their final letter.
                    while (used < pending.size() &&
                           !(pending[used - 1] >= '@' && pending[used - 1] <= '~')) {
                        ++used;
                    }
                    break;
                }
            } else if (pending.size() >= 2 && static_cast<unsigned char>(pending[1]) >= 0x20 &&
                       static_cast<unsigned char>(pending[1]) < 0x7f) {
                used = 2;
                post(WM_SYSCHAR, static_cast<unsigned char>(pending[1]), 1 | KF_ALTDOWN_LPARAM);
            } else {
                post(WM_KEYDOWN, VK_ESCAPE, 1);
            }
        } else if (first == '\t') {
            post(WM_KEYDOWN, VK_TAB, 1);
        } else if (first == '\r' || first == '\n') {
            post(WM_KEYDOWN, VK_RETURN, 1);
        } else if (first == 0x7f || first == 0x08) {
            post(WM_KEYDOWN, VK_BACK, 1);
        } else if (first == ' ') {
            post(WM_KEYDOWN, VK_SPACE, 1);
        } else if (first >= 0x20 && first < 0x80) {
            post(WM_CHAR, first, 1);
        } else if (first >= 0xC0) {
            // A UTF-8 sequence: one character of the code page, or "?".
            const std::size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : 2;
            used = std::min(length, pending.size());
            const std::string ansi = text::utf8ToAnsi(pending.substr(0, used));
            if (!ansi.empty()) {
                post(WM_CHAR, static_cast<unsigned char>(ansi[0]), 1);
            }
        }
        pending.erase(0, used);
    }
}

} // namespace velmar::ui
