// A small program for the presenters' tests: a dialog with an edit field and two buttons,
// then a message box, then the folder browser; it prints what each gave.
// Usage: dialog_demo [initial folder]
#include "platform/shell/shell.h"
#include "platform/ui/ui.h"

#include <cstdio>
#include <string>

namespace {

constexpr int kNameId = 10;
std::string g_name;

INT_PTR demoProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        char name[256] = {};
        GetDlgItemTextA(dialog, kNameId, name, sizeof name);
        g_name = name;
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

int initialFolder(HWND browser, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0) {
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    DLGTEMPLATE demo;
    demo.caption = "Demo";
    demo.style |= DS_CENTER;
    demo.cx = 180;
    demo.cy = 60;
    demo.items = {
        {"STATIC", "&Name:", WS_CHILD | WS_VISIBLE, 0, 7, 9, 30, 8, IDC_STATIC},
        {"EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER, 0, 40, 7, 133, 12, kNameId},
        {"BUTTON", "&Go", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 69, 39, 50, 14,
         IDOK},
        {"BUTTON", "&Quit", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 123, 39, 50, 14, IDCANCEL},
    };
    const INT_PTR result = DialogBoxIndirectParamA(nullptr, &demo, nullptr, demoProcedure, 0);
    std::printf("dialog: %d name=%s\n", static_cast<int>(result), g_name.c_str());

    const int answer =
        MessageBoxA(nullptr, "Go on to the folder?", "Demo", MB_YESNO | MB_ICONQUESTION);
    std::printf("message box: %d\n", answer);

    BROWSEINFOA info;
    info.lpszTitle = "Pick a folder";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = initialFolder;
    info.lParam = argc > 1 ? reinterpret_cast<LPARAM>(argv[1]) : 0;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info);
    char path[MAX_PATH] = {};
    if (chosen != nullptr && SHGetPathFromIDListA(chosen, path)) {
        std::printf("folder: %s\n", path);
    } else {
        std::printf("folder: cancelled\n");
    }
    CoTaskMemFree(chosen);
    return 0;
}
