// The elapsed-time texts, one table per operation.
#include "misc/diagnostics/diagnostics.h"
#include "misc/diagnostics/elapsed_text.h"
#include "platform/process/process.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ElapsedText, CompactTextPicksTheLargestUnit) {
    struct Case {
        DWORD milliseconds;
        const char* text;
    };
    const Case cases[] = {
        {0, "0 ms"},
        {999, "999 ms"},
        {1000, "seconds: 01"},
        {59999, "seconds: 59"},
        {60000, "mins: 01, secs: 00"},
        {3600000, "hours: 01, mins: 00, secs: 00"},
        {90061000, "hours: 01, mins: 01, secs: 01"}, // 25 h: the day is dropped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.milliseconds);
        EXPECT_STREQ(velmar::diagnostics::compactElapsedText(c.milliseconds), c.text);
    }
}

TEST(ElapsedText, ElapsedTimeTextShowsMinutesAtLeast) {
    struct Case {
        DWORD milliseconds;
        bool multiLine;
        const char* text;
    };
    const Case cases[] = {
        {0, true, "Elapsed Time:\nmins: 00, secs: 00"},
        {65000, false, "Elapsed Time: mins: 01, secs: 05"},
        {3725000, true, "Elapsed Time:\nhours: 01, mins: 02, secs: 05"},
        {90061000, false, "Elapsed Time: hours: 01, mins: 01, secs: 01"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.milliseconds);
        EXPECT_STREQ(velmar::diagnostics::elapsedTimeText(c.milliseconds, c.multiLine), c.text);
    }
}

TEST(ElapsedText, LapReportKeepsItsLineFeedWhateverTheFlag) {
    struct Case {
        DWORD milliseconds;
        bool lineBreak;
        const char* text;
    };
    const Case cases[] = {
        {500, true, "Load Milliseconds: 500\n"},
        {0, false, "Load Milliseconds: 0 "},
        {61000, false, "Load Elapsed Time:\nmins: 01, secs: 01 "},
        {3725000, true, "Load Elapsed Time:\nhours: 01, mins: 02, secs: 05\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.milliseconds);
        EXPECT_STREQ(velmar::diagnostics::lapReportText(c.milliseconds, "Load", c.lineBreak),
                     c.text);
    }
}

TEST(ElapsedText, LapReportMeasuresFromTheCallersTickAndRestartsIt) {
    DWORD start = timeGetTime() - 61000;
    EXPECT_STREQ(getLapReport(start, "Load", false), "Load Elapsed Time:\nmins: 01, secs: 01 ");
    EXPECT_LT(getMillisecondsSince(start), 1000u);
}

TEST(ElapsedText, MillisecondTextPadsWithTheSpaceFlagBelowAnHour) {
    struct Case {
        int milliseconds;
        const char* text;
    };
    const Case cases[] = {
        {0, "minutes:  0, seconds :  0"},
        {65000, "minutes:  1, seconds :  5"},
        {3599999, "minutes:  59, seconds :  59"},
        {3725000, "hours: 1, minutes: 2, seconds: 5"},
        {90061000, "hours: 25, minutes: 1, seconds: 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.milliseconds);
        EXPECT_EQ(formatElapsedMilliseconds(c.milliseconds), c.text);
        const std::string narrow = c.text;
        EXPECT_EQ(formatElapsedMillisecondsW(c.milliseconds),
                  std::wstring(narrow.begin(), narrow.end()));
    }
}

TEST(ElapsedText, TimeSpanTextDropsTheUnitsItDoesNotNeed) {
    struct Case {
        std::int64_t seconds;
        const char* text;
    };
    const Case cases[] = {
        {86400, "Elapsed time: days: 1 hours: 00, mins: 00, secs: 00"},
        {90061, "Elapsed time: days: 1 hours: 01, mins: 01, secs: 01"},
        {3605, "Elapsed time: 01h, 00m, 05s"},
        {65, "Elapsed time: 01m, 05s"},
        {5, "Elapsed time: 05s"},
        {0, "Elapsed time: 00s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_STREQ(formatElapsedTimeSpan(CTimeSpan(c.seconds)), c.text);
    }
}

TEST(ElapsedText, SplitMillisecondsIntoHoursOrMinutes) {
    struct Case {
        DWORD milliseconds;
        int hours, minutesOfHour, minutes, seconds;
    };
    const Case cases[] = {
        {999, 0, 0, 0, 0},
        {65000, 0, 1, 1, 5},
        {3725000, 1, 2, 62, 5},
        {90061000, 25, 1, 1501, 1},
        {0xFFFFFFFF, 1193, 2, 71582, 47},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.milliseconds);
        int h = -1, m = -1, s = -1;
        splitMilliseconds(c.milliseconds, h, m, s);
        EXPECT_EQ(h, c.hours);
        EXPECT_EQ(m, c.minutesOfHour);
        EXPECT_EQ(s, c.seconds);
        splitMilliseconds(c.milliseconds, m, s);
        EXPECT_EQ(m, c.minutes);
        EXPECT_EQ(s, c.seconds);
    }
}

} // namespace
