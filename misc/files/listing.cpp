// Listing files and folders by regular expression or by wildcard, and deleting by wildcard.
#include "misc/files/files.h"
#include "misc/files/path_rules.h"
#include "misc/files/text_forms.h"

#include "platform/fs/fs.h"
#include "platform/text/text.h"

#include <cstdint>
#include <exception>
#include <locale>
#include <regex>

using velmar::fs::FileKind;

namespace {

// Starts a wildcard search on a narrow pattern; false when nothing matches.
bool findFirst(velmar::fs::FileFinder& finder, const CString& pattern) {
    DWORD error = ERROR_SUCCESS;
    return finder.open(velmar::text::ansiToWide(pattern.GetString()), error);
}

bool isDots(const std::string& name) {
    return name == "." || name == "..";
}

// A found name in narrow text, "?" for what 1252 has not.
CString narrowName(const velmar::fs::FileFinder& finder) {
    return CString(velmar::text::utf8ToAnsi(finder.name()));
}

// A name matcher for listFiles and listFolders: the ECMAScript expression with case ignored,
// matched against the whole name. The common shape ".*<literal>" (".*\\.tif") is answered by
// comparing the name's end, which gives the same answer as the expression when the regular
// expressions use the classic locale (its case folding is ASCII), and is much faster.
template <typename Ch>
class NameMatcher {
public:
    explicit NameMatcher(const std::basic_string<Ch>& pattern)
        : m_expression(pattern, std::regex_constants::ECMAScript | std::regex_constants::icase) {
        m_suffixOnly = std::locale() == std::locale::classic() && parseSuffix(pattern);
    }

    bool matches(const std::basic_string<Ch>& name) const {
        if (!m_suffixOnly) {
            return std::regex_match(name, m_expression);
        }
        if (name.size() < m_suffix.size()) {
            return false;
        }
        const std::size_t head = name.size() - m_suffix.size();
        for (std::size_t i = 0; i < head; ++i) {
            if (isLineTerminator(name[i])) {
                return false; // "." does not match these
            }
        }
        for (std::size_t i = 0; i < m_suffix.size(); ++i) {
            if (velmar::misc::files::asciiLower(name[head + i]) != m_suffix[i]) {
                return false;
            }
        }
        return true;
    }

private:
    static bool isLineTerminator(Ch c) {
        return c == Ch('\n') || c == Ch('\r') ||
               (sizeof(Ch) > 1 && (static_cast<std::uint32_t>(c) == 0x2028 ||
                                   static_cast<std::uint32_t>(c) == 0x2029));
    }
    static bool isSyntax(Ch c) {
        for (char s : std::string_view("^$\\.*+?()[]{}|/")) {
            if (c == Ch(s)) {
                return true;
            }
        }
        return false;
    }
    // ".*" and then only literal characters, plain ASCII ones or escaped syntax characters.
    bool parseSuffix(const std::basic_string<Ch>& pattern) {
        if (pattern.size() < 2 || pattern[0] != Ch('.') || pattern[1] != Ch('*')) {
            return false;
        }
        for (std::size_t i = 2; i < pattern.size(); ++i) {
            Ch c = pattern[i];
            if (c == Ch('\\')) {
                if (++i == pattern.size() || !isSyntax(pattern[i])) {
                    return false;
                }
                c = pattern[i];
            } else if (isSyntax(c)) {
                return false;
            }
            if (static_cast<std::uint32_t>(c) < 0x20 || static_cast<std::uint32_t>(c) > 0x7E) {
                return false;
            }
            m_suffix += velmar::misc::files::asciiLower(c);
        }
        return true;
    }

    std::basic_regex<Ch> m_expression;
    std::basic_string<Ch> m_suffix;
    bool m_suffixOnly = false;
};

// The walk behind listFiles and listFolders: entries of the wanted kind whose whole name
// matches, appended as folder joined with their path below it. Errors escape.
template <typename Ch>
void collect(std::vector<std::basic_string<Ch>>& list, const std::basic_string<Ch>& folder,
             const std::basic_string<Ch>& pattern, bool recursive, FileKind wanted) {
    const NameMatcher<Ch> matcher(pattern);
    std::wstring wideFolder;
    if constexpr (sizeof(Ch) == 1) {
        wideFolder = toWide(folder);
    } else {
        wideFolder = folder;
    }
    velmar::fs::DirectoryWalk walk(wideFolder, recursive);
    for (velmar::fs::DirectoryWalk::Entry entry; walk.next(entry);) {
        if (entry.kind != wanted) {
            continue;
        }
        if (matcher.matches(velmar::misc::files::fromHostName<Ch>(entry.name()))) {
            std::basic_string<Ch> path = folder;
            velmar::misc::files::appendPath<Ch>(
                path, velmar::misc::files::fromHostName<Ch>(entry.relative));
            list.push_back(std::move(path));
        }
    }
}

template <typename Ch>
bool listFilesOf(std::vector<std::basic_string<Ch>>& list, const std::basic_string<Ch>& folder,
                 const std::basic_string<Ch>& pattern, bool recursive) {
    if (!fileExists(folder)) {
        return false;
    }
    collect(list, folder, pattern, recursive, FileKind::regular);
    return !list.empty();
}

template <typename Ch>
bool listFoldersOf(std::vector<std::basic_string<Ch>>& list, const std::basic_string<Ch>& folder,
                   const std::basic_string<Ch>& pattern) {
    if (!fileExists(folder)) {
        return false;
    }
    try {
        collect(list, folder, pattern, true, FileKind::directory);
    } catch (const std::exception&) {
        return false;
    }
    return !list.empty();
}

void subFolders(std::vector<CString>& list, CString folder, bool recursive) {
    if (folder.IsEmpty() || folder[folder.GetLength() - 1] != '\\') {
        folder += '\\';
    }
    velmar::fs::FileFinder finder;
    if (!findFirst(finder, folder + "*.*")) {
        return;
    }
    do {
        if (!finder.isDirectory() || isDots(finder.name())) {
            continue;
        }
        const CString sub = folder + narrowName(finder);
        if (recursive) {
            subFolders(list, sub, recursive);
        }
        list.push_back(sub);
    } while (finder.next());
}

bool filesMatching(std::vector<CString>& list, const char* folder, const char* mask,
                   bool recursive) {
    if (folder == nullptr || *folder == '\0' || mask == nullptr) {
        return false;
    }
    std::vector<CString> folders;
    if (recursive) {
        subFolders(folders, folder, true);
    }
    folders.emplace_back(folder);
    bool found = false;
    for (const CString& each : folders) {
        velmar::fs::FileFinder finder;
        if (!findFirst(finder, each + "\\" + mask)) {
            continue;
        }
        do {
            if (finder.isDirectory()) {
                continue;
            }
            list.push_back(each + "\\" + narrowName(finder));
            found = true;
        } while (finder.next());
    }
    return found;
}

} // namespace

bool listFiles(std::vector<std::string>& list, const std::string& folder,
               const std::string& pattern, bool recursive) {
    return listFilesOf(list, folder, pattern, recursive);
}
bool listFiles(std::vector<std::wstring>& list, const std::wstring& folder,
               const std::wstring& pattern, bool recursive) {
    return listFilesOf(list, folder, pattern, recursive);
}

bool listFolders(std::vector<std::string>& list, const std::string& folder,
                 const std::string& pattern) {
    return listFoldersOf(list, folder, pattern);
}
bool listFolders(std::vector<std::wstring>& list, const std::wstring& folder,
                 const std::wstring& pattern) {
    return listFoldersOf(list, folder, pattern);
}

bool findFiles(std::vector<CString>& list, const char* folder, const char* mask, bool recursive) {
    list.clear();
    return filesMatching(list, folder, mask, recursive);
}

bool findFiles(std::vector<std::string>& list, const char* folder, const char* mask,
               bool recursive) {
    std::vector<CString> found;
    const bool any = filesMatching(found, folder, mask, recursive);
    for (const CString& path : found) {
        list.push_back(path.native());
    }
    return any;
}

bool listSubFolders(std::vector<CString>& list, const char* folder, const bool& recursive) {
    if (folder == nullptr) {
        return false;
    }
    subFolders(list, folder, recursive);
    return !list.empty();
}

bool listSubFolders(std::vector<std::string>& list, const char* folder, const bool& recursive) {
    if (folder == nullptr) {
        return false;
    }
    std::vector<CString> found;
    subFolders(found, folder, recursive);
    for (const CString& path : found) {
        list.push_back(path.native());
    }
    return !list.empty();
}

bool deleteMatchingFiles(const char* pattern) {
    if (pattern == nullptr) {
        return false;
    }
    // Found names are deleted by the path the pattern gives them, in narrow text.
    const std::string_view text = pattern;
    const std::string folder(text.substr(0, velmar::text::winpath::patternNameStart(text)));
    bool deleted = false;
    velmar::fs::FileFinder finder;
    if (!findFirst(finder, CString(pattern))) {
        return false;
    }
    do {
        DWORD error = ERROR_SUCCESS;
        if (!isDots(finder.name()) &&
            velmar::fs::deleteFile(
                velmar::text::ansiToWide(folder + velmar::text::utf8ToAnsi(finder.name())),
                error)) {
            deleted = true;
        }
    } while (finder.next());
    return deleted;
}
