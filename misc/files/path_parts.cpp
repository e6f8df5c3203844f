// Taking paths apart and putting them together: every form forwards to path_rules.h.
#include "misc/files/files.h"
#include "misc/files/path_rules.h"
#include "misc/files/text_forms.h"

#include "platform/text/text.h"

namespace files = velmar::misc::files;
using velmar::misc::files::safe;

namespace {

template <typename Ch>
using View = std::basic_string_view<Ch>;

bool equalLowered(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (files::asciiLower(a[i]) != files::asciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

bool equalLowered(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (velmar::text::wideToLower(a[i]) != velmar::text::wideToLower(b[i])) {
            return false;
        }
    }
    return true;
}

template <typename Ch>
View<Ch> fileNameOrStem(View<Ch> path, bool withoutExtension) {
    return withoutExtension ? files::stem(path) : files::fileName(path);
}

} // namespace

CString directoryOf(const char* path, bool flag) {
    return CString(files::directoryOf<char>(safe(path), flag));
}
CStringW directoryOf(const wchar_t* path, bool flag) {
    return CStringW(files::directoryOf<wchar_t>(safe(path), flag));
}
std::string directoryOf(const std::string& path, bool flag) {
    return std::string(files::directoryOf<char>(safe(path), flag));
}
std::string directoryOfSC(const char* path, bool flag) {
    return std::string(files::directoryOf<char>(safe(path), flag));
}
std::wstring directoryOf(const std::wstring& path, bool flag) {
    return std::wstring(files::directoryOf<wchar_t>(safe(path), flag));
}

CString fileNameOf(const char* path, bool flag) {
    return CString(fileNameOrStem<char>(safe(path), flag));
}
CStringW fileNameOf(const wchar_t* path, bool flag) {
    return CStringW(fileNameOrStem<wchar_t>(safe(path), flag));
}
std::string fileNameOf(const std::string& path, bool flag) {
    return std::string(fileNameOrStem<char>(safe(path), flag));
}
std::string fileNameOfSC(const char* path, bool flag) {
    return std::string(fileNameOrStem<char>(safe(path), flag));
}
std::wstring fileNameOf(const std::wstring& path, bool flag) {
    return std::wstring(fileNameOrStem<wchar_t>(safe(path), flag));
}

CString extensionOf(const char* path) {
    return CString(files::extension<char>(safe(path)));
}
CStringW extensionOf(const wchar_t* path) {
    return CStringW(files::extension<wchar_t>(safe(path)));
}
std::string extensionOf(const std::string& path) {
    return std::string(files::extension<char>(safe(path)));
}
std::string extensionOfSC(const char* path) {
    return std::string(files::extension<char>(safe(path)));
}
std::wstring extensionOf(const std::wstring& path) {
    return std::wstring(files::extension<wchar_t>(safe(path)));
}

bool hasExtension(const std::string& path, const std::string& extension) {
    return equalLowered(files::extension<char>(safe(path)), extension);
}
bool hasExtension(const std::wstring& path, const std::wstring& extension) {
    return equalLowered(files::extension<wchar_t>(safe(path)), extension);
}

std::string parentPathOf(const std::string& path) {
    return std::string(files::parentPathOf<char>(safe(path)));
}
std::wstring parentPathOf(const std::wstring& path) {
    return std::wstring(files::parentPathOf<wchar_t>(safe(path)));
}

void appendPath(std::string& path, const std::string& tail) {
    files::appendPath<char>(path, tail);
}
void appendPath(std::wstring& path, const std::wstring& tail) {
    files::appendPath<wchar_t>(path, tail);
}

CString addFileNameSuffix(const CString& path, const CString& suffix) {
    return CString(files::addFileNameSuffix<char>(path.view(), suffix.view()));
}
CStringW addFileNameSuffix(const CStringW& path, const CStringW& suffix) {
    return CStringW(files::addFileNameSuffix<wchar_t>(path.view(), suffix.view()));
}
std::string addFileNameSuffix(const std::string& path, const std::string& suffix) {
    return files::addFileNameSuffix<char>(path, suffix);
}
std::wstring addFileNameSuffix(const std::wstring& path, const std::wstring& suffix) {
    return files::addFileNameSuffix<wchar_t>(path, suffix);
}

std::string addFileNamePrefix(const std::string& path, const std::string& prefix) {
    return files::addFileNamePrefix<char>(path, prefix);
}
std::wstring addFileNamePrefix(const std::wstring& path, const std::wstring& prefix) {
    return files::addFileNamePrefix<wchar_t>(path, prefix);
}

CString changeExtension(const char* path, const char* ext) {
    return CString(files::changeExtension<char>(safe(path), safe(ext)));
}
CStringW changeExtension(const wchar_t* path, const wchar_t* ext) {
    return CStringW(files::changeExtension<wchar_t>(safe(path), safe(ext)));
}
std::string changeExtension(const std::string& path, const std::string& ext) {
    return files::changeExtension<char>(safe(path), safe(ext));
}
std::string changeExtensionSC(const char* path, const char* ext) {
    return files::changeExtension<char>(safe(path), safe(ext));
}
std::wstring changeExtension(const std::wstring& path, const std::wstring& ext) {
    return files::changeExtension<wchar_t>(safe(path), safe(ext));
}
