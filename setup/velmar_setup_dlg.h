// The question dialog: finds a previous installation and runs the installer, directly or once
// the user has agreed to replace the previous version.
#pragma once

#include "platform/framework/framework.h"

class CVelmarSetupDlg : public CDialog {
public:
    CVelmarSetupDlg();

protected:
    BOOL OnInitDialog() override;

    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnNo();
    afx_msg void OnYes();
    DECLARE_MESSAGE_MAP()

private:
    // True when the installation key opens in the machine's 32-bit view and its VelmarDir
    // value can be read.
    bool FindPreviousInstallation();
    // Starts the program (searched for as the system searches) and waits for its end while
    // the dialog keeps answering. False, after telling the user, when it could not start.
    bool LaunchAndWait(LPCSTR program, LPCSTR arguments = nullptr);
    void RunUninstaller();
    void RunInstaller();
    void PumpWaitingMessages();
    void ShowProgress(LPCSTR text);
    void RedrawNow();

    HICON m_hIcon = nullptr;
};
