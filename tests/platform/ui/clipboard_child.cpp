// The second process of the clipboard tests. Commands:
//   copy <text>               puts the text on the clipboard
//   copy-pattern <size>       puts clipboardPattern(size) on the clipboard
//   read                      writes the clipboard's text to standard output (exit 3: no text)
//   try-open                  prints OpenClipboard's error code (0 when it opened), closes
//   hold <ready> <release>    opens the clipboard, creates ready, closes once release exists
// Exit 2 when a call fails unexpectedly; its error code goes to standard error.
#include "platform/ui/ui.h"
#include "tests/platform/ui/clipboard_pattern.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

int failed(const char* call) {
    std::fprintf(stderr, "%s failed: %u\n", call, GetLastError());
    return 2;
}

int copy(const std::string& text) {
    if (!OpenClipboard(nullptr)) {
        return failed("OpenClipboard");
    }
    if (!EmptyClipboard()) {
        return failed("EmptyClipboard");
    }
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    if (SetClipboardData(CF_TEXT, block) == nullptr) {
        return failed("SetClipboardData");
    }
    return CloseClipboard() ? 0 : failed("CloseClipboard");
}

int read() {
    if (!OpenClipboard(nullptr)) {
        return failed("OpenClipboard");
    }
    const HANDLE block = GetClipboardData(CF_TEXT);
    if (block == nullptr) {
        CloseClipboard();
        return 3;
    }
    const auto* text = static_cast<const char*>(GlobalLock(block));
    std::fwrite(text, 1, std::strlen(text), stdout);
    GlobalUnlock(block);
    return CloseClipboard() ? 0 : failed("CloseClipboard");
}

int tryOpen() {
    if (!OpenClipboard(nullptr)) {
        std::printf("%u", GetLastError());
        return 0;
    }
    std::printf("0");
    return CloseClipboard() ? 0 : failed("CloseClipboard");
}

int hold(const char* ready, const char* release) {
    if (!OpenClipboard(nullptr)) {
        return failed("OpenClipboard");
    }
    std::ofstream(ready).put('1');
    // Bounded, so that a test that fails before releasing it does not leave it behind.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists(release) && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return CloseClipboard() ? 0 : failed("CloseClipboard");
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "copy" && argc == 3) {
        return copy(argv[2]);
    }
    if (command == "copy-pattern" && argc == 3) {
        return copy(velmar::test::clipboardPattern(std::strtoul(argv[2], nullptr, 10)));
    }
    if (command == "read" && argc == 2) {
        return read();
    }
    if (command == "try-open" && argc == 2) {
        return tryOpen();
    }
    if (command == "hold" && argc == 4) {
        return hold(argv[2], argv[3]);
    }
    std::fprintf(stderr, "unknown command\n");
    return 64;
}
