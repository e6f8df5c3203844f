// The window tree: creation, parents and owners, enumeration order, destruction, bad handles.
#include "tests/platform/ui/window_test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>

using namespace velmar::ui::test;

namespace {

BOOL collect(HWND window, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
    return TRUE;
}

std::vector<HWND> childrenOf(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(parent, collect, reinterpret_cast<LPARAM>(&found));
    return found;
}

// A tree as text: each window a name, its parent named before it ("" for a top-level window).
struct TreeCase {
    const char* what;
    std::vector<std::pair<std::string, std::string>> windows; // name, parent, in creation order
    std::string root;
    std::vector<std::string> expected; // EnumChildWindows(root) by name
};

TEST(WindowTree, EnumChildWindowsGoesDepthFirstInCreationOrder) {
    const TreeCase cases[] = {
        {"no children", {{"a", ""}}, "a", {}},
        {"flat", {{"a", ""}, {"b", "a"}, {"c", "a"}, {"d", "a"}}, "a", {"b", "c", "d"}},
        {"each child before the next sibling's",
         {{"a", ""}, {"b", "a"}, {"c", "a"}, {"b1", "b"}, {"c1", "c"}, {"b2", "b"}, {"b11", "b1"}},
         "a",
         {"b", "b1", "b11", "b2", "c", "c1"}},
        {"from an inner window", {{"a", ""}, {"b", "a"}, {"c", "b"}, {"d", "c"}}, "b", {"c", "d"}},
    };
    for (const TreeCase& tree : cases) {
        SCOPED_TRACE(tree.what);
        std::map<std::string, HWND> byName;
        std::map<HWND, std::string> names;
        for (const auto& [name, parent] : tree.windows) {
            const HWND made =
                parent.empty() ? makeWindow(WS_OVERLAPPED) : makeWindow(WS_CHILD, byName[parent]);
            ASSERT_NE(made, nullptr);
            byName[name] = made;
            names[made] = name;
        }
        std::vector<std::string> got;
        for (HWND w : childrenOf(byName[tree.root])) {
            got.push_back(names[w]);
        }
        EXPECT_EQ(got, tree.expected);
        EXPECT_TRUE(DestroyWindow(byName[tree.windows.front().first]));
    }
}

TEST(WindowTree, TopLevelWindowsComeInZOrderAndCallbacksMayChangeTheTree) {
    const HWND first = makeWindow(WS_OVERLAPPED);
    const HWND second = makeWindow(WS_OVERLAPPED);
    const HWND third = makeWindow(WS_POPUP);
    // The newest on top; one shown comes to the top.
    ShowWindow(first, SW_SHOWNA);
    std::vector<HWND> order;
    EnumWindows(collect, reinterpret_cast<LPARAM>(&order));
    EXPECT_EQ(order, (std::vector<HWND>{first, third, second}));
    EXPECT_EQ(childrenOf(nullptr), order);
    EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), third);
    EXPECT_EQ(GetWindow(second, GW_HWNDPREV), third);
    EXPECT_EQ(GetWindow(GetDesktopWindow(), GW_CHILD), first);

    // A callback that destroys the next window and makes another: the destroyed one is
    // passed over, the new one is not in the snapshot.
    std::vector<HWND> seen;
    struct State {
        std::vector<HWND>* seen;
        HWND doomed;
    } state{&seen, second};
    EnumWindows(
        [](HWND w, LPARAM p) {
            auto* s = reinterpret_cast<State*>(p);
            s->seen->push_back(w);
            if (s->seen->size() == 1) {
                DestroyWindow(s->doomed);
                makeWindow(WS_POPUP);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&state));
    EXPECT_EQ(seen, (std::vector<HWND>{first, third}));
    std::vector<HWND> left;
    EnumWindows(collect, reinterpret_cast<LPARAM>(&left));
    for (HWND w : left) {
        DestroyWindow(w);
    }
}

TEST(WindowTree, ChildrenHaveParentsAndPopupsHaveTheTopLevelAncestorAsOwner) {
    const HWND top = makeWindow(WS_OVERLAPPEDWINDOW);
    const HWND child = makeWindow(WS_CHILD, top, 42);
    const HWND grandchild = makeWindow(WS_CHILD, child, 43);
    // A popup "parented" to a grandchild is owned by the top-level window.
    const HWND popup = makeWindow(WS_POPUP, grandchild);
    const HWND overlapped = makeWindow(WS_OVERLAPPED, child);

    EXPECT_EQ(GetParent(child), top);
    EXPECT_EQ(GetParent(grandchild), child);
    EXPECT_EQ(GetParent(top), nullptr);
    EXPECT_EQ(GetWindow(popup, GW_OWNER), top);
    EXPECT_EQ(GetParent(popup), top); // a popup's "parent" is its owner
    EXPECT_EQ(GetWindow(overlapped, GW_OWNER), top);
    EXPECT_EQ(GetParent(overlapped), nullptr);
    EXPECT_EQ(GetWindowLongPtrA(child, GWLP_ID), 42);
    EXPECT_EQ(GetWindowLongPtrA(child, GWLP_HWNDPARENT), reinterpret_cast<LONG_PTR>(top));
    EXPECT_EQ(GetWindowLongPtrA(popup, GWLP_HWNDPARENT), reinterpret_cast<LONG_PTR>(top));
    EXPECT_TRUE(IsChild(top, grandchild));
    EXPECT_FALSE(IsChild(top, popup));
    EXPECT_FALSE(IsChild(GetDesktopWindow(), top));
    EXPECT_EQ(GetWindow(top, GW_CHILD), child);
    EXPECT_EQ(GetWindow(top, GW_ENABLEDPOPUP), top); // none of its popups is visible
    ShowWindow(popup, SW_SHOWNA);
    EXPECT_EQ(GetWindow(top, GW_ENABLEDPOPUP), popup);

    // A child without a parent cannot be made.
    SetLastError(0);
    EXPECT_EQ(makeWindow(WS_CHILD, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_TLW_WITH_WSCHILD);

    DWORD process = 0;
    EXPECT_EQ(GetWindowThreadProcessId(child, &process), GetCurrentThreadId());
    EXPECT_NE(process, 0u);
    EXPECT_TRUE(DestroyWindow(top));
}

TEST(WindowTree, DestroyingTellsParentsFirstThenFreesChildrenFirstAndTakesOwnedWindows) {
    const HWND top = makeWindow(WS_OVERLAPPED | WS_VISIBLE);
    const HWND child = makeWindow(WS_CHILD | WS_VISIBLE, top);
    const HWND grandchild = makeWindow(WS_CHILD | WS_VISIBLE, child);
    const HWND owned = makeWindow(WS_POPUP, top);
    SetFocus(grandchild);
    ASSERT_EQ(GetFocus(), grandchild);
    takeSeen();

    EXPECT_TRUE(DestroyWindow(top));
    const auto seen = seenOf({WM_DESTROY, WM_NCDESTROY});
    const std::vector<std::pair<HWND, UINT>> expected = {
        {owned, WM_DESTROY},   {owned, WM_NCDESTROY},    {top, WM_DESTROY},
        {child, WM_DESTROY},   {grandchild, WM_DESTROY}, {grandchild, WM_NCDESTROY},
        {child, WM_NCDESTROY}, {top, WM_NCDESTROY}};
    EXPECT_EQ(seen, expected);
    for (HWND w : {top, child, grandchild, owned}) {
        EXPECT_FALSE(IsWindow(w));
    }
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(GetActiveWindow(), nullptr);
}

LRESULT refuses(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        return -1;
    }
    return recordingProcedure(window, message, wParam, lParam);
}

TEST(WindowTree, CreationMessagesCarryTheArgumentsAndARefusalDestroysTheWindow) {
    registerRecorder();
    int parameter = 0;
    const HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "recorder", "Title", WS_POPUP, 10, 20,
                                        300, 200, nullptr, nullptr, nullptr, &parameter);
    ASSERT_NE(window, nullptr);
    const auto seen = takeSeen();
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0].message, WM_NCCREATE);
    EXPECT_EQ(seen[1].message, WM_CREATE);
    char text[16] = {};
    EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 5);
    EXPECT_STREQ(text, "Title");
    RECT rect;
    ASSERT_TRUE(GetWindowRect(window, &rect));
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.bottom, 220);
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_EXSTYLE), WS_EX_TOOLWINDOW);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ(className, "Recorder");
    // A class with windows stays.
    EXPECT_FALSE(UnregisterClassA("RECORDER", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
    EXPECT_TRUE(DestroyWindow(window));

    WNDCLASSA refusing;
    refusing.lpfnWndProc = refuses;
    refusing.lpszClassName = "Refusing";
    ASSERT_NE(RegisterClassA(&refusing), 0);
    EXPECT_EQ(RegisterClassA(&refusing), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
    takeSeen();
    EXPECT_EQ(CreateWindowExA(0, "Refusing", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                              nullptr),
              nullptr);
    const auto refused = seenOf({WM_DESTROY, WM_NCDESTROY});
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_FALSE(IsWindow(refused[0].first));
    EXPECT_TRUE(UnregisterClassA("refusing", nullptr));
    EXPECT_EQ(CreateWindowExA(0, "Refusing", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                              nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
}

TEST(WindowTree, StoredValuesAndSubclassing) {
    const HWND window = makeWindow(WS_POPUP);
    EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, 7), 0);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 7);
    EXPECT_EQ(SetWindowLongPtrA(window, 8, 1234), 0);
    EXPECT_EQ(GetWindowLongPtrA(window, 8), 1234);
    // Past the class's 16 extra bytes.
    SetLastError(0);
    EXPECT_EQ(GetWindowLongPtrA(window, 9), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);

    static WNDPROC original = nullptr;
    original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        window, GWLP_WNDPROC,
        reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            return m == WM_USER ? 99 : CallWindowProcA(original, w, m, wp, lp);
        })));
    EXPECT_EQ(original, recordingProcedure);
    EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 99);
    EXPECT_TRUE(DestroyWindow(window));
}

TEST(WindowTree, BadHandlesFailWithTheWin32Error) {
    const HWND destroyed = makeWindow(WS_POPUP);
    ASSERT_TRUE(DestroyWindow(destroyed));
    const HWND made = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x12345678));
    for (HWND bad : {static_cast<HWND>(nullptr), destroyed, made}) {
        SCOPED_TRACE(reinterpret_cast<std::uintptr_t>(bad));
        RECT rect;
        POINT point;
        WINDOWPLACEMENT placement;
        placement.length = sizeof placement;
        PAINTSTRUCT paint;
        char text[8];
        const std::vector<std::pair<const char*, bool>> calls = {
            {"DestroyWindow", DestroyWindow(bad) == FALSE},
            {"ShowWindow", ShowWindow(bad, SW_SHOW) == FALSE},
            {"EnableWindow", EnableWindow(bad, FALSE) == FALSE},
            {"SetWindowTextA", SetWindowTextA(bad, "x") == FALSE},
            {"GetWindowTextA", GetWindowTextA(bad, text, sizeof text) == 0},
            {"GetWindowRect", GetWindowRect(bad, &rect) == FALSE},
            {"SetWindowPos", SetWindowPos(bad, nullptr, 0, 0, 1, 1, 0) == FALSE},
            {"ScreenToClient", ScreenToClient(bad, &point) == FALSE},
            {"GetWindowPlacement", GetWindowPlacement(bad, &placement) == FALSE},
            {"GetWindowLongPtrA", GetWindowLongPtrA(bad, GWL_STYLE) == 0},
            {"SetWindowLongPtrA", SetWindowLongPtrA(bad, GWLP_USERDATA, 1) == 0},
            {"GetParent", GetParent(bad) == nullptr},
            {"GetWindow", GetWindow(bad, GW_CHILD) == nullptr},
            {"SetFocus", SetFocus(bad) == nullptr},
            {"PostMessageA", bad == nullptr || PostMessageA(bad, WM_USER, 0, 0) == FALSE},
            {"InvalidateRect", bad == nullptr || InvalidateRect(bad, nullptr, TRUE) == FALSE},
            {"BeginPaint", BeginPaint(bad, &paint) == nullptr},
            {"EnumChildWindows", bad == nullptr || EnumChildWindows(bad, collect, 0) == FALSE},
        };
        for (const auto& [name, failed] : calls) {
            SCOPED_TRACE(name);
            EXPECT_TRUE(failed);
        }
        SetLastError(0);
        EXPECT_FALSE(IsWindowVisible(bad));
        EXPECT_FALSE(DestroyWindow(bad));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
        MSG message;
        EXPECT_EQ(GetMessageA(&message, bad == nullptr ? destroyed : bad, 0, 0), -1);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    }

    // Another thread's window is not this thread's to destroy or to focus.
    HWND foreign = nullptr;
    std::thread([&] {
        foreign = makeWindow(WS_POPUP | WS_VISIBLE, nullptr, 0, {0, 0, 10, 10}, "abc");
        std::thread([&] {
            SetLastError(0);
            EXPECT_FALSE(DestroyWindow(foreign));
            EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
            EXPECT_EQ(SetFocus(foreign), nullptr);
            char text[8];
            // Read from what is stored: its thread is not looking at its messages.
            EXPECT_EQ(GetWindowTextA(foreign, text, sizeof text), 3);
        }).join();
    }).join();
    // Its thread ended and took it.
    EXPECT_FALSE(IsWindow(foreign));
    EXPECT_FALSE(PostMessageA(foreign, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

} // namespace
