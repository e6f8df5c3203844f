// Text to the clipboard.
#include "misc/dialogs/dialogs.h"

#include <cstring>

namespace {

// Closes the clipboard when the scope ends, whatever way it ends.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) : m_open(OpenClipboard(owner) != FALSE) {}
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    ~OpenedClipboard() {
        if (m_open) {
            CloseClipboard();
        }
    }
    bool isOpen() const { return m_open; }

private:
    bool m_open;
};

// A block the clipboard has not taken yet is freed.
class GlobalBlock {
public:
    explicit GlobalBlock(SIZE_T bytes) : m_block(GlobalAlloc(GHND, bytes)) {}
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    ~GlobalBlock() {
        if (m_block != nullptr) {
            GlobalFree(m_block);
        }
    }
    HGLOBAL get() const { return m_block; }
    HGLOBAL release() {
        HGLOBAL block = m_block;
        m_block = nullptr;
        return block;
    }

private:
    HGLOBAL m_block;
};

} // namespace

bool copyTextToClipboard(HWND owner, LPCSTR text) {
    if (text == nullptr) {
        return false;
    }
    OpenedClipboard clipboard(owner);
    if (!clipboard.isOpen()) {
        return false;
    }
    EmptyClipboard();
    // Sized to the text, so that a text of any length is copied whole.
    const SIZE_T bytes = std::strlen(text) + 1;
    GlobalBlock block(bytes);
    if (block.get() == nullptr) {
        return false;
    }
    void* memory = GlobalLock(block.get());
    if (memory == nullptr) {
        return false;
    }
    std::memcpy(memory, text, bytes);
    GlobalUnlock(block.get());
    if (SetClipboardData(CF_TEXT, block.get()) == nullptr) {
        return false;
    }
    block.release(); // the clipboard owns it now
    return true;
}
