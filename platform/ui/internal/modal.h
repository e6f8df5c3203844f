// The modal dialogs a thread runs: the dialog's modal loop enters one for its time, and the
// message wait tells the presenter which one is innermost. Internal to platform/ui.
#pragma once

#include "platform/ui/internal/thread_queue.h"

namespace velmar::ui {

// The calling thread's innermost modal dialog, or null.
inline HWND currentModalDialog() {
    const auto& dialogs = ThreadQueue::current()->modalDialogs;
    return dialogs.empty() ? nullptr : dialogs.back();
}

class ModalDialogScope {
public:
    explicit ModalDialogScope(HWND dialog) : m_queue(ThreadQueue::current()) {
        m_queue->modalDialogs.push_back(dialog);
    }
    ~ModalDialogScope() { m_queue->modalDialogs.pop_back(); }
    ModalDialogScope(const ModalDialogScope&) = delete;
    ModalDialogScope& operator=(const ModalDialogScope&) = delete;

private:
    std::shared_ptr<ThreadQueue> m_queue;
};

} // namespace velmar::ui
