// The clipboard: text in and out, its errors, and its sharing between real processes.
#include "platform/ui/ui.h"
#include "tests/platform/ui/clipboard_pattern.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

using velmar::test::binPath;
using velmar::test::runProgram;
using velmar::test::startProgram;
using velmar::test::TempPrefix;
using velmar::test::waitProgram;

namespace {

const std::string kChild = binPath("clipboard_test_child");

HGLOBAL blockOf(const std::string& bytes) {
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

// The clipboard's text, read in a fresh opening; "<none>" when it has none.
std::string clipboardText() {
    EXPECT_TRUE(OpenClipboard(nullptr));
    std::string text = "<none>";
    if (const HANDLE block = GetClipboardData(CF_TEXT)) {
        const auto* bytes = static_cast<const char*>(GlobalLock(block));
        text.assign(bytes, GlobalSize(block));
        EXPECT_EQ(text.back(), '\0');
        text.pop_back();
        GlobalUnlock(block);
    }
    EXPECT_TRUE(CloseClipboard());
    return text;
}

bool waitForFile(const std::string& path) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!std::filesystem::exists(path)) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace

TEST(Clipboard, TextInAndOut) {
    TempPrefix prefix;
    const struct {
        std::string block; // the bytes of the block handed over
        std::string text;  // the clipboard's text
    } cases[] = {
        {std::string("Hello, \xE9t\xE9!", 12), "Hello, \xE9t\xE9!"},
        {std::string("", 1), ""},
        {"", ""}, // a block of 0 bytes
        {"no zero", "no zero"},
        {std::string("two\0parts", 10), "two"},
        {velmar::test::clipboardPattern(1 << 20) + '\0', velmar::test::clipboardPattern(1 << 20)},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.text.substr(0, 20));
        ASSERT_TRUE(OpenClipboard(nullptr));
        ASSERT_TRUE(EmptyClipboard());
        EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
        const HGLOBAL block = blockOf(entry.block);
        EXPECT_EQ(SetClipboardData(CF_TEXT, block), block);
        // The clipboard took the block.
        SetLastError(0);
        EXPECT_EQ(GlobalSize(block), 0u);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
        const HANDLE given = GetClipboardData(CF_TEXT);
        ASSERT_NE(given, nullptr);
        EXPECT_EQ(GetClipboardData(CF_TEXT), given);
        EXPECT_EQ(GlobalSize(given), entry.text.size() + 1);
        ASSERT_TRUE(CloseClipboard());
        // The clipboard's own block goes with the closing.
        EXPECT_EQ(GlobalSize(given), 0u);
        EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
        EXPECT_EQ(clipboardText(), entry.text);
    }
    ASSERT_TRUE(OpenClipboard(nullptr));
    ASSERT_TRUE(EmptyClipboard());
    SetLastError(0);
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_FOUND);
    ASSERT_TRUE(CloseClipboard());
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
}

TEST(Clipboard, Errors) {
    TempPrefix prefix;
    const HGLOBAL block = blockOf(std::string("kept", 5));
    // Closed: every call but opening fails.
    SetLastError(0);
    EXPECT_FALSE(CloseClipboard());
    EXPECT_EQ(GetLastError(), ERROR_CLIPBOARD_NOT_OPEN);
    EXPECT_FALSE(EmptyClipboard());
    EXPECT_EQ(GetLastError(), ERROR_CLIPBOARD_NOT_OPEN);
    EXPECT_EQ(SetClipboardData(CF_TEXT, block), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CLIPBOARD_NOT_OPEN);
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CLIPBOARD_NOT_OPEN);

    EXPECT_FALSE(OpenClipboard(reinterpret_cast<HWND>(std::uintptr_t{0x4321})));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    const HWND window =
        velmar::ui::createTopLevelWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    ASSERT_TRUE(OpenClipboard(window));
    ASSERT_TRUE(OpenClipboard(nullptr)); // again on the same thread
    // Other formats are not kept, and the caller keeps its block.
    SetLastError(0);
    EXPECT_EQ(SetClipboardData(2, block), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SetClipboardData(CF_TEXT, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SetClipboardData(CF_TEXT, reinterpret_cast<HANDLE>(std::uintptr_t{0x1234})), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GlobalSize(block), 5u);
    EXPECT_FALSE(IsClipboardFormatAvailable(2));
    EXPECT_EQ(GetClipboardData(2), nullptr);

    // Another thread of the process neither opens it nor uses it.
    std::thread([] {
        SetLastError(0);
        EXPECT_FALSE(OpenClipboard(nullptr));
        EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
        EXPECT_FALSE(CloseClipboard());
        EXPECT_EQ(GetLastError(), ERROR_CLIPBOARD_NOT_OPEN);
    }).join();
    EXPECT_TRUE(CloseClipboard()); // one close ends both openings
    EXPECT_FALSE(CloseClipboard());
    EXPECT_EQ(GlobalFree(block), nullptr);

    // A thread that ends with the clipboard open gives it back.
    std::thread([] { EXPECT_TRUE(OpenClipboard(nullptr)); }).join();
    EXPECT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(CloseClipboard());
    DestroyWindow(window);
}

TEST(Clipboard, SharedBetweenProcesses) {
    TempPrefix prefix;
    // Copied by a process that then ends, read here.
    const auto copied = runProgram({kChild, "copy-pattern", std::to_string(1 << 20)});
    ASSERT_EQ(copied.exitCode, 0) << copied.err;
    EXPECT_EQ(clipboardText(), velmar::test::clipboardPattern(1 << 20));

    // Copied here, read by another process.
    ASSERT_TRUE(OpenClipboard(nullptr));
    ASSERT_NE(SetClipboardData(CF_TEXT, blockOf(std::string("from the first", 15))), nullptr);
    ASSERT_TRUE(CloseClipboard());
    const auto read = runProgram({kChild, "read"});
    EXPECT_EQ(read.exitCode, 0) << read.err;
    EXPECT_EQ(read.out, "from the first");
}

TEST(Clipboard, OneProcessAtATime) {
    TempPrefix prefix;
    const std::string ready = prefix.path() + "/ready";
    const std::string release = prefix.path() + "/release";
    const pid_t holder = startProgram({kChild, "hold", ready, release});
    ASSERT_TRUE(waitForFile(ready));
    SetLastError(0);
    EXPECT_FALSE(OpenClipboard(nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    velmar::test::writeFileBytes(release, "1");
    EXPECT_EQ(waitProgram(holder), 0);
    ASSERT_TRUE(OpenClipboard(nullptr));

    // And the other way round.
    EXPECT_EQ(runProgram({kChild, "try-open"}).out, std::to_string(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(runProgram({kChild, "try-open"}).out, "0");
}

TEST(Clipboard, ThePresenterSeesTheText) {
    TempPrefix prefix;
    const std::string trace = prefix.path() + "/trace";
    const auto copied = runProgram({kChild, "copy", "Copied \"here\""},
                                   {{"VELMAR_UI", "headless"}, {"VELMAR_UI_TRACE", trace}});
    ASSERT_EQ(copied.exitCode, 0) << copied.err;
    EXPECT_NE(velmar::test::readFileBytes(trace).find("clipboard \"Copied \\\"here\\\"\"\n"),
              std::string::npos)
        << velmar::test::readFileBytes(trace);
}
