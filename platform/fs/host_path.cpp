#include "platform/fs/fs.h"

#include "platform/fs/internal/drive_table.h"
#include "platform/host/host.h"
#include "platform/text/text.h"

#include <cerrno>
#include <dirent.h>
#include <vector>

namespace velmar::fs {

namespace winpath = text::winpath;

namespace {

bool isAscii(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool exists(const std::string& path) {
    struct stat st {};
    return host::lstat(path.empty() ? "." : path.c_str(), &st) == 0;
}

std::string joinHost(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The name in folder that equals name without regard to case; "" when there is none.
std::string findNoCase(const std::string& folder, const std::string& name) {
    DIR* dir = host::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return "";
    }
    std::string found;
    while (const dirent* entry = host::readdir(dir)) {
        if (namesEqualNoCase(entry->d_name, name)) {
            found = entry->d_name;
            break;
        }
    }
    host::closedir(dir);
    return found;
}

} // namespace

bool namesEqualNoCase(std::string_view a, std::string_view b) {
    if (isAscii(a) && isAscii(b)) {
        if (a.size() != b.size()) {
            return false;
        }
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (asciiLower(a[i]) != asciiLower(b[i])) {
                return false;
            }
        }
        return true;
    }
    const std::wstring wa = text::utf8ToWide(a);
    const std::wstring wb = text::utf8ToWide(b);
    if (wa.size() != wb.size()) {
        return false;
    }
    for (std::size_t i = 0; i < wa.size(); ++i) {
        if (text::wideToLower(wa[i]) != text::wideToLower(wb[i])) {
            return false;
        }
    }
    return true;
}

HostPath hostPathOf(std::wstring_view p, bool wildcardLast) {
    p = winpath::withoutLongPathPrefix(p);
    if (p.empty()) {
        return {"", ERROR_PATH_NOT_FOUND};
    }
    std::string base;
    bool drivePath = false;
    if (winpath::hasDriveLetter(p)) {
        base = driveFolder(p[0]);
        if (base.empty()) {
            return {"", ERROR_PATH_NOT_FOUND};
        }
        drivePath = true;
        p.remove_prefix(2);
    } else if (winpath::isNetworkRoot(p)) {
        // "\\server\share\rest": the share's folder from the drive table, taken as a drive's
        // root, so that ".." never leaves it. An unmapped share, or one whose folder is gone (an
        // unmounted share's mount point may be gone too), is a bad network path.
        const std::size_t serverEnd = winpath::rootNameLength(p);
        std::size_t shareEnd = serverEnd;
        while (shareEnd < p.size() && winpath::isSeparator(p[shareEnd])) {
            ++shareEnd;
        }
        const std::size_t shareStart = shareEnd;
        while (shareEnd < p.size() && !winpath::isSeparator(p[shareEnd])) {
            ++shareEnd;
        }
        if (shareStart == shareEnd) {
            return {"", ERROR_BAD_NETPATH};
        }
        base = shareFolder(text::wideToUtf8(p.substr(2, serverEnd - 2)),
                           text::wideToUtf8(p.substr(shareStart, shareEnd - shareStart)));
        struct stat status {};
        if (base.empty() || host::stat(base.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
            return {"", ERROR_BAD_NETPATH};
        }
        drivePath = true;
        p.remove_prefix(shareEnd);
    } else if (p.size() >= 2 && winpath::isSeparator(p[0]) && winpath::isSeparator(p[1])) {
        // "\\" or "\\\x": a network path without a server, never the host's root.
        return {"", ERROR_BAD_NETPATH};
    } else if (winpath::isSeparator(p[0])) {
        base = "/";
    }

    std::vector<std::wstring_view> parts;
    for (const std::wstring_view part : winpath::components(p)) {
        parts.push_back(part);
    }

    std::vector<std::string> names;
    names.reserve(parts.size());
    for (std::size_t k = 0; k < parts.size(); ++k) {
        std::wstring_view part = parts[k];
        const bool last = k + 1 == parts.size();
        for (wchar_t c : part) {
            if (winpath::isReservedNameChar(c, wildcardLast && last, drivePath)) {
                return {"", ERROR_INVALID_NAME};
            }
        }
        // Below a drive, "." and ".." are taken on the text as Windows takes them, and ".." at
        // the root stays there: "C:\..\x" is "C:\x", never a host folder above the drive's.
        if (drivePath && (part == L"." || part == L"..") && !(wildcardLast && last)) {
            if (part == L".." && !names.empty()) {
                names.pop_back();
            }
            continue;
        }
        // Windows drops trailing dots and blanks of a name: "notes." is "notes".
        if (part != L"." && part != L".." && !(wildcardLast && last)) {
            while (!part.empty() && (part.back() == L'.' || part.back() == L' ')) {
                part.remove_suffix(1);
            }
            if (part.empty()) {
                continue;
            }
        }
        names.push_back(text::wideToUtf8(part));
    }

    // A relative path whose names Windows trims away entirely (" ", "...") names nothing; it
    // must not become the current folder, where a removal would take everything.
    if (base.empty() && names.empty()) {
        return {"", ERROR_PATH_NOT_FOUND};
    }
    const std::size_t lookedUp = wildcardLast && !names.empty() ? names.size() - 1 : names.size();
    std::string exact = base;
    for (std::size_t k = 0; k < lookedUp; ++k) {
        exact = joinHost(exact, names[k]);
    }
    if (lookedUp == 0 || exists(exact)) {
        for (std::size_t k = lookedUp; k < names.size(); ++k) {
            exact = joinHost(exact, names[k]);
        }
        return {exact.empty() ? "." : exact, ERROR_SUCCESS};
    }

    std::string walk = base;
    std::size_t k = 0;
    for (; k < lookedUp; ++k) {
        const std::string& name = names[k];
        if (name == "." || name == "..") {
            walk = joinHost(walk, name);
            continue;
        }
        std::string next = joinHost(walk, name);
        if (exists(next)) {
            walk = std::move(next);
            continue;
        }
        const std::string found = errno == ENOENT ? findNoCase(walk, name) : std::string();
        if (found.empty()) {
            break;
        }
        walk = joinHost(walk, found);
    }
    for (; k < names.size(); ++k) {
        walk = joinHost(walk, names[k]);
    }
    return {walk.empty() ? "." : walk, ERROR_SUCCESS};
}

HostPath hostPathOfAnsi(std::string_view ansiPath, bool wildcardLast) {
    return hostPathOf(text::ansiToWide(ansiPath), wildcardLast);
}

DWORD errorForHostPath(int errnoValue, const std::string& hostPath) {
    if (errnoValue == ENOENT) {
        std::string parent = hostPath;
        while (parent.size() > 1 && parent.back() == '/') {
            parent.pop_back();
        }
        const std::size_t slash = parent.rfind('/');
        parent = slash == std::string::npos ? "." : (slash == 0 ? "/" : parent.substr(0, slash));
        struct stat st {};
        return host::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                           : ERROR_PATH_NOT_FOUND;
    }
    return errnoValue == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                 : velmar::base::win32ErrorFromErrno(errnoValue);
}

HostPath hostPathOfText(const char* ansiPath) {
    return ansiPath == nullptr ? HostPath{"", ERROR_INVALID_PARAMETER} : hostPathOfAnsi(ansiPath);
}

HostPath hostPathOfText(const wchar_t* windowsPath) {
    return windowsPath == nullptr ? HostPath{"", ERROR_INVALID_PARAMETER} : hostPathOf(windowsPath);
}

} // namespace velmar::fs
