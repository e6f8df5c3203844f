#include "platform/ui/internal/presenter.h"

namespace velmar::ui {

namespace {

// Shows nothing and answers nothing; the headless and terminal presenters replace it.
class SilentPresenter final : public Presenter {
public:
    void windowChanged(HWND, WindowChange) override {}
    void dialogEnded(HWND, INT_PTR) override {}
    void messageBoxShown(HWND, std::string_view, std::string_view, UINT) override {}
    void folderBrowserShown(HWND, std::string_view, std::string_view) override {}
    void clipboardSet(std::string_view) override {}
    bool idle(HWND) override { return false; }
};

} // namespace

Presenter& presenter() {
    static SilentPresenter silent;
    return silent;
}

} // namespace velmar::ui
