// The choice of the process's presenter, made once on first use.
#include "platform/ui/internal/presenter.h"
#include "platform/ui/internal/headless_presenter.h"
#include "platform/ui/internal/terminal_mode.h"
#include "platform/ui/internal/terminal_presenter.h"
#include "platform/ui/internal/x11_presenter.h"

#include <cstdlib>
#include <memory>
#include <string>

namespace velmar::ui {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// VELMAR_UI names one; else the display when DISPLAY names one that opens, else the terminal
// when the program has one, else headless. "x11" without a display that opens takes the
// others' rule.
std::unique_ptr<Presenter> choosePresenter() {
    const std::string wanted = environment("VELMAR_UI");
    if (usesDisplay()) {
        if (std::unique_ptr<X11Presenter> x11 = X11Presenter::open(); x11 != nullptr) {
            return x11;
        }
    }
    if (wanted == "terminal" || (wanted != "headless" && terminal::isInteractive())) {
        return std::make_unique<TerminalPresenter>();
    }
    return std::make_unique<HeadlessPresenter>(environment("VELMAR_UI_TRACE"),
                                               environment("VELMAR_UI_SCRIPT"));
}

} // namespace

bool usesDisplay() {
    const std::string wanted = environment("VELMAR_UI");
    return wanted == "x11" || (wanted.empty() && !environment("DISPLAY").empty());
}

Presenter& presenter() {
    static const std::unique_ptr<Presenter> chosen = choosePresenter();
    return *chosen;
}

} // namespace velmar::ui

void velmar::ui::folderBrowserShown(HWND browser, const std::string& title,
                                    const std::string& initialFolder) {
    presenter().folderBrowserShown(browser, title, initialFolder);
}
