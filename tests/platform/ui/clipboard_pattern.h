// The text the clipboard tests copy between processes: every byte but zero, over and over.
#pragma once

#include <cstddef>
#include <string>

namespace velmar::test {

inline std::string clipboardPattern(std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        text[i] = static_cast<char>(i % 255 + 1);
    }
    return text;
}

} // namespace velmar::test
