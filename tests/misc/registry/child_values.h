// The values the churning child writes, so that the test can tell whole from torn.
#pragma once

#include <cstdio>
#include <string>

namespace velmar::test {

inline constexpr const char* kChurnKey = "Software\\Churn";
inline constexpr int kGroupSize = 10;

// Item -1 is the single value written after each group.
inline std::string churnName(int group, int item) {
    char name[32];
    std::snprintf(name, sizeof name, "g%06d_%d", group, item);
    return name;
}

// Several pages of data, different for every value.
inline std::string churnData(int group, int item) {
    std::string data(6000 + 97 * (item + 1), '\0');
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<char>((group * 31 + item * 7 + static_cast<int>(i)) & 0xFF);
    }
    return data;
}

} // namespace velmar::test
