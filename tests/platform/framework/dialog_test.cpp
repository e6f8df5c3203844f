// CDialog on the window system's modal dialog box: binding before WM_INITDIALOG, message maps,
// the default IDOK and IDCANCEL commands, the default owner, and the application's entry.
#include "platform/framework/framework.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kText = 1003;
constexpr int kYes = 1001;
constexpr WORD kResourceId = 4242;

DLGTEMPLATE questionTemplate() {
    DLGTEMPLATE question;
    question.caption = "Question";
    question.cx = 200;
    question.cy = 80;
    question.items = {
        {"STATIC", "Install again?", WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 7, 7, 180, 30, kText},
        {"BUTTON", "&Yes", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 20, 60, 50, 14, kYes},
        {"BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 80, 60, 50, 14, IDOK},
        {"BUTTON", "Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 140, 60, 50, 14, IDCANCEL},
    };
    return question;
}

const bool g_registered = velmar::ui::registerDialogResource({kResourceId, questionTemplate()});

// A dialog that clicks one of its buttons as soon as it is initialised, by a posted or a sent
// BM_CLICK, and records what it saw.
class CQuestionDlg : public CDialog {
public:
    CQuestionDlg(int clickId, bool send) : CDialog(kResourceId), m_clickId(clickId), m_send(send) {}

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_boundAtInit = FromHandlePermanent(m_hWnd) == this;
        m_owner = ::GetWindow(m_hWnd, GW_OWNER);
        if (CWnd* text = GetDlgItem(kText)) {
            text->GetWindowText(m_text);
        }
        const HWND button = ::GetDlgItem(m_hWnd, m_clickId);
        if (m_send) {
            SendMessageA(button, BM_CLICK, 0, 0);
        } else {
            PostMessageA(button, BM_CLICK, 0, 0);
        }
        return TRUE;
    }
    void OnOK() override {
        ++m_okCalls;
        CDialog::OnOK();
    }

    bool m_boundAtInit = false;
    HWND m_owner = nullptr;
    CString m_text;
    int m_yesClicks = 0;
    int m_okCalls = 0;

protected:
    afx_msg void OnYes() {
        ++m_yesClicks;
        EndDialog(42);
    }

    DECLARE_MESSAGE_MAP()

private:
    int m_clickId;
    bool m_send;
};

BEGIN_MESSAGE_MAP(CQuestionDlg, CDialog)
ON_BN_CLICKED(kYes, &CQuestionDlg::OnYes)
END_MESSAGE_MAP()

TEST(FrameworkDialog, AClickReachesTheMapOrEndsTheDialogByDefault) {
    ASSERT_TRUE(g_registered);
    struct Case {
        int click;
        bool send;
        INT_PTR result;
        int yesClicks;
        int okCalls;
    };
    const Case cases[] = {
        {kYes, false, 42, 1, 0},          {kYes, true, 42, 1, 0},
        {IDOK, false, IDOK, 0, 1},        {IDCANCEL, false, IDCANCEL, 0, 0},
        {IDCANCEL, true, IDCANCEL, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("button " + std::to_string(c.click) + (c.send ? " sent" : " posted"));
        CQuestionDlg dialog(c.click, c.send);
        EXPECT_EQ(dialog.DoModal(), c.result);
        EXPECT_TRUE(dialog.m_boundAtInit);
        EXPECT_STREQ(dialog.m_text, "Install again?");
        EXPECT_EQ(dialog.m_yesClicks, c.yesClicks);
        EXPECT_EQ(dialog.m_okCalls, c.okCalls);
        EXPECT_EQ(dialog.m_hWnd, nullptr) << "the dialog's window is gone and let go of";
    }
}

TEST(FrameworkDialog, ATemplateGivenAsDataRunsAndAMissingOneGivesMinusOne) {
    CDialog missing(4243);
    EXPECT_EQ(missing.DoModal(), -1);

    // A plain CDialog ends through its default IDCANCEL command: the test posts it before the
    // modal loop starts.
    class CCancelledDlg : public CDialog {
    public:
        using CDialog::CDialog;
        BOOL OnInitDialog() override {
            PostMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return CDialog::OnInitDialog();
        }
    } fromData(questionTemplate());
    EXPECT_EQ(fromData.DoModal(), IDCANCEL);
}

LRESULT plainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(FrameworkDialog, TheMainWindowOwnsADialogWithoutParent) {
    CWinApp app("Framework dialogs");
    CWnd mainWindow;
    ASSERT_TRUE(mainWindow.Attach(velmar::ui::createTopLevelWindow(&plainProcedure)));
    app.m_pMainWnd = &mainWindow;

    CQuestionDlg dialog(IDOK, false);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_owner, mainWindow.m_hWnd);
    app.m_pMainWnd = nullptr;
}

// The application of the entry tests: its main window is a modal dialog, or a plain window
// whose message map ends the message loop.
class CQuitWnd : public CWnd {
protected:
    afx_msg LRESULT OnQuit(WPARAM wParam, LPARAM) {
        PostQuitMessage(static_cast<int>(wParam));
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CQuitWnd, CWnd)
ON_MESSAGE(WM_APP, &CQuitWnd::OnQuit)
END_MESSAGE_MAP()

class CEntryApp : public CWinApp {
public:
    explicit CEntryApp(bool modal) : m_modal(modal) {}

    BOOL InitInstance() override {
        if (m_modal) {
            CQuestionDlg dialog(kYes, false);
            m_pMainWnd = &dialog;
            m_dialogResult = dialog.DoModal();
            return FALSE;
        }
        m_window.SubclassWindow(velmar::ui::createTopLevelWindow(&plainProcedure));
        m_pMainWnd = &m_window;
        m_window.PostMessage(WM_APP, 7, 0);
        return TRUE;
    }
    int ExitInstance() override {
        m_exited = true;
        return CWinApp::ExitInstance();
    }

    bool m_modal;
    INT_PTR m_dialogResult = 0;
    bool m_exited = false;
    CQuitWnd m_window;
};

TEST(FrameworkApplication, AfxWinMainRunsAMainDialogAndEndsWithoutALoop) {
    velmar::test::TempPrefix prefix;
    CEntryApp app(true);
    char commandLine[] = "setup";
    EXPECT_EQ(AfxWinMain(nullptr, nullptr, commandLine, SW_SHOWNORMAL), 0);
    EXPECT_EQ(app.m_dialogResult, 42);
    EXPECT_TRUE(app.m_exited);
    EXPECT_EQ(app.m_pMainWnd, nullptr) << "the main window's end is forgotten";
}

TEST(FrameworkApplication, AfxWinMainRunsTheLoopUntilQuitAndGivesItsCode) {
    velmar::test::TempPrefix prefix;
    CEntryApp app(false);
    char commandLine[] = "program";
    EXPECT_EQ(AfxWinMain(nullptr, nullptr, commandLine, SW_SHOWNORMAL), 7);
    EXPECT_TRUE(app.m_exited);
    EXPECT_STREQ(app.m_commandLine, "program");
}

TEST(FrameworkApplication, TheTitleIsTheGivenNameElseTheProgramFileName) {
    {
        CWinApp named("Velmar Setup");
        EXPECT_STREQ(AfxGetAppName(), "Velmar Setup");
    }
    CWinApp unnamed;
    EXPECT_STREQ(unnamed.m_pszAppName, "platform_framework_window_tests");
}

} // namespace
