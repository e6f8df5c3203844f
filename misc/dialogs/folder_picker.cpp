// The folder picker over the shell's folder browser.
#include "misc/dialogs/dialogs.h"

#include "platform/shell/shell.h"

#include <string>

namespace {

// The last non-empty folder given to the picker in this process, used whole whatever its
// length.
std::string g_initialFolder;

int selectInitialFolder(HWND browser, UINT message, LPARAM /*lParam*/, LPARAM data) {
    if (message == BFFM_INITIALIZED) {
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
    }
    return 0;
}

// Gives the browser's item back to the shell's allocator.
void releaseItem(LPITEMIDLIST item) {
    IMalloc* allocator = nullptr;
    if (SHGetMalloc(&allocator) == S_OK && allocator != nullptr) {
        allocator->Free(item);
        allocator->Release();
    }
}

} // namespace

bool browseForFolder(HWND owner, std::string& folder) {
    static_cast<void>(OleInitialize(nullptr)); // never uninitialised here: the thread keeps it
    if (!folder.empty()) {
        g_initialFolder = folder;
    }
    char displayName[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = "Select a folder";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
    info.lpfn = selectInitialFolder;
    info.lParam = reinterpret_cast<LPARAM>(g_initialFolder.c_str());
    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (item == nullptr) {
        return false;
    }
    char path[MAX_PATH] = {};
    const bool converted = SHGetPathFromIDListA(item, path) != FALSE;
    releaseItem(item); // also when the item is no file-system folder
    if (!converted) {
        return false;
    }
    folder = path;
    return true;
}
