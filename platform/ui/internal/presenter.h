// The presenter: what shows the process's windows to a person (or to a trace) and brings the
// person's input back as messages. One per process, chosen on first use: VELMAR_UI ("x11",
// "terminal", "headless"), else the X display when DISPLAY names one that opens, else the
// terminal when standard input and output are terminals, else headless. Internal to
// platform/ui.
//
// The window system calls the presenter on the thread that made the change, with none of its
// own locks held; the presenter reads what it needs through the public window calls.
#pragma once

#include "platform/ui/ui.h"

#include <string_view>

namespace velmar::ui {

enum class WindowChange {
    Shown,   // became visible (it and its ancestors)
    Hidden,  // stopped being visible
    Text,    // its text changed
    Enabled, // its enabled state changed
    Focus,   // it took the focus
    Moved,   // its rectangle changed
    Painted, // it was invalidated or painted
    Destroyed,
};

class Presenter {
public:
    virtual ~Presenter() = default;

    virtual void windowChanged(HWND window, WindowChange change) = 0;
    // A modal dialog ended (EndDialog) with its result.
    virtual void dialogEnded(HWND dialog, INT_PTR result) = 0;
    // A message box is about to be shown as the modal dialog box.
    virtual void messageBoxShown(HWND box, std::string_view caption, std::string_view text,
                                 UINT type) = 0;
    // The folder browser is about to be shown as the modal dialog browser.
    virtual void folderBrowserShown(HWND browser, std::string_view title,
                                    std::string_view initialFolder) = 0;
    virtual void clipboardSet(std::string_view text) = 0;

    // The calling thread has no message to handle and would wait for one. The presenter may
    // post input (a script's step, a default answer) to the thread's queue; true when it did.
    // modal is the modal dialog the thread runs, or null outside a modal loop.
    virtual bool idle(HWND modal) = 0;
};

Presenter& presenter();

// True when the process shows its windows on the X display: VELMAR_UI is "x11", or VELMAR_UI is
// not set (or empty) and DISPLAY is set and not empty. Read from the environment at each call.
bool usesDisplay();

} // namespace velmar::ui
