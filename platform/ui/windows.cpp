#include "platform/ui/internal/thread_queue.h"
#include "platform/ui/internal/window_table.h"
#include "platform/ui/ui.h"

namespace velmar::ui {

HWND createTopLevelWindow(WNDPROC procedure) {
    if (procedure == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto window = std::make_shared<Window>();
    window->procedure = procedure;
    window->queue = ThreadQueue::current();
    const HWND handle = WindowTable::instance().add(window);
    if (handle == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return handle;
}

} // namespace velmar::ui

using velmar::ui::ThreadQueue;
using velmar::ui::Window;
using velmar::ui::WindowTable;

BOOL DestroyWindow(HWND handle) {
    const std::shared_ptr<Window> window = WindowTable::instance().find(handle);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (window->queue != ThreadQueue::current()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    window->procedure(handle, WM_DESTROY, 0, 0);
    window->procedure(handle, WM_NCDESTROY, 0, 0);
    WindowTable::instance().remove(handle);
    return TRUE;
}

BOOL IsWindow(HWND handle) {
    return WindowTable::instance().find(handle) != nullptr ? TRUE : FALSE;
}

BOOL PeekMessageA(MSG* /*message*/, HWND /*window*/, UINT /*filterMin*/, UINT /*filterMax*/,
                  UINT /*remove*/) {
    ThreadQueue::current()->answerSent();
    return FALSE;
}
