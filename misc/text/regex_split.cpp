// Splitting by a regular expression built from the delimiter text.
#include "misc/text/char_set.h"
#include "misc/text/text.h"

#include <iterator>
#include <regex>

using velmar::misc::text::literal;

namespace {

// libstdc++ matches depth-first by default, one stack frame per character of a match, so a
// long token overflows the stack. Its breadth-first matcher needs constant stack and finds
// the same tokens whenever the delimiter text holds no "]" (the pattern is then one bracket
// expression, one repetition and a look-ahead); a "]" can end the bracket early and make
// alternatives, of which it prefers the longest match where ECMAScript takes the first.
constexpr std::regex_constants::syntax_option_type kSyntax =
#if defined(__GLIBCXX__)
    std::regex_constants::ECMAScript | std::regex_constants::__polynomial;
#else
    std::regex_constants::ECMAScript;
#endif

template <typename Ch>
void splitByRegexIn(const std::basic_string<Ch>& text, const std::basic_string<Ch>& delimiters,
                    std::vector<std::basic_string<Ch>>& tokens) {
    std::basic_string<Ch> escaped = delimiters;
    replaceAll(escaped, literal<Ch>("\\"), literal<Ch>("\\\\"));
    const std::basic_regex<Ch> pattern(
        literal<Ch>("[^") + escaped + literal<Ch>("]+(?=") + escaped + literal<Ch>("|$)"), kSyntax);
    // Matched apart from tokens, which may hold the text itself.
    std::vector<std::basic_string<Ch>> found;
    using Matches = std::regex_iterator<typename std::basic_string<Ch>::const_iterator>;
    for (Matches match(text.begin(), text.end(), pattern), end; match != end; ++match) {
        found.push_back(match->str());
    }
    tokens.insert(tokens.end(), std::make_move_iterator(found.begin()),
                  std::make_move_iterator(found.end()));
}

} // namespace

void splitByRegex(const std::string& text, const std::string& delimiters,
                  std::vector<std::string>& tokens) {
    splitByRegexIn(text, delimiters, tokens);
}

void splitByRegex(const std::wstring& text, const std::wstring& delimiters,
                  std::vector<std::wstring>& tokens) {
    splitByRegexIn(text, delimiters, tokens);
}
