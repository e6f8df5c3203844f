#include "setup/velmar_setup_dlg.h"

#include "setup/resource.h"

#include "platform/fs/fs.h"
#include "platform/process/process.h"
#include "platform/registry/registry.h"

#include <string>

namespace {

constexpr const char* kInstallationKey =
    "Software\\VELMAR Systems International\\VELMAR Software\\CurrentVersion";
constexpr const char* kInstaller = "setup.exe";
// The system's path limit: a longer VelmarDir counts as no installation.
constexpr DWORD kLookupBufferSize = 260;
// How long one wait for the installer lasts before the dialog's messages are dispatched.
constexpr DWORD kWaitSlice = 100;

} // namespace

BEGIN_MESSAGE_MAP(CVelmarSetupDlg, CDialog)
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_NO, &CVelmarSetupDlg::OnNo)
ON_BN_CLICKED(IDC_YES, &CVelmarSetupDlg::OnYes)
END_MESSAGE_MAP()

CVelmarSetupDlg::CVelmarSetupDlg()
    : CDialog(IDD_VELMARSETUP_DIALOG, nullptr),
      m_hIcon(LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

BOOL CVelmarSetupDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    if (!FindPreviousInstallation()) {
        // Nothing to replace: install at once and never put the question.
        RunInstaller();
        PostQuitMessage(0);
    }
    return TRUE;
}

void CVelmarSetupDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    CRect client;
    GetClientRect(&client);
    dc.DrawIcon((client.Width() - iconWidth + 1) / 2, (client.Height() - iconHeight + 1) / 2,
                m_hIcon);
}

HCURSOR CVelmarSetupDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

void CVelmarSetupDlg::OnNo() {
    PostQuitMessage(0);
}

void CVelmarSetupDlg::OnYes() {
    // Once started, the sequence runs to its end: nothing here looks for a cancel.
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_YES), SW_HIDE);
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_NO), SW_HIDE);
    ShowProgress("Uninstalling...");
    RunUninstaller();
    ShowProgress("Uninstall complete...  Beginning new installation.");
    Sleep(500);
    RunInstaller();
    RedrawNow();
    ShowProgress("Installation complete...  Exiting.");
    Sleep(1000);
    PostQuitMessage(0);
}

bool CVelmarSetupDlg::FindPreviousInstallation() {
    void* redirection = nullptr;
    Wow64DisableWow64FsRedirection(&redirection);
    bool found = false;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallationKey, 0, KEY_READ | KEY_WOW64_32KEY, &key) ==
        ERROR_SUCCESS) {
        // Only whether the read succeeds matters; the folder itself is never looked at.
        BYTE folder[kLookupBufferSize];
        DWORD size = sizeof folder;
        found =
            RegQueryValueExA(key, "VelmarDir", nullptr, nullptr, folder, &size) == ERROR_SUCCESS;
        static_cast<void>(RegCloseKey(key));
    }
    Wow64RevertWow64FsRedirection(redirection);
    return found;
}

bool CVelmarSetupDlg::LaunchAndWait(LPCSTR program, LPCSTR arguments) {
    // The installer is shown the way we were asked to be shown.
    STARTUPINFOA startup{};
    GetStartupInfoA(&startup);
    CString commandLine;
    commandLine.Format("\"%s\"", program);
    if (arguments != nullptr) {
        commandLine.AppendFormat(" %s", arguments);
    }
    std::string writable(commandLine.GetString());
    PROCESS_INFORMATION process{};
    if (CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                       nullptr, &startup, &process) != FALSE) {
        // Short slices keep the dialog painting and movable; a wait that ends early returns
        // at once, so the slices add nothing to the installer's own time.
        while (WaitForSingleObject(process.hProcess, kWaitSlice) == WAIT_TIMEOUT) {
            PumpWaitingMessages();
        }
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        return true;
    }
    CString text;
    if (arguments == nullptr) {
        text.Format("Failed to launch \"%s\"", commandLine);
    } else {
        text.Format("Failed to launch \"%s %s\"", program, arguments);
    }
    MessageBoxA(m_hWnd, text, "Failed to launch executable", MB_OK | MB_ICONINFORMATION);
    return false;
}

void CVelmarSetupDlg::RunUninstaller() {
    // The installation may have gone since the question was put.
    if (FindPreviousInstallation()) {
        LaunchAndWait(kInstaller, "/uninst");
    }
}

void CVelmarSetupDlg::RunInstaller() {
    LaunchAndWait(kInstaller);
}

void CVelmarSetupDlg::PumpWaitingMessages() {
    // Straight to the windows: no dialog keys, and a quit is dispatched, not acted on.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void CVelmarSetupDlg::ShowProgress(LPCSTR text) {
    SetWindowTextA(::GetDlgItem(m_hWnd, IDC_MESSAGE), text);
    RedrawNow();
}

void CVelmarSetupDlg::RedrawNow() {
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
