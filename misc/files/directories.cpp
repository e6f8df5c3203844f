// Creating, removing, emptying, renaming and copying files and folders. No error escapes.
#include "misc/files/files.h"
#include "misc/files/path_rules.h"
#include "misc/files/text_forms.h"

#include "platform/fs/fs.h"
#include "platform/text/text.h"

#include <exception>

using velmar::misc::files::safe;

namespace {

bool createChain(std::wstring_view path) {
    DWORD error = ERROR_SUCCESS;
    return velmar::fs::createDirectories(path, error);
}

std::uintmax_t removeAll(std::wstring_view path) {
    DWORD error = ERROR_SUCCESS;
    const std::uintmax_t count = velmar::fs::removeAll(path, error);
    return count == static_cast<std::uintmax_t>(-1) ? 0 : count;
}

bool removeEntries(const std::wstring& folder) {
    try {
        std::vector<std::string> names;
        velmar::fs::DirectoryWalk walk(folder, false);
        for (velmar::fs::DirectoryWalk::Entry entry; walk.next(entry);) {
            names.emplace_back(entry.name());
        }
        for (const std::string& name : names) {
            std::wstring path = folder;
            velmar::misc::files::appendPath<wchar_t>(
                path, velmar::misc::files::fromHostName<wchar_t>(name));
            DWORD error = ERROR_SUCCESS;
            if (velmar::fs::removeAll(path, error) == static_cast<std::uintmax_t>(-1)) {
                return false;
            }
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool removeOne(std::wstring_view path) {
    DWORD error = ERROR_SUCCESS;
    return velmar::fs::remove(path, error);
}

bool moveEntry(const std::wstring& from, const std::wstring& to) {
    DWORD error = ERROR_SUCCESS;
    // The paths end at their first zero character, as the system's calls take them.
    return velmar::fs::moveFile(from.c_str(), to.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED, error);
}

bool copyEntry(std::wstring_view from, std::wstring_view to, bool failIfExists) {
    DWORD error = ERROR_SUCCESS;
    return velmar::fs::copy(from, to, !failIfExists, error);
}

} // namespace

bool createDirectories(const char* path) {
    return createChain(toWide(std::string(safe(path))));
}
bool createDirectories(const wchar_t* path) {
    return createChain(safe(path));
}
bool createDirectories(const std::string& path) {
    return createChain(toWide(path));
}
bool createDirectories(const std::wstring& path) {
    return createChain(path);
}

void removeTree(const char* path) {
    removeAll(toWide(std::string(safe(path))));
}
void removeTree(const wchar_t* path) {
    removeAll(safe(path));
}
std::uintmax_t removeTree(const std::string& path) {
    return removeAll(toWide(path));
}
std::uintmax_t removeTree(const std::wstring& path) {
    return removeAll(path);
}

void emptyFolder(const char* path) {
    removeEntries(toWide(std::string(safe(path))));
}
bool emptyFolder(const std::string& path) {
    return removeEntries(toWide(path));
}
bool emptyFolder(const std::wstring& path) {
    return removeEntries(path);
}

bool removePath(const std::string& path) {
    return removeOne(toWide(path));
}
bool removePath(const std::wstring& path) {
    return removeOne(path);
}

bool renamePath(const std::string& from, const std::string& to) {
    return moveEntry(toWide(from), toWide(to));
}
bool renamePath(const std::wstring& from, const std::wstring& to) {
    return moveEntry(from, to);
}

bool copyFile(const std::string& from, const std::string& to, bool failIfExists) {
    return copyEntry(toWide(from), toWide(to), failIfExists);
}
bool copyFile(const std::wstring& from, const std::wstring& to, bool failIfExists) {
    return copyEntry(from, to, failIfExists);
}
