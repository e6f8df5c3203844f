// The Windows wildcard rules.
#include "platform/fs/internal/wildcard.h"

#include <gtest/gtest.h>

namespace {

TEST(Wildcard, MatchesAsWindowsDoes) {
    const struct {
        const char* pattern;
        const char* name;
        bool expected;
    } rows[] = {
        {"*.*", "readme", true},     {"*.*", "a.txt", true},
        {"*.*", ".profile", true},   {"*", "", true},
        {"*.", "readme", true},      {"*.", "a.txt", false},
        {"read*.*", "readme", true}, {"*.TIF", "scan.tif", true},
        {"*.tif", "SCAN.Tif", true}, {"*.tif", "scan.tif.bak", false},
        {"*.tif", "scantif", false}, {"s?an.*", "scan.tif", true},
        {"?", "ab", false},          {"??", "ab", true},
        {"a*b*c", "aXbYbZc", true},  {"a*b*c", "aXbYbZ", false},
        {"*a", "aaaa", true},        {"\xc3\x89*", "\xc3\xa9t\xc3\xa9", true},
        {"x?z", "x\xc3\xa9z", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.pattern) + " ~ " + row.name);
        EXPECT_EQ(velmar::fs::matchesWildcard(row.pattern, row.name), row.expected);
    }
}

} // namespace
