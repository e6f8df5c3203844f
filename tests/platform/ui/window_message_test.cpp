// Windows and sent messages between threads of one process.
#include "platform/ui/ui.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Received {
    HWND window;
    UINT message;
    std::string text; // lParam as text for WM_SETTINGCHANGE
    std::thread::id thread;
};

std::mutex g_mutex;
std::vector<Received> g_received;

LRESULT recordingProcedure(HWND window, UINT message, WPARAM, LPARAM lParam) {
    std::lock_guard lock(g_mutex);
    g_received.push_back({window, message,
                          message == WM_SETTINGCHANGE ? reinterpret_cast<const char*>(lParam) : "",
                          std::this_thread::get_id()});
    return 42;
}

LRESULT slowProcedure(HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_USER) {
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
    }
    return 7;
}

std::vector<Received> received() {
    std::lock_guard lock(g_mutex);
    return g_received;
}

// A thread with one window: it answers its messages until stopped, or never when hung.
class WindowThread {
public:
    WindowThread(WNDPROC procedure, bool answers) {
        std::promise<HWND> made;
        std::future<HWND> handle = made.get_future();
        m_thread = std::thread([this, procedure, answers, &made] {
            made.set_value(velmar::ui::createTopLevelWindow(procedure));
            while (!m_stop) {
                if (answers) {
                    MSG message;
                    PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        m_window = handle.get();
    }
    WindowThread(const WindowThread&) = delete;
    WindowThread& operator=(const WindowThread&) = delete;
    ~WindowThread() { stop(); }

    HWND window() const { return m_window; }
    std::thread::id id() const { return m_thread.get_id(); }
    void stop() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

private:
    std::atomic<bool> m_stop{false};
    HWND m_window = nullptr;
    std::thread m_thread;
};

class WindowMessages : public ::testing::Test {
protected:
    void SetUp() override {
        std::lock_guard lock(g_mutex);
        g_received.clear();
    }
};

const char kEnvironment[] = "Environment";

LRESULT broadcastSettingChange(UINT timeout) {
    return SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                               reinterpret_cast<LPARAM>(kEnvironment), SMTO_ABORTIFHUNG, timeout,
                               nullptr);
}

TEST_F(WindowMessages, BroadcastWithoutWindowsCountsAsDelivered) {
    EXPECT_NE(broadcastSettingChange(1000), 0);
}

TEST_F(WindowMessages, BroadcastReachesEveryTopLevelWindowOnItsOwnThread) {
    WindowThread first(recordingProcedure, true);
    WindowThread second(recordingProcedure, true);
    const HWND own = velmar::ui::createTopLevelWindow(recordingProcedure);
    ASSERT_NE(own, nullptr);

    EXPECT_NE(broadcastSettingChange(1000), 0);

    const std::vector<Received> got = received();
    ASSERT_EQ(got.size(), 3u);
    const std::pair<HWND, std::thread::id> expected[] = {{first.window(), first.id()},
                                                         {second.window(), second.id()},
                                                         {own, std::this_thread::get_id()}};
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].window, expected[i].first);
        EXPECT_EQ(got[i].thread, expected[i].second);
        EXPECT_EQ(got[i].message, WM_SETTINGCHANGE);
        EXPECT_EQ(got[i].text, "Environment");
    }
    EXPECT_TRUE(DestroyWindow(own));
}

TEST_F(WindowMessages, AnswerComesBackThroughTheResult) {
    WindowThread other(recordingProcedure, true);
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(other.window(), WM_USER, 1, 2, SMTO_NORMAL, 1000, &answer), 0);
    EXPECT_EQ(answer, 42u);
    EXPECT_EQ(SendMessageA(other.window(), WM_USER, 0, 0), 42);
}

TEST_F(WindowMessages, HungWindowMakesTheSendFailAfterTheTimeOut) {
    WindowThread hung(recordingProcedure, false);
    WindowThread answering(recordingProcedure, true);

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(broadcastSettingChange(200), 0);
    EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
    // The window that answers still got the notice; the hung one never runs it.
    hung.stop();
    const std::vector<Received> got = received();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].window, answering.window());
    // Its thread has ended, and its window with it.
    EXPECT_FALSE(IsWindow(hung.window()));
}

TEST_F(WindowMessages, WindowThatAnswersTooLateMakesTheSendFail) {
    WindowThread slow(slowProcedure, true);
    DWORD_PTR answer = 0;
    EXPECT_EQ(SendMessageTimeoutA(slow.window(), WM_USER, 0, 0, SMTO_ABORTIFHUNG, 100, &answer), 0);
    EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
    EXPECT_EQ(answer, 0u);
}

LRESULT destroyRecorder(HWND window, UINT message, WPARAM, LPARAM) {
    std::lock_guard lock(g_mutex);
    g_received.push_back({window, message, "", std::this_thread::get_id()});
    return 0;
}

TEST_F(WindowMessages, DestroyedHandleStaysInvalid) {
    const HWND window = velmar::ui::createTopLevelWindow(destroyRecorder);
    ASSERT_NE(window, nullptr);
    EXPECT_NE(window, HWND_BROADCAST);
    EXPECT_TRUE(IsWindow(window));

    // Only the owner thread may destroy it.
    BOOL destroyedElsewhere = TRUE;
    DWORD error = 0;
    std::thread([&] {
        destroyedElsewhere = DestroyWindow(window);
        error = GetLastError();
    }).join();
    EXPECT_FALSE(destroyedElsewhere);
    EXPECT_EQ(error, ERROR_ACCESS_DENIED);

    EXPECT_TRUE(DestroyWindow(window));
    const std::vector<Received> got = received();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].message, WM_DESTROY);
    EXPECT_EQ(got[1].message, WM_NCDESTROY);
    EXPECT_FALSE(IsWindow(window));

    // The slot is used again under another handle.
    const HWND next = velmar::ui::createTopLevelWindow(destroyRecorder);
    EXPECT_NE(next, window);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_EQ(SendMessageTimeoutA(window, WM_USER, 0, 0, SMTO_NORMAL, 100, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_TRUE(DestroyWindow(next));
    EXPECT_EQ(velmar::ui::createTopLevelWindow(nullptr), nullptr);
}

// A window whose procedure sends back to the sender's own window while the sender waits.
HWND g_mainWindow = nullptr;
LRESULT sendsBack(HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_USER) {
        return SendMessageA(g_mainWindow, WM_USER + 1, 0, 0) + 1;
    }
    return 0;
}
LRESULT answersDirectly(HWND, UINT, WPARAM, LPARAM) {
    return 10;
}

TEST_F(WindowMessages, SenderAnswersWhatIsSentToItWhileItWaits) {
    g_mainWindow = velmar::ui::createTopLevelWindow(answersDirectly);
    WindowThread other(sendsBack, true);
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(other.window(), WM_USER, 0, 0, SMTO_NORMAL, 2000, &answer), 0);
    EXPECT_EQ(answer, 11u);
    EXPECT_TRUE(DestroyWindow(g_mainWindow));
}

} // namespace
