// CWnd's handle maps and the framework's window procedure on real windows of the window
// system.
#include "platform/framework/framework.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

std::vector<UINT> g_original; // messages that reached the window's own procedure

LRESULT originalProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_APP) {
        g_original.push_back(message);
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A window that answers WM_APP + 1 from its message map and leaves the rest to the window's
// procedure.
class CAnsweringWnd : public CWnd {
public:
    int m_calls = 0;

protected:
    afx_msg LRESULT OnAnswer(WPARAM wParam, LPARAM lParam) {
        ++m_calls;
        return static_cast<LRESULT>(wParam) + lParam;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CAnsweringWnd, CWnd)
ON_MESSAGE(WM_APP + 1, &CAnsweringWnd::OnAnswer)
END_MESSAGE_MAP()

HWND makeWindow() {
    g_original.clear();
    const HWND window = velmar::ui::createTopLevelWindow(&originalProcedure);
    EXPECT_NE(window, nullptr);
    return window;
}

TEST(FrameworkWindowMap, FromHandleGivesTheBoundObjectElseOneTemporaryUntilIdle) {
    const HWND window = makeWindow();
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);

    CWnd* temporary = CWnd::FromHandle(window);
    ASSERT_NE(temporary, nullptr);
    EXPECT_EQ(temporary->GetSafeHwnd(), window);
    EXPECT_EQ(CWnd::FromHandle(window), temporary) << "one temporary object per handle";
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr) << "a temporary is not permanent";

    CWnd bound;
    ASSERT_TRUE(bound.Attach(window));
    EXPECT_EQ(CWnd::FromHandlePermanent(window), &bound);
    EXPECT_EQ(CWnd::FromHandle(window), &bound) << "the permanent object comes first";

    // A temporary only stands for its handle: deleting it leaves the window alone.
    CWnd::DeleteTempMap();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(bound.Detach(), window);
    EXPECT_EQ(bound.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);
    CWnd* fresh = CWnd::FromHandle(window);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->m_hWnd, window);
    CWnd::DeleteTempMap();
    EXPECT_TRUE(DestroyWindow(window));
}

TEST(FrameworkWindowMap, AttachRefusesNullHandlesAndSecondBindings) {
    const HWND window = makeWindow();
    CWnd first;
    CWnd second;
    EXPECT_FALSE(first.Attach(nullptr));
    ASSERT_TRUE(first.Attach(window));
    EXPECT_FALSE(second.Attach(window)) << "a handle has one permanent object";
    const HWND other = velmar::ui::createTopLevelWindow(&originalProcedure);
    EXPECT_FALSE(first.Attach(other)) << "an object has one handle";
    EXPECT_EQ(CWnd::FromHandlePermanent(window), &first);
    EXPECT_EQ(CWnd::FromHandlePermanent(other), nullptr);
    first.Detach();
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(DestroyWindow(other));
}

TEST(FrameworkWindowMap, MapsBelongToTheirThread) {
    const HWND window = makeWindow();
    CWnd bound;
    ASSERT_TRUE(bound.Attach(window));
    CWnd* seenElsewhere = &bound;
    std::thread([&] { seenElsewhere = CWnd::FromHandlePermanent(window); }).join();
    EXPECT_EQ(seenElsewhere, nullptr);
    bound.Detach();
    EXPECT_TRUE(DestroyWindow(window));
}

TEST(FrameworkWindowMap, ABoundObjectDestroysItsWindowWithItself) {
    HWND window = nullptr;
    {
        CWnd bound;
        window = makeWindow();
        ASSERT_TRUE(bound.Attach(window));
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);
}

TEST(FrameworkWindowMap, SubclassedWindowAnswersFromTheMapAndPassesTheRestOn) {
    const HWND window = makeWindow();
    CAnsweringWnd subclassed;
    ASSERT_TRUE(subclassed.SubclassWindow(window));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)), &AfxWndProc);

    EXPECT_EQ(SendMessageA(window, WM_APP + 1, 40, 2), 42);
    EXPECT_EQ(SendMessageA(window, WM_APP + 2, 0, 0), 1);
    EXPECT_EQ(subclassed.m_calls, 1);
    EXPECT_EQ(g_original, std::vector<UINT>{WM_APP + 2});

    EXPECT_EQ(subclassed.UnsubclassWindow(), window);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)),
              &originalProcedure);
    EXPECT_EQ(SendMessageA(window, WM_APP + 1, 40, 2), 1);
    EXPECT_EQ(subclassed.m_calls, 1);
    EXPECT_TRUE(DestroyWindow(window));
}

TEST(FrameworkWindowMap, ADestroyedWindowLetsGoOfItsObject) {
    const HWND window = makeWindow();
    CAnsweringWnd subclassed;
    ASSERT_TRUE(subclassed.SubclassWindow(window));
    EXPECT_TRUE(subclassed.DestroyWindow());
    EXPECT_EQ(subclassed.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);
}

} // namespace
