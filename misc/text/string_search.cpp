// Case-changed copies, the case-blind comparison of a part, and the character-set searches.
#include "misc/text/char_set.h"
#include "misc/text/text.h"

#include <algorithm>

using velmar::misc::text::CharSet;

namespace {

template <typename Ch>
int findFirstOfSet(const CStringT<Ch>& text, const CStringT<Ch>& set, int start, bool inSet) {
    const CharSet<Ch> chars(set.view());
    const auto from = static_cast<std::size_t>(std::max(start, 0));
    const std::size_t at = inSet ? chars.find(text.view(), from) : chars.findNot(text.view(), from);
    return at == CharSet<Ch>::npos ? -1 : static_cast<int>(at);
}

} // namespace

CString toLowerCopy(const CString& text) {
    CString copy(text);
    copy.MakeLower();
    return copy;
}

CString toUpperCopy(const CString& text) {
    CString copy(text);
    copy.MakeUpper();
    return copy;
}

bool equalsNoCaseAt(const CString& text, const char* other, int start, int count) {
    return text.Mid(start, count).CompareNoCase(other) == 0;
}

int findFirstOf(const CString& text, const CString& set, int start) {
    return findFirstOfSet(text, set, start, true);
}

int findFirstOf(const CStringW& text, const CStringW& set, int start) {
    return findFirstOfSet(text, set, start, true);
}

int findFirstNotOf(const CString& text, const CString& set, int start) {
    return findFirstOfSet(text, set, start, false);
}
