// The framework's time span: its parts, arithmetic and text.
#include "platform/framework/framework.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

TEST(TimeSpan, PartsFromDaysHoursMinutesSeconds) {
    const CTimeSpan span(3, 4, 5, 6);
    EXPECT_EQ(span.GetTotalSeconds(), ((3 * 24 + 4) * 60 + 5) * 60 + 6);
    EXPECT_EQ(span.GetDays(), 3);
    EXPECT_EQ(span.GetHours(), 4);
    EXPECT_EQ(span.GetMinutes(), 5);
    EXPECT_EQ(span.GetSeconds(), 6);
    EXPECT_EQ(span.GetTotalHours(), 76);
    EXPECT_EQ(span.GetTotalMinutes(), 76 * 60 + 5);
    EXPECT_EQ(CTimeSpan(0, 0, 0, 90), CTimeSpan(0, 0, 1, 30)); // parts carry over

    EXPECT_EQ(span + CTimeSpan(54) - CTimeSpan(0, 4, 6, 0), CTimeSpan(3, 0, 0, 0));
    EXPECT_LT(CTimeSpan(59), CTimeSpan(0, 0, 1, 0));
    EXPECT_EQ(CTimeSpan(INT64_MAX) + CTimeSpan(1), CTimeSpan(INT64_MIN)); // wraps, no overflow
}

TEST(TimeSpan, FormatsThePatternElements) {
    const struct {
        std::int64_t seconds;
        const char* pattern;
        const char* text;
    } cases[] = {
        {0, "%D %H:%M:%S", "0 00:00:00"},
        {3661, "%H:%M:%S", "01:01:01"},
        {90061, "%H:%M:%S", "01:01:01"}, // a day without %D is dropped
        {90061, "%D days %Hh", "1 days 01h"},
        {10LL * 86400 * 365 + 59, "%D:%S", "3650:59"}, // days without leading zeros
        {INT64_MAX, "%D %H:%M:%S", "106751991167300 15:30:07"},
        {5, "100%% %S", "100% 05"},
        {5, "%X %d %s%", "%X %d %s%"},      // not elements: copied as written
        {-3661, "%H:%M:%S", "-01:-01:-01"}, // negative spans: signed parts
        {INT64_MIN, "%D %S", "-106751991167300 -08"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern + std::string(" over ") + std::to_string(c.seconds));
        EXPECT_STREQ(CTimeSpan(c.seconds).Format(c.pattern).GetString(), c.text);
    }
    EXPECT_STREQ(CTimeSpan(5).Format(nullptr).GetString(), "");
}

} // namespace
