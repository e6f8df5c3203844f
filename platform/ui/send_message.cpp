#include "platform/ui/internal/thread_queue.h"
#include "platform/ui/internal/window_ops.h"
#include "platform/ui/internal/window_table.h"
#include "platform/ui/ui.h"

#include <chrono>

using velmar::ui::SentMessage;
using velmar::ui::ThreadQueue;
using velmar::ui::Window;
using velmar::ui::WindowTable;

namespace {

using Clock = std::chrono::steady_clock;

// "No time-out": far enough away never to come, near enough not to overflow the clock.
constexpr auto kForever = std::chrono::hours(24 * 365 * 100);

// One window's answer: the procedure's result, or false with the reason in the last error.
bool sendTo(const std::shared_ptr<Window>& window, UINT message, WPARAM wParam, LPARAM lParam,
            UINT flags, Clock::duration timeout, LRESULT& result) {
    const std::shared_ptr<ThreadQueue> self = ThreadQueue::current();
    // The desktop belongs to no thread: it answers on the caller's.
    if (window->queue == self || window->queue == nullptr) {
        result = velmar::ui::procedureOf(*window)(window->handle, message, wParam, lParam);
        return true;
    }
    if ((flags & SMTO_ABORTIFHUNG) != 0 && window->queue->looksHung()) {
        SetLastError(ERROR_TIMEOUT);
        return false;
    }
    auto sent = std::make_shared<SentMessage>();
    sent->window = window->handle;
    sent->message = message;
    sent->wParam = wParam;
    sent->lParam = lParam;
    sent->sender = self;
    if (!window->queue->post(sent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if (!self->waitForAnswer(*sent, Clock::now() + timeout)) {
        SetLastError(sent->state == SentMessage::State::Failed ? ERROR_INVALID_WINDOW_HANDLE
                                                               : ERROR_TIMEOUT);
        return false;
    }
    result = sent->result;
    return true;
}

} // namespace

LRESULT SendMessageTimeoutA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                            UINT timeout, PDWORD_PTR result) {
    const Clock::duration wait = std::chrono::milliseconds(timeout);
    LRESULT answer = 0;
    if (handle == HWND_BROADCAST) {
        bool all = true;
        for (const std::shared_ptr<Window>& window : WindowTable::instance().topLevelWindows()) {
            // A window destroyed since the list was taken is not waited for.
            if (IsWindow(window->handle) == FALSE) {
                continue;
            }
            all = sendTo(window, message, wParam, lParam, flags, wait, answer) && all;
        }
        if (!all) {
            return 0;
        }
    } else {
        const std::shared_ptr<Window> window = WindowTable::instance().find(handle);
        if (window == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (!sendTo(window, message, wParam, lParam, flags, wait, answer)) {
            return 0;
        }
    }
    if (result != nullptr) {
        *result = static_cast<DWORD_PTR>(answer);
    }
    return 1;
}

LRESULT SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    const std::shared_ptr<Window> window = WindowTable::instance().find(handle);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LRESULT answer = 0;
    sendTo(window, message, wParam, lParam, SMTO_NORMAL, kForever, answer);
    return answer;
}
