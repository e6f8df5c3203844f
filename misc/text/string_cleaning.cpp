// In-place clean-ups of a text: removing a substring, collapsing runs, the two filters.
#include "misc/text/char_set.h"
#include "misc/text/text.h"

using velmar::misc::text::CharSet;

bool removeFirst(CString& text, const CString& sub) {
    const std::size_t at = text.view().find(sub.view());
    if (at == std::string_view::npos) {
        return false;
    }
    text.Delete(static_cast<int>(at), sub.GetLength());
    return true;
}

bool collapseRuns(CString& text, const CString& set) {
    const CharSet<char> runChars(set.view());
    const std::string_view chars = text.view();
    if (runChars.empty() || runChars.find(chars, 0) == CharSet<char>::npos) {
        return false;
    }
    std::string collapsed;
    collapsed.reserve(chars.size());
    for (std::size_t i = 0; i < chars.size();) {
        if (!runChars.contains(chars[i])) {
            collapsed.push_back(chars[i++]);
            continue;
        }
        std::size_t end = runChars.findNot(chars, i);
        if (end != CharSet<char>::npos) {
            collapsed.push_back(chars[i]);
        } else {
            end = chars.size();
        }
        i = end;
    }
    text = CString(std::move(collapsed));
    return true;
}

bool keepPrintable(CString& text) {
    std::string printable;
    printable.reserve(static_cast<std::size_t>(text.GetLength()));
    for (const char c : text.view()) {
        if (c >= 32 && c <= 126) {
            printable.push_back(c);
        }
    }
    text = CString(std::move(printable));
    return !text.IsEmpty();
}

bool makeIdentifierSafe(CString& text, bool keepSpaces) {
    for (int i = 0; i < text.GetLength(); ++i) {
        const char c = text[i];
        if (!velmar::text::isAnsiAlphaNumeric(c) && !(keepSpaces && c == ' ')) {
            text.SetAt(i, '_');
        }
    }
    return !text.IsEmpty();
}
