// The presenter on an X display: one X window per visible top-level window, drawn by our own
// code (frame, caption, controls) with Xft, and the X events brought back as messages. All X
// work happens on the presenter's own thread: the threads that change windows only mark them,
// and a window repaints even while its thread is busy. Internal to platform/ui.
#pragma once

#include "platform/ui/internal/presenter.h"
#include "platform/ui/internal/x11_clipboard.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace velmar::ui {

class X11Connection;

class X11Presenter final : public Presenter {
public:
    // Null when the display named by DISPLAY cannot be opened.
    static std::unique_ptr<X11Presenter> open();
    ~X11Presenter() override;
    X11Presenter(const X11Presenter&) = delete;
    X11Presenter& operator=(const X11Presenter&) = delete;

    void windowChanged(HWND window, WindowChange change) override;
    void dialogEnded(HWND, INT_PTR) override {}
    void messageBoxShown(HWND box, std::string_view, std::string_view, UINT) override;
    void folderBrowserShown(HWND browser, std::string_view title,
                            std::string_view initialFolder) override;
    void clipboardSet(std::string_view text) override;
    bool idle(HWND modal) override;

private:
    explicit X11Presenter(std::unique_ptr<X11Connection> connection);
    void run();
    void wake();

    std::unique_ptr<X11Connection> m_connection;
    int m_wake[2] = {-1, -1};
    std::mutex m_mutex;
    std::set<HWND> m_dirty; // top-level windows to show, hide or draw again
    // Folder browsers that a chooser in another process answers: not shown here.
    std::set<HWND> m_answeredElsewhere;
    X11ClipboardOffer m_clipboard;
    std::atomic<HWND> m_focus{nullptr};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace velmar::ui
