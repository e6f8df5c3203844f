// Our clipboard's text offered to the other programs of the X display: the CLIPBOARD selection,
// owned through a hidden window on an X connection and a thread of its own. The prefix's
// clipboard stays the truth; this only shows its text on X. Internal to platform/ui.
//
// Targets: TARGETS, TIMESTAMP, MULTIPLE, UTF8_STRING, and STRING and TEXT (Latin-1) when every
// character of the text is in Latin-1; other targets are refused. Line ends become "\n".
// Texts above 256 KiB go in pieces (INCR).
#pragma once

#include <memory>
#include <mutex>
#include <string_view>

namespace velmar::ui {

class X11ClipboardOffer {
public:
    // Connects on the first offer, to the display DISPLAY names.
    X11ClipboardOffer();
    // When a clipboard manager runs (CLIPBOARD_MANAGER has an owner) and the selection is
    // still ours, asks it to keep the text (SAVE_TARGETS) and serves it for a short while;
    // then closes the connection.
    ~X11ClipboardOffer();
    X11ClipboardOffer(const X11ClipboardOffer&) = delete;
    X11ClipboardOffer& operator=(const X11ClipboardOffer&) = delete;

    // Offers text (code page 1252) as the clipboard's content in place of the previous one;
    // any thread may call it.
    // Returns once the selection is ours: false when no display could be opened or the server
    // did not give us the selection.
    bool offer(std::string_view text);

private:
    class Owner;
    std::mutex m_mutex; // offers may come from any thread
    std::unique_ptr<Owner> m_owner;
};

} // namespace velmar::ui
