// The presenter in a terminal: the visible top-level windows drawn as text, keys read in raw
// mode and posted as messages to the active window's thread. Internal to platform/ui.
#pragma once

#include "platform/ui/internal/presenter.h"
#include "platform/ui/internal/terminal_canvas.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace velmar::ui {

class TerminalPresenter final : public Presenter {
public:
    TerminalPresenter();
    ~TerminalPresenter() override;
    TerminalPresenter(const TerminalPresenter&) = delete;
    TerminalPresenter& operator=(const TerminalPresenter&) = delete;

    void windowChanged(HWND window, WindowChange change) override;
    void dialogEnded(HWND, INT_PTR) override { m_dirty = true; }
    void messageBoxShown(HWND, std::string_view, std::string_view, UINT) override {
        m_dirty = true;
    }
    void folderBrowserShown(HWND, std::string_view, std::string_view) override { m_dirty = true; }
    void clipboardSet(std::string_view) override {}
    bool idle(HWND modal) override;

private:
    void draw();
    void readKeys();
    void post(UINT message, WPARAM wParam, LPARAM lParam);
    // The window that takes keys: the topmost visible, enabled top-level window.
    static HWND inputTarget();

    std::mutex m_drawMutex;
    std::unique_ptr<Canvas> m_shown; // what the terminal shows; null while no window is
    std::atomic<bool> m_dirty{true};
    std::atomic<HWND> m_focus{nullptr};
    std::atomic<bool> m_active{false}; // the terminal is ours (raw, alternate screen)
    std::atomic<bool> m_stop{false};
    std::thread m_reader;
};

} // namespace velmar::ui
