// Free file names in the temporary folder: the wanted name, else stem_0.ext, stem_1.ext, ...
#include "misc/files/files.h"
#include "misc/files/path_rules.h"
#include "misc/files/text_forms.h"
#include "misc/text/text.h"

using velmar::misc::files::safe;

namespace {

bool acceptable(const std::wstring& candidate, bool acceptWritable) {
    return !fileExists(candidate) || (acceptWritable && canWriteFile(candidate));
}

// Works on wide text, so that names 1252 cannot carry keep what they are. The numbers go on
// past 999 until a free name turns up: an untested name is never given back.
std::wstring search(const std::wstring& folder, const std::wstring& name, bool acceptWritable) {
    std::wstring candidate = folder;
    velmar::misc::files::appendPath<wchar_t>(candidate, name);
    if (acceptWritable && canWriteFile(candidate)) {
        return candidate;
    }
    std::wstring head = folder;
    if (head.empty() || !velmar::misc::files::isSeparator(head.back())) {
        head += L'\\';
    }
    const std::wstring stem(velmar::misc::files::stem<wchar_t>(name));
    const std::wstring extension(velmar::misc::files::extension<wchar_t>(name));
    for (long long number = 0; !acceptable(candidate, acceptWritable); ++number) {
        candidate = formatString(L"%ls%ls_%lld.%ls", head, stem, number, extension);
    }
    return candidate;
}

std::wstring inTemp(const std::wstring& name, bool acceptWritable) {
    return search(tempFolderW(), name, acceptWritable);
}

std::wstring inTempSub(const std::wstring& name, const std::wstring& subFolder,
                       bool acceptWritable) {
    std::wstring folder = tempFolderW();
    if (!subFolder.empty()) {
        velmar::misc::files::appendPath<wchar_t>(folder, subFolder);
        createDirectories(folder);
    }
    return search(folder, name, acceptWritable);
}

} // namespace

CString uniqueTempFileName(const char* name, bool acceptWritable) {
    return CString(toNarrow(inTemp(toWide(std::string(safe(name))), acceptWritable)));
}
CStringW uniqueTempFileName(const wchar_t* name, bool acceptWritable) {
    return CStringW(inTemp(std::wstring(safe(name)), acceptWritable));
}
std::string uniqueTempFileName(const std::string& name, bool acceptWritable) {
    return toNarrow(inTemp(toWide(name), acceptWritable));
}
std::string uniqueTempFileNameSC(const char* name, bool acceptWritable) {
    return toNarrow(inTemp(toWide(std::string(safe(name))), acceptWritable));
}
std::wstring uniqueTempFileName(const std::wstring& name, bool acceptWritable) {
    return inTemp(name, acceptWritable);
}

CString uniqueTempFileNameIn(const char* name, const char* subFolder, bool acceptWritable) {
    return CString(toNarrow(inTempSub(toWide(std::string(safe(name))),
                                      toWide(std::string(safe(subFolder))), acceptWritable)));
}
CStringW uniqueTempFileNameIn(const wchar_t* name, const wchar_t* subFolder, bool acceptWritable) {
    return CStringW(
        inTempSub(std::wstring(safe(name)), std::wstring(safe(subFolder)), acceptWritable));
}
std::string uniqueTempFileNameIn(const std::string& name, const std::string& subFolder,
                                 bool acceptWritable) {
    return toNarrow(inTempSub(toWide(name), toWide(subFolder), acceptWritable));
}
std::wstring uniqueTempFileNameIn(const std::wstring& name, const std::wstring& subFolder,
                                  bool acceptWritable) {
    return inTempSub(name, subFolder, acceptWritable);
}
