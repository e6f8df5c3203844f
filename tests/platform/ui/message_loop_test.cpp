// Posted messages, the message loop, WM_QUIT and painting.
#include "tests/platform/ui/window_test_support.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

using namespace velmar::ui::test;

namespace {

TEST(MessageLoop, PostedMessagesComeInOrderAndWmQuitOnlyOnceTheQueueIsEmpty) {
    const HWND window = makeWindow(WS_POPUP);
    PostQuitMessage(3);
    ASSERT_TRUE(PostMessageA(window, WM_USER + 1, 10, 20));
    ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 2, 0, 0));
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_USER + 3, 0, 0));

    MSG message;
    // Peeking without removing leaves it first.
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, WM_USER + 1);
    // A range filter passes over others.
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_USER + 2, WM_USER + 3, PM_NOREMOVE));
    EXPECT_EQ(message.message, WM_USER + 2);

    const std::pair<HWND, UINT> expected[] = {
        {window, WM_USER + 1}, {nullptr, WM_USER + 2}, {nullptr, WM_USER + 3}};
    for (const auto& [hwnd, id] : expected) {
        ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
        EXPECT_EQ(message.hwnd, hwnd);
        EXPECT_EQ(message.message, id);
    }
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), FALSE);
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    DestroyWindow(window);
}

TEST(MessageLoop, DispatchGoesToTheWindowsProcedureAndTranslateMakesCharacters) {
    const HWND window = makeWindow(WS_POPUP);
    PostMessageA(window, WM_KEYDOWN, 'A', 0);
    PostMessageA(window, WM_KEYUP, 'A', 0);
    PostMessageA(nullptr, WM_USER, 0, 0); // a thread message is not dispatched
    takeSeen();
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    std::vector<std::pair<UINT, WPARAM>> got;
    for (const Seen& s : takeSeen()) {
        got.emplace_back(s.message, s.wParam);
    }
    EXPECT_EQ(got, (std::vector<std::pair<UINT, WPARAM>>{
                       {WM_KEYDOWN, 'A'}, {WM_CHAR, 'a'}, {WM_KEYUP, 'A'}}));
    DestroyWindow(window);
}

TEST(MessageLoop, MessagesPostedAcrossThreadsWakeTheWaitingLoop) {
    std::promise<std::pair<HWND, DWORD>> made;
    std::thread worker([&] {
        const HWND window = makeWindow(WS_POPUP);
        made.set_value({window, GetCurrentThreadId()});
        MSG message;
        int sum = 0;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (message.message == WM_USER) {
                sum += static_cast<int>(message.wParam);
            }
            // The loop answers sent messages while it waits.
        }
        EXPECT_EQ(sum, 1 + 2 + 3);
        EXPECT_EQ(message.wParam, 9u);
    });
    const auto [window, thread] = made.get_future().get();
    EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), thread);
    for (WPARAM i = 1; i <= 3; ++i) {
        EXPECT_TRUE(PostMessageA(window, WM_USER, i, 0));
    }
    EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_TRUE(PostThreadMessageA(thread, WM_QUIT, 9, 0));
    worker.join();
    // Gone with its thread.
    EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(PostThreadMessageA(thread, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}

LRESULT painter(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        recordingProcedure(window, message, wParam, lParam);
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        EXPECT_NE(dc, nullptr);
        EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
        EndPaint(window, &paint);
        return 0;
    }
    return recordingProcedure(window, message, wParam, lParam);
}

TEST(MessageLoop, PaintingComesAfterPostedMessagesWithTheBackgroundErasedFirst) {
    WNDCLASSA painterClass;
    painterClass.lpfnWndProc = painter;
    painterClass.lpszClassName = "Painter";
    ASSERT_NE(RegisterClassA(&painterClass), 0);
    const HWND window = CreateWindowExA(0, "Painter", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                        nullptr, nullptr);
    MSG message;
    // Hidden: nothing to paint.
    EXPECT_TRUE(InvalidateRect(window, nullptr, TRUE));
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));

    ShowWindow(window, SW_SHOWNA);
    PostMessageA(window, WM_USER, 0, 0);
    takeSeen();
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
    EXPECT_EQ(seenOf({WM_USER, WM_PAINT, WM_ERASEBKGND, WM_ICONERASEBKGND}),
              (std::vector<std::pair<HWND, UINT>>{
                  {window, WM_USER}, {window, WM_PAINT}, {window, WM_ERASEBKGND}}));

    // Minimized, the background is the icon's.
    ShowWindow(window, SW_SHOWMINNOACTIVE);
    takeSeen();
    ASSERT_TRUE(UpdateWindow(window));
    EXPECT_EQ(
        seenOf({WM_PAINT, WM_ERASEBKGND, WM_ICONERASEBKGND}),
        (std::vector<std::pair<HWND, UINT>>{{window, WM_PAINT}, {window, WM_ICONERASEBKGND}}));
    // Validated: nothing more.
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    // Without erasing, only WM_PAINT.
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    EXPECT_EQ(seenOf({WM_PAINT, WM_ERASEBKGND, WM_ICONERASEBKGND}),
              (std::vector<std::pair<HWND, UINT>>{{window, WM_PAINT}}));
    DestroyWindow(window);
}

TEST(MessageLoop, IconsLoadAndWindowsKeepThem) {
    velmar::ui::registerIconResource({101, {"rr", "rr"}});
    static char program;
    const auto instance = reinterpret_cast<HINSTANCE>(&program);
    const HICON resource = LoadIconA(instance, MAKEINTRESOURCE(101));
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(LoadIconA(instance, "#101"), resource);
    const HICON question = LoadIconA(nullptr, IDI_QUESTION);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCE(101)), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_EQ(LoadIconA(instance, MAKEINTRESOURCE(102)), nullptr);

    const HWND window = makeWindow(WS_POPUP);
    EXPECT_EQ(SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(resource)), 0);
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(question));
    EXPECT_EQ(SendMessageA(window, WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(resource));
    EXPECT_EQ(SendMessageA(window, WM_GETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(question));
    EXPECT_EQ(SendMessageA(window, WM_QUERYDRAGICON, 0, 0), reinterpret_cast<LRESULT>(resource));

    const HDC dc = GetDC(window);
    EXPECT_TRUE(DrawIcon(dc, 1, 2, question));
    EXPECT_FALSE(DrawIcon(dc, 1, 2, reinterpret_cast<HICON>(static_cast<std::uintptr_t>(3))));
    EXPECT_EQ(ReleaseDC(window, dc), 1);
    EXPECT_EQ(ReleaseDC(window, dc), 0);
    EXPECT_FALSE(DrawIcon(dc, 1, 2, question));
    EXPECT_TRUE(DestroyIcon(resource)); // shared: it stays
    EXPECT_EQ(LoadIconA(instance, MAKEINTRESOURCE(101)), resource);
    DestroyWindow(window);
}

// Entered during static initialisation, as a program's resources are.
const velmar::ui::DialogResource kStaticDialog{300, DLGTEMPLATE{}};
VELMAR_RESOURCE(kStaticDialog);

TEST(MessageLoop, DialogResourcesAreFoundById) {
    EXPECT_NE(velmar::ui::findDialogResource(300), nullptr);
    velmar::ui::DialogResource resource;
    resource.id = 200;
    resource.dialogTemplate.caption = "About";
    EXPECT_TRUE(velmar::ui::registerDialogResource(resource));
    EXPECT_FALSE(velmar::ui::registerDialogResource(resource));
    const DLGTEMPLATE* found = velmar::ui::findDialogResource(200);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->caption, "About");
    EXPECT_EQ(velmar::ui::findDialogResource(201), nullptr);
}

TEST(MessageLoop, RedrawWindowInvalidatesAndPaintsAtOnceWhenAsked) {
    WNDCLASSA painterClass;
    painterClass.lpfnWndProc = painter;
    painterClass.lpszClassName = "Redrawn";
    ASSERT_NE(RegisterClassA(&painterClass), 0);
    const HWND window = CreateWindowExA(0, "Redrawn", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                        nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(UpdateWindow(window));
    takeSeen();
    // Painted and erased before the call returns.
    ASSERT_TRUE(RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW));
    EXPECT_EQ(seenOf({WM_PAINT, WM_ERASEBKGND}),
              (std::vector<std::pair<HWND, UINT>>{{window, WM_PAINT}, {window, WM_ERASEBKGND}}));
    // Only invalidated: the paint waits for the loop.
    ASSERT_TRUE(RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE));
    EXPECT_EQ(seenOf({WM_PAINT}), (std::vector<std::pair<HWND, UINT>>{}));
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
    EXPECT_EQ(seenOf({WM_PAINT}), (std::vector<std::pair<HWND, UINT>>{{window, WM_PAINT}}));
    DestroyWindow(window);
    EXPECT_FALSE(RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST(MessageLoop, LoadIconWFindsTheIconsOfLoadIconA) {
    velmar::ui::registerIconResource({111, {"bb", "bb"}});
    static char program;
    const auto instance = reinterpret_cast<HINSTANCE>(&program);
    const HICON icon = LoadIconA(instance, MAKEINTRESOURCE(111));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconW(instance, MAKEINTRESOURCEW(111)), icon);
    EXPECT_EQ(LoadIconW(instance, L"#111"), icon);
    EXPECT_EQ(LoadIconW(instance, MAKEINTRESOURCEW(112)), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
}

} // namespace
