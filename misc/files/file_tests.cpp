// Does a path exist, is it a folder, is a folder empty, can a file be read or written.
#include "misc/files/files.h"
#include "misc/files/path_rules.h"
#include "misc/files/text_forms.h"

#include "platform/fs/fs.h"
#include "platform/text/text.h"

using velmar::fs::Access;
using velmar::fs::Creation;
using velmar::fs::FileKind;
using velmar::misc::files::safe;

namespace {

bool exists(std::wstring_view path) {
    if (velmar::misc::files::isVirtualFileSystemPath(path)) {
        return true;
    }
    DWORD error = ERROR_SUCCESS;
    const FileKind kind = velmar::fs::status(path, error);
    return kind != FileKind::notFound && kind != FileKind::none;
}

bool folderIsEmpty(std::wstring_view path) {
    if (!exists(path)) {
        return true;
    }
    DWORD error = ERROR_SUCCESS;
    if (velmar::fs::status(path, error) != FileKind::directory) {
        return true;
    }
    return velmar::fs::isEmptyDirectory(path);
}

// Whether path opens as mode says; the file is closed again at once.
bool opens(std::wstring_view path, const velmar::fs::OpenMode& mode) {
    velmar::fs::File file;
    DWORD error = ERROR_SUCCESS;
    return file.open(path, mode, error);
}

// Opened for appending without sharing, so that a file somebody else has open counts as not
// writable.
bool writable(const std::wstring& path) {
    if (!exists(path)) {
        return true;
    }
    return opens(path.c_str(), {Access::write, Creation::openAlways, true, true});
}

} // namespace

bool fileExists(const char* path) {
    return exists(toWide(std::string(safe(path))));
}
bool fileExists(const wchar_t* path) {
    return exists(safe(path));
}
bool fileExists(const std::string& path) {
    return exists(toWide(path));
}
bool fileExists(const std::wstring& path) {
    return exists(path);
}

bool isDirectory(const char* path) {
    velmar::fs::FileFinder finder;
    DWORD error = ERROR_SUCCESS;
    return finder.open(toWide(std::string(safe(path))), error) && finder.isDirectory();
}

bool isEmptyFolder(const std::string& path) {
    return folderIsEmpty(toWide(path));
}
bool isEmptyFolder(const std::wstring& path) {
    return folderIsEmpty(path);
}

bool canOpenForReading(const char* path) {
    if (path == nullptr) {
        return false;
    }
    return opens(velmar::text::ansiToWide(path), {});
}

// The wide form works on the wide text itself, so that names 1252 cannot carry are tested
// for what they are rather than as "?".
bool canWriteFile(const std::string& path) {
    return writable(toWide(path));
}
bool canWriteFile(const std::wstring& path) {
    return writable(path);
}

bool testWriteAccess(const char* path) {
    if (path == nullptr) {
        return false;
    }
    const Creation creation = fileExists(path) ? Creation::openExisting : Creation::openAlways;
    return opens(velmar::text::ansiToWide(path), {Access::write, creation, false, true});
}
