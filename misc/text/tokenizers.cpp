// The splitters at delimiter characters and strings, and tokenize with its quoted parts and
// empty-token placeholder. The splitters share one loop over a delimiter policy.
#include "misc/text/char_set.h"
#include "misc/text/text.h"

#include <algorithm>
#include <iterator>

const char* g_emptyToken = "*EMPTY_TOKEN*";

namespace {

using velmar::misc::text::CharSet;

constexpr std::size_t npos = std::string_view::npos;

template <typename Ch>
constexpr Ch kQuote = static_cast<Ch>('"');

struct Delimiter {
    std::size_t at;
    std::size_t length;
};

// Delimiter policy: any character of a set.
template <typename Ch>
class AnyChar {
public:
    explicit AnyChar(std::basic_string_view<Ch> chars) : m_chars(chars) {}
    Delimiter find(std::basic_string_view<Ch> text, std::size_t from) const {
        return {m_chars.find(text, from), 1};
    }

private:
    CharSet<Ch> m_chars;
};

// Delimiter policy: the first of a list of strings that matches, position by position. Only
// positions holding the first character of some delimiter are tried.
class AnyString {
public:
    explicit AnyString(const std::vector<CString>& delimiters)
        : m_delimiters(nonEmpty(delimiters)), m_firsts(firstCharacters(m_delimiters)) {}

    Delimiter find(std::string_view text, std::size_t from) const {
        for (std::size_t at = m_firsts.find(text, from); at != npos;
             at = m_firsts.find(text, at + 1)) {
            const std::string_view rest = text.substr(at);
            for (const std::string_view delimiter : m_delimiters) {
                if (rest.starts_with(delimiter)) {
                    return {at, delimiter.size()};
                }
            }
        }
        return {npos, 0};
    }

private:
    static std::vector<std::string_view> nonEmpty(const std::vector<CString>& delimiters) {
        std::vector<std::string_view> views;
        for (const CString& delimiter : delimiters) {
            if (!delimiter.IsEmpty()) {
                views.push_back(delimiter.view());
            }
        }
        return views;
    }
    static CharSet<char> firstCharacters(const std::vector<std::string_view>& delimiters) {
        std::string firsts;
        for (const std::string_view delimiter : delimiters) {
            firsts.push_back(delimiter.front());
        }
        return CharSet<char>(firsts);
    }

    std::vector<std::string_view> m_delimiters;
    CharSet<char> m_firsts;
};

// The token after the last delimiter loses one final line break.
template <typename Ch>
std::basic_string_view<Ch> withoutFinalBreak(std::basic_string_view<Ch> token) {
    if (!token.empty() && (token.back() == Ch('\n') || token.back() == Ch('\r'))) {
        token.remove_suffix(1);
    }
    return token;
}

// Appends the non-empty tokens between delimiters; with quotes honoured, a token that starts
// with a quote runs to the next quote. False when an unmatched quote ended the split.
template <typename Token, typename Ch, typename Delimiters>
bool splitInto(std::vector<Token>& tokens, std::basic_string_view<Ch> text,
               const Delimiters& delimiters, bool honourQuotes) {
    std::size_t p = 0;
    while (p < text.size()) {
        std::basic_string_view<Ch> token;
        if (honourQuotes && text[p] == kQuote<Ch>) {
            const std::size_t close = text.find(kQuote<Ch>, p + 1);
            if (close == npos) {
                return false;
            }
            token = text.substr(p + 1, close - p - 1);
            p = close + 1;
        } else if (const Delimiter d = delimiters.find(text, p); d.at == npos) {
            token = withoutFinalBreak(text.substr(p));
            p = text.size();
        } else {
            token = text.substr(p, d.at - p);
            p = d.at + d.length;
        }
        if (!token.empty()) {
            tokens.emplace_back(token);
        }
    }
    return true;
}

template <typename Ch>
bool splitAtAnyCharIn(std::vector<CStringT<Ch>>& tokens, const CStringT<Ch>& text,
                      const CStringT<Ch>& delimiters, bool honourQuotes) {
    // Split apart from tokens, which may hold the text itself.
    std::vector<CStringT<Ch>> found;
    const bool complete =
        splitInto(found, text.view(), AnyChar<Ch>(delimiters.view()), honourQuotes);
    tokens = std::move(found);
    return complete && !tokens.empty();
}

// The first quote in [from, end), or npos; none when there is no end (npos).
std::size_t quoteBefore(std::string_view text, std::size_t from, std::size_t end) {
    return end == npos ? npos : text.substr(0, end).find('"', from);
}

std::string withoutQuotes(std::string_view token) {
    std::string unquoted;
    unquoted.reserve(token.size());
    for (std::size_t from = 0; from < token.size();) {
        const std::size_t quote = std::min(token.find('"', from), token.size());
        unquoted.append(token, from, quote - from);
        from = quote + 1;
    }
    return unquoted;
}

bool tokenizeInto(std::vector<CString>& tokens, std::string_view text,
                  const CharSet<char>& delimiters, bool honourQuotes, bool keepEmptyTokens) {
    std::size_t p = 0;
    while (p < text.size()) {
        std::size_t g = delimiters.find(text, p);
        // A quote before the delimiter opens a quoted part, and the delimiter that ends the
        // token is the first one after the part's closing quote. Without any delimiter ahead
        // the quotes need not be matched.
        std::size_t h = honourQuotes ? quoteBefore(text, p, g) : npos;
        while (h != npos) {
            const std::size_t close = text.find('"', h + 1);
            if (close == npos) {
                return false;
            }
            if (g < close) {
                g = delimiters.find(text, close + 1);
            }
            h = quoteBefore(text, close + 1, g);
        }
        std::string_view token;
        if (g == npos) {
            token = withoutFinalBreak(text.substr(p));
            p = text.size();
        } else {
            token = text.substr(p, g - p);
            p = g + 1;
        }
        if (token.empty()) {
            if (keepEmptyTokens) {
                tokens.emplace_back(g_emptyToken);
            }
        } else if (honourQuotes && token.find('"') != npos) {
            tokens.emplace_back(withoutQuotes(token));
        } else {
            tokens.emplace_back(token);
        }
    }
    return true;
}

template <typename Token>
void appendMoved(std::vector<Token>& to, std::vector<Token>& from) {
    to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
}

} // namespace

bool splitAtAnyChar(std::vector<CString>& tokens, const CString& text, const CString& delimiters,
                    bool honourQuotes) {
    return splitAtAnyCharIn(tokens, text, delimiters, honourQuotes);
}

bool splitAtAnyChar(std::vector<CStringW>& tokens, const CStringW& text, const CStringW& delimiters,
                    bool honourQuotes) {
    return splitAtAnyCharIn(tokens, text, delimiters, honourQuotes);
}

bool splitAtAnyChar(std::vector<std::string>& tokens, const std::string& text,
                    const std::string& delimiters, bool honourQuotes) {
    std::vector<std::string> found;
    const bool complete =
        splitInto(found, std::string_view(text), AnyChar<char>(delimiters), honourQuotes);
    const bool result = complete && !found.empty();
    appendMoved(tokens, found);
    return result;
}

bool splitAtAnyString(const CString& text, std::vector<CString>& tokens,
                      const std::vector<CString>& delimiters, bool honourQuotes) {
    std::vector<CString> found;
    const bool complete = splitInto(found, text.view(), AnyString(delimiters), honourQuotes);
    tokens = std::move(found);
    return complete && !tokens.empty();
}

bool splitAtAnyString(const CString& text, std::vector<CString>& tokens, CString delimiter,
                      bool honourQuotes) {
    return splitAtAnyString(text, tokens, std::vector<CString>{std::move(delimiter)}, honourQuotes);
}

bool tokenize(const CString& text, std::vector<CString>& tokens, CString delimiters,
              bool honourQuotes, bool keepEmptyTokens) {
    std::vector<CString> found;
    const bool complete = tokenizeInto(found, text.view(), CharSet<char>(delimiters.view()),
                                       honourQuotes, keepEmptyTokens);
    tokens = std::move(found);
    return complete && !tokens.empty();
}

bool appendTokens(const CString& text, std::vector<CString>& tokens, CString delimiters,
                  bool honourQuotes, bool keepEmptyTokens) {
    std::vector<CString> found;
    if (!tokenize(text, found, std::move(delimiters), honourQuotes, keepEmptyTokens)) {
        return false;
    }
    appendMoved(tokens, found);
    return !tokens.empty();
}

bool isEmptyToken(const CString& token) {
    return token.view() == std::string_view(g_emptyToken != nullptr ? g_emptyToken : "");
}
