// Numbered copies of a file kept beside it: <folder>\<set>\<nn>\<name>.
#include "misc/files/files.h"
#include "misc/files/path_rules.h"

#include "platform/fs/fs.h"
#include "platform/text/text.h"

#include <cstdlib>

namespace {

bool isRootOrEmpty(const CString& folder) {
    const std::string_view text = folder.view();
    return velmar::misc::files::rootEnd(text) == text.size();
}

} // namespace

CString numberedCopyFolder(const char* path, int number, const char* setName) {
    CString folder;
    folder.Format("%s%s\\%02d", directoryOf(path, false), setName, number);
    return folder;
}

CString prepareNumberedCopy(const char* path, int number, const char* setName) {
    const CString folder = numberedCopyFolder(path, number, setName);
    createDirectories(folder.GetString());
    CString copy;
    copy.Format("%s\\%s", folder, fileNameOf(path, false));
    if (fileExists(copy.GetString())) {
        // A copy that cannot go is overwritten or reported by whoever writes it next.
        DWORD error = ERROR_SUCCESS;
        static_cast<void>(
            velmar::fs::deleteFile(velmar::text::ansiToWide(copy.GetString()), error));
    }
    return copy;
}

// The file the copy was made from is never lost: it is replaced by the copy in one move, and
// only when it exists and may be replaced.
bool restoreNumberedCopy(const char* copyPath) {
    if (copyPath == nullptr || !fileExists(copyPath)) {
        return false;
    }
    const CString name = fileNameOf(copyPath, false);
    const CString folder =
        directoryOf(directoryOf(directoryOf(copyPath, true), true).GetString(), true);
    if (folder.IsEmpty() || folder == "\\") {
        return false;
    }
    CString target;
    target.Format("%s\\%s", folder, name);
    if (!fileExists(target.GetString()) || !canWriteFile(target.native())) {
        return false;
    }
    DWORD error = ERROR_SUCCESS;
    return velmar::fs::moveFile(velmar::text::ansiToWide(copyPath),
                                velmar::text::ansiToWide(target.GetString()),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, error);
}

// The numbered folder must end in two digits, and the set folder above it must not be a
// root: removing "C:\" for "C:\07\x.tif" would empty the drive.
bool removeNumberedCopies(const CString& copyPath) {
    const CString folder = directoryOf(copyPath.GetString(), true);
    if (folder.Find('\\') < 0 || folder.GetLength() < 2) {
        return false;
    }
    const CString last = folder.Right(2);
    CString again;
    again.Format("%02d", std::atoi(last));
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (again != last || !digit(last[0]) || !digit(last[1])) {
        return false;
    }
    const CString setFolder = directoryOf(folder.GetString(), false);
    if (isRootOrEmpty(setFolder)) {
        return false;
    }
    removeTree(setFolder.GetString());
    return true;
}
