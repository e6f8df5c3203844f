// A framework program for the tests that need a process of their own (the presenter is chosen
// once per process). Its application does what the first argument asks and ends with the
// answer as its exit code:
//   box <text>   AfxMessageBox(text, MB_YESNO | MB_ICONQUESTION)
//   dialog       a main dialog with the buttons Yes (1001) and No (1002), run modally: 11 for
//                Yes, 12 for No, else the dialog's result
#include "platform/framework/framework.h"
#include "platform/process/process.h"

#include <cstring>
#include <string>

namespace {

constexpr WORD kQuestionDialog = 102;
constexpr int kYes = 1001;
constexpr int kNo = 1002;

DLGTEMPLATE questionTemplate() {
    DLGTEMPLATE question;
    question.caption = "Child Question";
    question.cx = 245;
    question.cy = 84;
    question.items = {
        {"STATIC", "Go on?", WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 7, 7, 231, 45, 1003},
        {"BUTTON", "Yes", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 130, 63, 50, 14, kYes},
        {"BUTTON", "No", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 185, 63, 50, 14, kNo},
    };
    return question;
}

const bool g_registered = velmar::ui::registerDialogResource({kQuestionDialog, questionTemplate()});

class CQuestionDlg : public CDialog {
public:
    CQuestionDlg() : CDialog(kQuestionDialog) {}

protected:
    afx_msg void OnYes() { EndDialog(11); }
    afx_msg void OnNo() { EndDialog(12); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CQuestionDlg, CDialog)
ON_BN_CLICKED(kYes, &CQuestionDlg::OnYes)
ON_BN_CLICKED(kNo, &CQuestionDlg::OnNo)
END_MESSAGE_MAP()

class CChildApp : public CWinApp {
public:
    CChildApp() : CWinApp("Framework Child") {}

    BOOL InitInstance() override {
        if (m_mode == "box") {
            m_exitCode = AfxMessageBox(m_text.c_str(), MB_YESNO | MB_ICONQUESTION);
        } else if (m_mode == "dialog" && g_registered) {
            CQuestionDlg dialog;
            m_pMainWnd = &dialog;
            m_exitCode = static_cast<int>(dialog.DoModal());
        } else {
            m_exitCode = 100;
        }
        return FALSE;
    }

    std::string m_mode;
    std::string m_text;
};

CChildApp theApp;

} // namespace

int main(int argc, char** argv) {
    theApp.m_mode = argc > 1 ? argv[1] : "";
    theApp.m_text = argc > 2 ? argv[2] : "";
    return AfxWinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
}
