// The system's tick: its 32-bit wrap, the offset that moves it there, and the timer periods.
#include "platform/process/process.h"

#include "tests/support/scoped_env.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <string>
#include <thread>

using velmar::test::ScopedEnv;

namespace {

TEST(Tick, WrapsAtThirtyTwoBitsAndDifferencesStayRight) {
    // An offset that puts the count at 2^32 - 50 now, whatever the machine's uptime.
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    const auto uptime =
        static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                                   static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
    const std::uint32_t offset = 0xFFFFFFFFu - 49u - uptime; // modulo 2^32
    ScopedEnv env("VELMAR_TICK_OFFSET", std::to_string(offset).c_str());

    const DWORD before = timeGetTime();
    DWORD after = before;
    // Polled rather than one fixed sleep: a loaded machine may take longer to get there.
    for (int i = 0; i < 200 && after >= before; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        after = GetTickCount();
    }
    ASSERT_LT(after, before) << "the count did not wrap";
    const DWORD elapsed = after - before; // unsigned: one wrap does no harm
    EXPECT_GE(elapsed, 0u - before);
    EXPECT_LT(elapsed, 10'000u);
}

TEST(Tick, OffsetIsPlainDecimalOrIgnored) {
    struct Case {
        const char* value;
        std::uint64_t offset;
    };
    const Case cases[] = {
        {"0", 0},
        {"4294967246", 4294967246u},
        {"18446744073709551615", UINT64_MAX},
        {"", 0},
        {"-5", 0},
        {"+5", 0},
        {" 5", 0},
        {"5ms", 0},
        {"0x10", 0},
        {"18446744073709551616", 0}, // beyond 64 bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ScopedEnv env("VELMAR_TICK_OFFSET", c.value);
        EXPECT_EQ(velmar::process::tickOffset(), c.offset);
    }
    ScopedEnv unset("VELMAR_TICK_OFFSET", nullptr);
    EXPECT_EQ(velmar::process::tickOffset(), 0u);
}

TEST(Tick, TimerPeriodsFromOneToAThousandMilliseconds) {
    const struct {
        UINT period;
        MMRESULT result;
    } cases[] = {{0, TIMERR_NOCANDO},
                 {1, TIMERR_NOERROR},
                 {1000, TIMERR_NOERROR},
                 {1001, TIMERR_NOCANDO},
                 {0xFFFFFFFF, TIMERR_NOCANDO}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.period);
        EXPECT_EQ(timeBeginPeriod(c.period), c.result);
        EXPECT_EQ(timeEndPeriod(c.period), c.result);
    }
}

} // namespace
