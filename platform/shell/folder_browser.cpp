// SHBrowseForFolderA: a modal dialog with the folder's path in an edit field.
#include "platform/shell/shell.h"

#include <memory>
#include <string>

namespace {

constexpr int kPathId = velmar::ui::kFolderBrowserPathId;
constexpr int kTitleId = 101;
constexpr const char* kCaption = "Browse For Folder";

struct Browser {
    const BROWSEINFOA* info = nullptr;
    std::string chosen;
};

std::string textOf(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

Browser* browserOf(HWND dialog) {
    return reinterpret_cast<Browser*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void callBack(HWND dialog, UINT message, LPARAM lParam) {
    const Browser* browser = browserOf(dialog);
    if (browser != nullptr && browser->info->lpfn != nullptr) {
        browser->info->lpfn(dialog, message, lParam, browser->info->lParam);
    }
}

void selectionChanged(HWND dialog) {
    const std::string path = textOf(GetDlgItem(dialog, kPathId));
    const std::unique_ptr<ITEMIDLIST, decltype(&CoTaskMemFree)> list(
        velmar::shell::makeIdList(path, velmar::shell::isExistingFolder(path)), CoTaskMemFree);
    callBack(dialog, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(list.get()));
}

bool isPlainTab(LPARAM lParam) {
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    return message != nullptr && message->message == WM_KEYDOWN && message->wParam == VK_TAB &&
           (message->lParam & KF_SHIFTDOWN_LPARAM) == 0;
}

// The path field: Tab completes the folder name under the caret; Shift+Tab still moves on.
LRESULT pathFieldProcedure(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(field, GWLP_USERDATA));
    switch (message) {
    case WM_GETDLGCODE:
        return CallWindowProcA(original, field, message, wParam, lParam) |
               (isPlainTab(lParam) ? DLGC_WANTTAB : 0);
    case WM_KEYDOWN:
        if (wParam == VK_TAB && (lParam & KF_SHIFTDOWN_LPARAM) == 0) {
            const std::string path = textOf(field);
            const std::string completed = velmar::shell::completeFolderPath(path);
            if (completed != path) {
                SetWindowTextA(field, completed.c_str());
                const auto end = static_cast<LPARAM>(completed.size());
                SendMessageA(field, EM_SETSEL, static_cast<WPARAM>(end), end);
            }
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == '\t') {
            return 0;
        }
        break;
    default:
        break;
    }
    return CallWindowProcA(original, field, message, wParam, lParam);
}

INT_PTR browserProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const auto* browser = reinterpret_cast<const Browser*>(lParam);
        HWND field = GetDlgItem(dialog, kPathId);
        SetWindowLongPtrA(field, GWLP_USERDATA, GetWindowLongPtrA(field, GWLP_WNDPROC));
        SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pathFieldProcedure));
        if (browser->info->pidlRoot != nullptr) {
            SetWindowTextA(field,
                           velmar::shell::pathOfIdList(browser->info->pidlRoot, nullptr).c_str());
        }
        callBack(dialog, BFFM_INITIALIZED, 0);
        selectionChanged(dialog);
        velmar::ui::folderBrowserShown(
            dialog, browser->info->lpszTitle != nullptr ? browser->info->lpszTitle : "",
            textOf(field));
        return TRUE;
    }
    case BFFM_SETSELECTIONA: {
        const std::string path =
            wParam != 0
                ? (lParam != 0 ? reinterpret_cast<LPCSTR>(lParam) : "")
                : velmar::shell::pathOfIdList(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), nullptr);
        SetDlgItemTextA(dialog, kPathId, path.c_str());
        return TRUE;
    }
    case BFFM_ENABLEOK:
        EnableWindow(GetDlgItem(dialog, IDOK), lParam != 0 ? TRUE : FALSE);
        return TRUE;
    case WM_COMMAND: {
        Browser* browser = browserOf(dialog);
        const int id = LOWORD(wParam);
        if (id == kPathId && HIWORD(wParam) == EN_CHANGE) {
            selectionChanged(dialog);
        } else if (id == IDOK) {
            const std::string path = textOf(GetDlgItem(dialog, kPathId));
            const bool onlyFolders = (browser->info->ulFlags & BIF_RETURNONLYFSDIRS) != 0;
            if (path.empty() || (onlyFolders && !velmar::shell::isExistingFolder(path))) {
                const std::string text = path.empty()
                                             ? "Choose a folder."
                                             : "The folder \"" + path + "\" does not exist.";
                MessageBoxA(dialog, text.c_str(), kCaption, MB_OK | MB_ICONWARNING);
                return TRUE;
            }
            browser->chosen = path;
            EndDialog(dialog, IDOK);
        } else if (id == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}

DLGTEMPLATE browserTemplate(const BROWSEINFOA& info) {
    DLGTEMPLATE dialogTemplate;
    dialogTemplate.style =
        WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
    dialogTemplate.caption = kCaption;
    const std::string title = info.lpszTitle != nullptr ? info.lpszTitle : "";
    // The title takes the lines it needs, about 56 characters each.
    const auto titleLines = static_cast<short>(title.empty() ? 0 : 1 + title.size() / 56);
    const auto titleHeight = static_cast<short>(titleLines * 8);
    const short pathTop = static_cast<short>(7 + titleHeight + (titleLines > 0 ? 6 : 0));
    dialogTemplate.cx = 240;
    dialogTemplate.cy = static_cast<short>(pathTop + 12 + 8 + 14 + 7);
    if (titleLines > 0) {
        dialogTemplate.items.push_back({"STATIC", title,
                                        WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 7, 7, 226,
                                        titleHeight, kTitleId});
    }
    dialogTemplate.items.push_back({"STATIC", "&Folder:", WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 7,
                                    static_cast<short>(pathTop + 2), 30, 8, IDC_STATIC});
    dialogTemplate.items.push_back({"EDIT", "",
                                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL,
                                    0, 40, pathTop, 193, 12, kPathId});
    const auto buttonTop = static_cast<short>(pathTop + 12 + 8);
    dialogTemplate.items.push_back({"BUTTON", "OK",
                                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 129,
                                    buttonTop, 50, 14, IDOK});
    dialogTemplate.items.push_back({"BUTTON", "Cancel",
                                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 183,
                                    buttonTop, 50, 14, IDCANCEL});
    return dialogTemplate;
}

} // namespace

PIDLIST_ABSOLUTE SHBrowseForFolderA(const BROWSEINFOA* info) {
    if (info == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Browser browser;
    browser.info = info;
    const DLGTEMPLATE dialogTemplate = browserTemplate(*info);
    const INT_PTR result =
        DialogBoxIndirectParamA(nullptr, &dialogTemplate, info->hwndOwner, browserProcedure,
                                reinterpret_cast<LPARAM>(&browser));
    if (result != IDOK) {
        return nullptr;
    }
    if (info->pszDisplayName != nullptr) {
        std::string name = browser.chosen;
        while (name.size() > 1 && (name.back() == '\\' || name.back() == '/')) {
            name.pop_back();
        }
        const std::size_t cut = name.find_last_of("\\/");
        name = cut == std::string::npos || name.size() == 1 ? name : name.substr(cut + 1);
        name.resize(std::min<std::size_t>(name.size(), MAX_PATH - 1));
        std::copy(name.begin(), name.end(), info->pszDisplayName);
        info->pszDisplayName[name.size()] = '\0';
    }
    return velmar::shell::makeIdList(browser.chosen,
                                     velmar::shell::isExistingFolder(browser.chosen));
}
