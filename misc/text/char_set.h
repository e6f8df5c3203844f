// Internal to misc/text: a set of characters for the searches and tokenizers, built once per
// call so that each test of a character is a table look-up instead of a scan of the set.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace velmar::misc::text {

template <typename Ch>
class CharSet {
public:
    using View = std::basic_string_view<Ch>;
    static constexpr std::size_t npos = View::npos;

    explicit CharSet(View chars) {
        for (const Ch c : chars) {
            if (contains(c)) {
                continue;
            }
            const auto u = unit(c);
            if (u < m_table.size()) {
                m_table[u] = true;
            } else {
                m_others.push_back(c);
            }
            m_single = c;
            ++m_distinct;
        }
    }

    bool empty() const { return m_distinct == 0; }

    bool contains(Ch c) const {
        const auto u = unit(c);
        return u < m_table.size() ? m_table[u] : m_others.find(c) != m_others.npos;
    }

    // Index of the first character at or after `from` that is in the set, or npos.
    std::size_t find(View text, std::size_t from) const {
        if (from >= text.size() || m_distinct == 0) {
            return npos;
        }
        if (m_distinct == 1) {
            // One delimiter, the common case: the library's memchr is faster than any loop.
            return text.find(m_single, from);
        }
        const Ch* const begin = text.data();
        const Ch* const end = begin + text.size();
        for (const Ch* p = begin + from; p != end; ++p) {
            if (contains(*p)) {
                return static_cast<std::size_t>(p - begin);
            }
        }
        return npos;
    }

    // Index of the first character at or after `from` that is not in the set, or npos.
    std::size_t findNot(View text, std::size_t from) const {
        for (std::size_t i = from; i < text.size(); ++i) {
            if (!contains(text[i])) {
                return i;
            }
        }
        return npos;
    }

private:
    static std::uint32_t unit(Ch c) {
        if constexpr (std::is_same_v<Ch, char>) {
            return static_cast<unsigned char>(c);
        } else {
            return static_cast<std::uint32_t>(c);
        }
    }

    std::array<bool, 256> m_table{};
    std::basic_string<Ch> m_others; // characters beyond the table (wide text only)
    Ch m_single{};
    std::size_t m_distinct = 0;
};

// Text of ASCII characters in either width, for literals shared by narrow and wide code.
template <typename Ch>
std::basic_string<Ch> literal(std::string_view ascii) {
    return std::basic_string<Ch>(ascii.begin(), ascii.end());
}

} // namespace velmar::misc::text
