// Posted messages: posting, the message loop's retrieval in Windows' order (sent messages
// answered first, then posted messages, then WM_QUIT, then WM_PAINT), translation and dispatch.
#include "platform/ui/internal/modal.h"
#include "platform/ui/internal/presenter.h"
#include "platform/ui/internal/thread_queue.h"
#include "platform/ui/internal/window_ops.h"
#include "platform/ui/internal/window_table.h"
#include "platform/ui/ui.h"

#include <chrono>

using velmar::ui::ThreadQueue;
using velmar::ui::Window;
using velmar::ui::WindowLock;
using velmar::ui::WindowTable;

namespace {

// GetMessageA's and PeekMessageA's window filter for thread messages only.
const HWND kThreadMessages = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));

DWORD messageTime() {
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::steady_clock::now().time_since_epoch())
                                  .count());
}

struct Filter {
    HWND window = nullptr;
    UINT first = 0;
    UINT last = 0;

    bool inRange(UINT message) const {
        return (first == 0 && last == 0) || (message >= first && message <= last);
    }
    // Null takes every message, kThreadMessages those without a window, a window those of
    // it and its descendants.
    bool takesWindow(HWND target) const {
        if (window == nullptr) {
            return true;
        }
        if (window == kThreadMessages) {
            return target == nullptr;
        }
        WindowLock lock = velmar::ui::lockWindows();
        WindowTable& table = WindowTable::instance();
        const Window* filter = table.lookupLocked(window);
        const Window* found = table.lookupLocked(target);
        return filter != nullptr && found != nullptr &&
               velmar::ui::isSelfOrDescendant(*filter, found);
    }
};

// False (with the error) for a filter window that is not a window of this thread.
bool validFilter(HWND window, const ThreadQueue& queue) {
    if (window == nullptr || window == kThreadMessages) {
        return true;
    }
    WindowLock lock = velmar::ui::lockWindows();
    const Window* found = WindowTable::instance().lookupLocked(window);
    if (found == nullptr || found->queue.get() != &queue) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    return true;
}

bool takeMessage(ThreadQueue& queue, MSG& out, const Filter& filter, bool remove) {
    queue.answerSent();
    if (queue.takePosted(out, remove, [&](const MSG& m) {
            return filter.inRange(m.message) && filter.takesWindow(m.hwnd);
        })) {
        return true;
    }
    int exitCode = 0;
    if (queue.takeQuit(exitCode, remove)) {
        out = MSG{};
        out.message = WM_QUIT;
        out.wParam = static_cast<WPARAM>(exitCode);
        out.time = messageTime();
        return true;
    }
    if (filter.inRange(WM_PAINT)) {
        if (HWND window = queue.nextToPaint(velmar::ui::needsPainting,
                                            [&](HWND w) { return filter.takesWindow(w); });
            window != nullptr) {
            // WM_PAINT stays due until the window is validated.
            out = MSG{};
            out.hwnd = window;
            out.message = WM_PAINT;
            out.time = messageTime();
            return true;
        }
    }
    return false;
}

// The character a key gives (without shift state: letters come lower case).
int characterOf(WPARAM key) {
    if (key == VK_BACK || key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE ||
        key == VK_SPACE || (key >= '0' && key <= '9')) {
        return static_cast<int>(key);
    }
    if (key >= 'A' && key <= 'Z') {
        return static_cast<int>(key - 'A' + 'a');
    }
    return -1;
}

} // namespace

BOOL PostMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG posted;
    posted.hwnd = handle;
    posted.message = message;
    posted.wParam = wParam;
    posted.lParam = lParam;
    posted.time = messageTime();
    if (handle == nullptr) {
        return ThreadQueue::current()->postMessage(posted) ? TRUE : FALSE;
    }
    if (handle == HWND_BROADCAST) {
        for (const auto& window : WindowTable::instance().topLevelWindows()) {
            posted.hwnd = window->handle;
            window->queue->postMessage(posted);
        }
        return TRUE;
    }
    const std::shared_ptr<Window> window = velmar::ui::windowOrError(handle);
    if (window == nullptr) {
        return FALSE;
    }
    if (window->queue == nullptr) {
        SetLastError(ERROR_ACCESS_DENIED); // the desktop takes no messages
        return FALSE;
    }
    if (!window->queue->postMessage(posted)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE); // its thread has just ended
        return FALSE;
    }
    return TRUE;
}

BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    const std::shared_ptr<ThreadQueue> queue = ThreadQueue::ofThread(threadId);
    MSG posted;
    posted.message = message;
    posted.wParam = wParam;
    posted.lParam = lParam;
    posted.time = messageTime();
    if (queue == nullptr || !queue->postMessage(posted)) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    return TRUE;
}

BOOL GetMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax) {
    if (message == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    const std::shared_ptr<ThreadQueue> queue = ThreadQueue::current();
    if (!validFilter(window, *queue)) {
        return -1;
    }
    const Filter filter{window, filterMin, filterMax};
    bool idled = false;
    for (;;) {
        const std::uint64_t seen = queue->events();
        if (takeMessage(*queue, *message, filter, true)) {
            return message->message == WM_QUIT ? FALSE : TRUE;
        }
        if (!idled) {
            // Once per wait: the presenter may bring input before the thread sleeps.
            idled = true;
            velmar::ui::presenter().idle(velmar::ui::currentModalDialog());
            continue;
        }
        queue->waitForEvents(seen);
        idled = false;
    }
}

BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
    if (message == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::shared_ptr<ThreadQueue> queue = ThreadQueue::current();
    if (!validFilter(window, *queue)) {
        return FALSE;
    }
    const Filter filter{window, filterMin, filterMax};
    return takeMessage(*queue, *message, filter, (remove & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL TranslateMessage(const MSG* message) {
    if (message == nullptr ||
        (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN)) {
        return FALSE;
    }
    const int character = characterOf(message->wParam);
    if (character < 0) {
        return FALSE;
    }
    MSG translated = *message;
    translated.message = message->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    translated.wParam = static_cast<WPARAM>(character);
    translated.time = messageTime();
    // The character comes next, before anything posted since the key.
    return ThreadQueue::current()->postMessage(translated, true) ? TRUE : FALSE;
}

LRESULT DispatchMessageA(const MSG* message) {
    if (message == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (message->hwnd == nullptr) {
        return 0; // a thread message has no window to go to
    }
    WNDPROC procedure = nullptr;
    {
        WindowLock lock = velmar::ui::lockWindows();
        const Window* window = velmar::ui::lookupOrError(message->hwnd);
        if (window == nullptr) {
            return 0;
        }
        if (window->queue != ThreadQueue::current()) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        procedure = window->procedure;
    }
    return procedure(message->hwnd, message->message, message->wParam, message->lParam);
}

void PostQuitMessage(int exitCode) {
    ThreadQueue::current()->postQuit(exitCode);
}
