// The system's millisecond tick: time since boot, sleep included, as a 32-bit count that wraps
// after about 49.7 days, moved on by VELMAR_TICK_OFFSET so that programs can be tried across
// the wrap without waiting for it.
#include "platform/base/base.h"
#include "platform/process/process.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace velmar::process {

std::uint64_t tickOffset() {
    // Read at every call rather than cached: a test (or a child it starts) sets it freely.
    const char* text = std::getenv("VELMAR_TICK_OFFSET");
    if (text == nullptr || *text == '\0') {
        return 0;
    }
    const char* end = text + std::strlen(text);
    std::uint64_t value = 0;
    const auto [stop, error] = std::from_chars(text, end, value, 10);
    if (error != std::errc() || stop != end) {
        return 0; // not a plain decimal count, or too large for 64 bits: no offset
    }
    return value;
}

} // namespace velmar::process

DWORD timeGetTime() {
    timespec now{};
    // CLOCK_BOOTTIME keeps counting while the machine sleeps, as Windows' tick does.
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    const std::uint64_t milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                                       static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    // Unsigned arithmetic: the sum wraps at 2^64 and the cut to 32 bits is the Windows wrap.
    return static_cast<DWORD>(milliseconds + velmar::process::tickOffset());
}

DWORD GetTickCount() {
    return timeGetTime();
}

MMRESULT timeBeginPeriod(UINT period) {
    // The host clock already has millisecond resolution; only the argument is checked.
    return period >= 1 && period <= 1000 ? TIMERR_NOERROR : TIMERR_NOCANDO;
}

MMRESULT timeEndPeriod(UINT period) {
    return timeBeginPeriod(period);
}
