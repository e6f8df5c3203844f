#include "setup/velmar_setup_app.h"

#include "setup/velmar_setup_dlg.h"

BEGIN_MESSAGE_MAP(CVelmarSetupApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CVelmarSetupApp::CVelmarSetupApp() : CWinApp(nullptr) {}

CVelmarSetupApp theApp;

BOOL CVelmarSetupApp::InitInstance() {
    CVelmarSetupDlg dialog;
    m_pMainWnd = &dialog;
    static_cast<void>(dialog.DoModal());
    m_pMainWnd = nullptr; // the dialog goes with this scope
    // The dialog has done all there is to do: no message loop of our own follows.
    return FALSE;
}
