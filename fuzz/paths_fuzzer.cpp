// The Windows path rules of misc/files (text only) and the mapping of Windows paths to host
// paths. Nothing here creates, changes or removes a file.
#include "fuzz/fuzz_prefix.h"
#include "misc/files/files.h"
#include "misc/text/text.h"
#include "platform/fs/fs.h"
#include "platform/fs/internal/drive_table.h"
#include "platform/text/text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    velmar::fuzz::privateFolder();
    return 0;
}

namespace {

void narrowRules(const std::string& path, const std::string& other, bool flag, int length) {
    const char* p = path.c_str();
    directoryOf(p, flag);
    directoryOf(path, flag);
    directoryOfSC(p, flag);
    fileNameOf(p, flag);
    fileNameOf(path, flag);
    fileNameOfSC(p, flag);
    extensionOf(p);
    extensionOf(path);
    extensionOfSC(p);
    hasExtension(path, other);
    parentPathOf(path);
    std::string appended = path;
    appendPath(appended, other);
    addFileNameSuffix(CString(path), CString(other));
    addFileNameSuffix(path, other);
    addFileNamePrefix(path, other);
    changeExtension(p, other.c_str());
    changeExtension(path, other);
    changeExtensionSC(p, other.c_str());
    replaceFileName(path, other);
    isValidFileName(p);
    makeValidFileName(p);
    makeValidFileNameSC(p);
    replaceInvalidFileNameChars(path);
    isVirtualFileSystemPath(p);
    isVirtualFileSystemPath(path);
    abbreviatePath(p, length);
    abbreviatePathSC(p, length);
}

void wideRules(const std::wstring& path, const std::wstring& other, bool flag) {
    const wchar_t* p = path.c_str();
    directoryOf(p, flag);
    directoryOf(path, flag);
    fileNameOf(p, flag);
    fileNameOf(path, flag);
    extensionOf(p);
    extensionOf(path);
    hasExtension(path, other);
    parentPathOf(path);
    std::wstring appended = path;
    appendPath(appended, other);
    addFileNameSuffix(CStringW(p), CStringW(other.c_str()));
    addFileNameSuffix(path, other);
    addFileNamePrefix(path, other);
    changeExtension(p, other.c_str());
    changeExtension(path, other);
    replaceFileName(path, other);
    replaceInvalidFileNameChars(path);
    isVirtualFileSystemPath(p);
    isVirtualFileSystemPath(path);
}

void require(bool condition, const char* what, const std::string& path) {
    if (!condition) {
        std::fprintf(stderr, "%s: \"%s\"\n", what, path.c_str());
        std::abort();
    }
}

// The narrow rules give what a round trip through wide text gives.
void checkNarrowMatchesWide(const std::string& path, const std::string& other, bool flag) {
    using velmar::text::ansiToWide;
    using velmar::text::wideToAnsi;
    const std::wstring wpath = ansiToWide(path);
    const std::wstring wother = ansiToWide(other);
    require(directoryOf(path, flag) == wideToAnsi(directoryOf(wpath, flag)), "directoryOf", path);
    require(fileNameOf(path, flag) == wideToAnsi(fileNameOf(wpath, flag)), "fileNameOf", path);
    require(extensionOf(path) == wideToAnsi(extensionOf(wpath)), "extensionOf", path);
    require(parentPathOf(path) == wideToAnsi(parentPathOf(wpath)), "parentPathOf", path);
    std::string appended = path;
    appendPath(appended, other);
    std::wstring wappended = wpath;
    appendPath(wappended, wother);
    require(appended == wideToAnsi(wappended), "appendPath", path);
    require(changeExtension(path, other) == wideToAnsi(changeExtension(wpath, wother)),
            "changeExtension", path);
    require(addFileNameSuffix(path, other) == wideToAnsi(addFileNameSuffix(wpath, wother)),
            "addFileNameSuffix", path);
    require(replaceFileName(path, other) == wideToAnsi(replaceFileName(wpath, wother)),
            "replaceFileName", path);
    // The folder part and the file name make up the path.
    require(directoryOf(path, false) + fileNameOf(path, false) == path, "directory + name", path);
}

// A drive path never leaves its drive's folder: "C:\..\x" is "C:\x", as on Windows.
void checkHostPath(const std::string& path, bool wildcardLast) {
    const velmar::fs::HostPath host = velmar::fs::hostPathOfAnsi(path, wildcardLast);
    const std::wstring wide = velmar::text::ansiToWide(path);
    std::wstring_view rest = wide;
    if (rest.size() >= 4 && (rest[0] == L'\\' || rest[0] == L'/') &&
        (rest[1] == L'\\' || rest[1] == L'/') && rest[2] == L'?' &&
        (rest[3] == L'\\' || rest[3] == L'/')) {
        rest.remove_prefix(4);
    }
    if (!host || rest.size() < 2 || rest[1] != L':') {
        return;
    }
    const std::string folder = velmar::fs::driveFolder(rest[0]);
    if (folder.empty()) {
        return;
    }
    const bool inside = host.path.compare(0, folder.size(), folder) == 0 &&
                        (host.path.size() == folder.size() || host.path[folder.size()] == '/' ||
                         folder.back() == '/');
    // With wildcards allowed the last name is a pattern, given back as typed.
    const std::size_t end = wildcardLast ? host.path.rfind('/') : std::string::npos;
    const std::string looked = host.path.substr(0, end);
    if (!inside || looked.find("/../", folder.size()) != std::string::npos ||
        (looked.size() > folder.size() && looked.ends_with("/.."))) {
        std::fprintf(stderr, "drive path left its folder: %s -> %s\n", path.c_str(),
                     host.path.c_str());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const bool flag = in.ConsumeBool();
    const bool wildcardLast = in.ConsumeBool();
    const int length = in.ConsumeIntegral<int>();
    const std::string other = in.ConsumeRandomLengthString(16);
    const std::string path = in.ConsumeRemainingBytesAsString();
    // The C-string forms take the text up to its first zero byte; the others all of it.
    narrowRules(path, other, flag, length);
    wideRules(toWide(path), toWide(other), flag);
    wideRules(widenCharacters(path), widenCharacters(other), flag);
    formatByteSize(static_cast<LONGLONG>(length) * 0x10001);
    formatByteSizeS(static_cast<ULONGLONG>(length) << 20);
    checkNarrowMatchesWide(path, other, flag);
    checkHostPath(path, wildcardLast);
    return 0;
}
