// Checking and cleaning file names, and telling virtual-file-system paths.
#include "misc/files/files.h"
#include "misc/files/path_rules.h"
#include "misc/files/text_forms.h"

#include <regex>

namespace files = velmar::misc::files;
using velmar::misc::files::safe;

namespace {

// One bracket expression of the nine reserved characters, the same for both widths.
template <typename Ch>
const std::basic_regex<Ch>& reservedCharacters() {
    static const Ch pattern[] = {'[', ':',  '\\', '*', '\\', '?',  '"', '<',
                                 '>', '\\', '|',  '/', '\\', '\\', ']', 0};
    static const std::basic_regex<Ch> expression(pattern, std::regex_constants::ECMAScript);
    return expression;
}

template <typename Ch>
std::basic_string<Ch> replaceReserved(const std::basic_string<Ch>& name) {
    static const Ch underscore[] = {'_', 0};
    return std::regex_replace(name, reservedCharacters<Ch>(), underscore);
}

template <typename Ch>
std::basic_string<Ch> replaceName(std::basic_string_view<Ch> path,
                                  const std::basic_string<Ch>& newName) {
    const std::basic_string<Ch> cleaned = replaceReserved(newName);
    std::basic_string<Ch> result(files::directoryOf(path, false));
    if (!files::extension<Ch>(cleaned).empty()) {
        files::appendPath<Ch>(result, cleaned);
    } else {
        files::appendPath<Ch>(result,
                              cleaned + std::basic_string<Ch>(files::extensionWithDot(path)));
    }
    return result;
}

} // namespace

std::string replaceFileName(const std::string& path, const std::string& newName) {
    return replaceName<char>(path, newName);
}
std::wstring replaceFileName(const std::wstring& path, const std::wstring& newName) {
    return replaceName<wchar_t>(path, newName);
}

bool isValidFileName(const char* name) {
    return files::isValidFileName<char>(safe(name));
}

CString makeValidFileName(const char* name) {
    return CString(files::makeValidFileName<char>(safe(name)));
}
std::string makeValidFileNameSC(const char* name) {
    return files::makeValidFileName<char>(safe(name));
}

std::string replaceInvalidFileNameChars(const std::string& name) {
    return replaceReserved(name);
}
std::wstring replaceInvalidFileNameChars(const std::wstring& name) {
    return replaceReserved(name);
}

bool isVirtualFileSystemPath(const char* path) {
    return files::isVirtualFileSystemPath<char>(safe(path));
}
bool isVirtualFileSystemPath(const wchar_t* path) {
    return files::isVirtualFileSystemPath<wchar_t>(safe(path));
}
bool isVirtualFileSystemPath(const std::string& path) {
    return files::isVirtualFileSystemPath<char>(safe(path));
}
bool isVirtualFileSystemPath(const std::wstring& path) {
    return files::isVirtualFileSystemPath<wchar_t>(safe(path));
}
