#include "platform/framework/framework.h"
#include "platform/framework/internal/window_maps.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_pParentWnd(parent), m_templateId(templateId) {}

CDialog::CDialog(const DLGTEMPLATE& dialogTemplate, CWnd* parent)
    : m_pParentWnd(parent), m_template(std::make_unique<DLGTEMPLATE>(dialogTemplate)) {}

CDialog::~CDialog() = default;

BOOL CDialog::InitModalIndirect(const DLGTEMPLATE& dialogTemplate, CWnd* parent) {
    m_template = std::make_unique<DLGTEMPLATE>(dialogTemplate);
    m_templateId = 0;
    m_pParentWnd = parent;
    return TRUE;
}

INT_PTR CDialog::DoModal() {
    const DLGTEMPLATE* dialogTemplate =
        m_template != nullptr ? m_template.get()
                              : velmar::ui::findDialogResource(static_cast<WORD>(m_templateId));
    if (dialogTemplate == nullptr || m_hWnd != nullptr) {
        SetLastError(dialogTemplate == nullptr ? ERROR_RESOURCE_NAME_NOT_FOUND
                                               : ERROR_INVALID_PARAMETER);
        return -1;
    }
    HWND owner = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    if (owner == nullptr) {
        CWnd* mainWindow = AfxGetMainWnd();
        if (mainWindow != nullptr && mainWindow != this && IsWindow(mainWindow->m_hWnd)) {
            owner = mainWindow->m_hWnd;
        }
    }

    CDialog*& pending = velmar::framework::pendingDialog();
    CDialog* const outer = pending;
    pending = this;
    const INT_PTR result = DialogBoxIndirectParamA(AfxGetInstanceHandle(), dialogTemplate, owner,
                                                   &AfxDlgProc, reinterpret_cast<LPARAM>(this));
    if (pending == this) {
        pending = outer;
    }
    // The dialog's WM_NCDESTROY unbinds it; a window left behind is let go of, not destroyed.
    if (m_hWnd != nullptr) {
        if (IsWindow(m_hWnd)) {
            UnsubclassWindow();
        } else {
            m_pfnSuper = nullptr;
            Detach();
        }
    }
    return result;
}

INT_PTR AfxDlgProc(HWND dialog, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    CWnd* object = CWnd::FromHandlePermanent(dialog);
    if (object == nullptr) {
        CDialog*& pending = velmar::framework::pendingDialog();
        CDialog* const starting = pending;
        if (starting == nullptr) {
            return FALSE;
        }
        pending = nullptr;
        // From here on the window's messages reach the dialog's message map first.
        if (!starting->SubclassWindow(dialog)) {
            return FALSE;
        }
        object = starting;
    }
    if (message == WM_INITDIALOG) {
        if (auto* running = dynamic_cast<CDialog*>(object)) {
            return running->OnInitDialog();
        }
    }
    return FALSE;
}

BOOL CDialog::OnInitDialog() {
    return TRUE;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int result) {
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::PreTranslateMessage(MSG* message) {
    return m_hWnd != nullptr && IsDialogMessageA(m_hWnd, message) ? TRUE : FALSE;
}

BOOL CDialog::OnCmdMsg(UINT id, int code) {
    if (CWnd::OnCmdMsg(id, code)) {
        return TRUE;
    }
    // Commands the dialog leaves go to the application object, as the framework routes them.
    CWinApp* app = AfxGetApp();
    return app != nullptr ? app->OnCmdMsg(id, code) : FALSE;
}
