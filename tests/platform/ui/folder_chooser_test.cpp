// The out-of-process folder chooser, with a stand-in zenity on PATH that records its
// arguments and answers as the test tells it. The browser is a dialog of the test's own with
// the folder browser's path field and buttons, run modeless with the test's message loop, so
// that the headless presenter never answers it in the chooser's place.
#include "platform/ui/internal/folder_chooser.h"

#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using velmar::test::readFileBytes;
using velmar::test::ScopedEnv;
using velmar::test::TempDir;
using velmar::test::writeFileBytes;

// The headless presenter, tracing to a file of this process, from before the first window.
std::string traceFile() {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        const std::string file = std::string(tmp != nullptr ? tmp : "/tmp") +
                                 "/folder_chooser_trace_" + std::to_string(::getpid());
        ::setenv("VELMAR_UI", "headless", 1);
        ::setenv("VELMAR_UI_TRACE", file.c_str(), 1);
        return file;
    }();
    return path;
}
const std::string g_trace = traceFile();

// zenity as the test wants it: $ZENITY_ANSWER printed, $ZENITY_EXIT returned, or a long sleep
// for "wait"; its arguments one a line in $ZENITY_ARGS, its process id in $ZENITY_PID.
constexpr char kStandIn[] = R"(#!/bin/sh
echo $$ > "$ZENITY_PID"
for argument in "$@"; do printf '%s\n' "$argument"; done > "$ZENITY_ARGS"
if [ "$ZENITY_EXIT" = wait ]; then exec sleep 600; fi
printf '%s\n' "$ZENITY_ANSWER"
exit "$ZENITY_EXIT"
)";

struct BrowserRun {
    std::string title;
    std::string initial;
    INT_PTR result = 0; // IDOK or IDCANCEL
    std::string path;   // the path field at IDOK
};

INT_PTR browserProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const auto* run = reinterpret_cast<const BrowserRun*>(lParam);
        SetDlgItemTextA(dialog, velmar::ui::kFolderBrowserPathId, run->initial.c_str());
        velmar::ui::chooseFolderOutOfProcess(dialog, run->title, run->initial);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        auto* run = reinterpret_cast<BrowserRun*>(GetWindowLongPtrA(dialog, DWLP_USER));
        run->result = LOWORD(wParam);
        char path[MAX_PATH] = {};
        GetDlgItemTextA(dialog, velmar::ui::kFolderBrowserPathId, path, MAX_PATH);
        run->path = path;
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

HWND createBrowser(BrowserRun& run) {
    DLGTEMPLATE browser;
    browser.caption = "Browse For Folder";
    browser.cx = 240;
    browser.cy = 60;
    browser.items = {
        {"EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, 40, 7, 193,
         12, velmar::ui::kFolderBrowserPathId},
        {"BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 129, 39, 50, 14,
         IDOK},
        {"BUTTON", "Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 183, 39, 50, 14, IDCANCEL},
    };
    return CreateDialogIndirectParamA(nullptr, &browser, nullptr, browserProcedure,
                                      reinterpret_cast<LPARAM>(&run));
}

// Pumps the thread's messages until the browser is answered; false when no answer came in a
// minute (a hung chooser fails the test instead of hanging it).
bool pumpUntilAnswered() {
    std::mutex mutex;
    std::condition_variable done;
    bool answered = false;
    bool timedOut = false;
    const DWORD self = GetCurrentThreadId();
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (!done.wait_for(lock, std::chrono::minutes(1), [&] { return answered; })) {
            timedOut = true;
            PostThreadMessageA(self, WM_QUIT, 0, 0);
        }
    });
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    {
        std::lock_guard lock(mutex);
        answered = true;
    }
    done.notify_all();
    watchdog.join();
    return !timedOut;
}

std::size_t countOf(const std::string& haystack, const std::string& needle) {
    std::size_t count = 0;
    for (std::size_t at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

class FolderChooserTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string standIn = m_bin.file("zenity");
        writeFileBytes(standIn, kStandIn);
        ::chmod(standIn.c_str(), 0755);
        const char* path = std::getenv("PATH");
        m_path = std::make_unique<ScopedEnv>(
            "PATH", (m_bin.path() + ":" + (path != nullptr ? path : "/usr/bin:/bin")).c_str());
    }

    TempDir m_bin;
    TempDir m_folders;
    std::unique_ptr<ScopedEnv> m_path;
    ScopedEnv m_arguments{"ZENITY_ARGS", m_bin.file("arguments").c_str()};
    ScopedEnv m_pid{"ZENITY_PID", m_bin.file("pid").c_str()};
};

TEST_F(FolderChooserTest, TheChoosersAnswerReachesTheBrowser) {
    const std::string chosen = m_folders.file("Projets caf\xC3\xA9"); // UTF-8 on the host
    ASSERT_EQ(::mkdir(chosen.c_str(), 0755), 0);
    const std::string start = m_folders.path();
    struct Case {
        const char* answer; // UTF-8
        const char* exit;
        INT_PTR result;
        std::string path;    // 1252, at IDOK
        const char* boxText; // part of the message box's text; null: no box
    };
    const Case cases[] = {
        {chosen.c_str(), "0", IDOK, m_folders.file("Projets caf\xE9"), nullptr},
        {"", "1", IDCANCEL, {}, nullptr},
        {"", "255", IDCANCEL, {}, "failed with exit status 255"},
        {"/tmp/\xE6\x97\xA5\xE6\x9C\xAC", "0", IDCANCEL, {}, "cannot use"},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(std::string(each.answer) + " exit " + each.exit);
        ScopedEnv answer("ZENITY_ANSWER", each.answer);
        ScopedEnv exit("ZENITY_EXIT", each.exit);
        const std::size_t boxesBefore = countOf(readFileBytes(g_trace), "message-box");
        BrowserRun run{"Dossier d'arriv\xE9"
                       "e",
                       start,
                       0,
                       {}};
        HWND browser = createBrowser(run);
        ASSERT_NE(browser, nullptr);
        ASSERT_TRUE(pumpUntilAnswered());
        EXPECT_EQ(run.result, each.result);
        if (each.result == IDOK) {
            EXPECT_EQ(run.path, each.path);
        }
        const std::string trace = readFileBytes(g_trace);
        EXPECT_EQ(countOf(trace, "message-box"), boxesBefore + (each.boxText != nullptr ? 1 : 0));
        if (each.boxText != nullptr) {
            EXPECT_NE(trace.find(each.boxText), std::string::npos) << trace;
        }
        EXPECT_EQ(readFileBytes(m_bin.file("arguments")),
                  "--file-selection\n--directory\n--title=Dossier d'arriv\xC3\xA9"
                  "e\n--filename=" +
                      start + "/\n");
        DestroyWindow(browser);
    }
}

TEST_F(FolderChooserTest, WithoutAChooserABoxSaysSoAndTheBrowserIsCancelled) {
    ScopedEnv onlyEmpty("PATH", m_folders.path().c_str());
    const std::size_t boxesBefore = countOf(readFileBytes(g_trace), "message-box");
    BrowserRun run{"", "", 0, {}};
    HWND browser = createBrowser(run);
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(pumpUntilAnswered());
    EXPECT_EQ(run.result, IDCANCEL);
    const std::string trace = readFileBytes(g_trace);
    EXPECT_EQ(countOf(trace, "message-box"), boxesBefore + 1);
    EXPECT_NE(trace.find("Install zenity"), std::string::npos) << trace;
    DestroyWindow(browser);
}

TEST_F(FolderChooserTest, TheChooserEndsWithTheBrowser) {
    ScopedEnv waits("ZENITY_EXIT", "wait");
    BrowserRun run{"", "", 0, {}};
    HWND browser = createBrowser(run);
    ASSERT_NE(browser, nullptr);
    // The stand-in has started once it recorded its arguments (after its process id).
    MSG message;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (readFileBytes(m_bin.file("arguments")).empty()) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the stand-in never started";
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
        ::usleep(10000);
    }
    EXPECT_EQ(readFileBytes(m_bin.file("arguments")),
              "--file-selection\n--directory\n--title=Browse For Folder\n");
    const pid_t standIn = std::stoi(readFileBytes(m_bin.file("pid")));
    DestroyWindow(browser);
    // Ended and reaped: the process id names nothing any more.
    EXPECT_NE(::kill(standIn, 0), 0);
    EXPECT_EQ(run.result, 0);
}

} // namespace
