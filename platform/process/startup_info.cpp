// GetStartupInfoA and the text that carries the start-up information to a child.
#include "platform/process/internal/startup_info.h"

#include <array>
#include <charconv>
#include <cstdlib>
#include <limits>

namespace velmar::process {

std::string startupText(const STARTUPINFOA& info) {
    return std::to_string(info.dwFlags) + ' ' + std::to_string(info.wShowWindow) + ' ' +
           std::to_string(info.dwX) + ' ' + std::to_string(info.dwY) + ' ' +
           std::to_string(info.dwXSize) + ' ' + std::to_string(info.dwYSize);
}

bool parseStartupText(std::string_view text, STARTUPINFOA& info) {
    std::array<DWORD, 6> values{};
    const char* at = text.data();
    const char* end = text.data() + text.size();
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) {
            if (at == end || *at != ' ') {
                return false;
            }
            ++at;
        }
        // from_chars takes no sign or blank, so only plain digits pass.
        const auto [next, error] = std::from_chars(at, end, values[i]);
        if (error != std::errc() || next == at) {
            return false;
        }
        at = next;
    }
    if (at != end || values[1] > std::numeric_limits<WORD>::max()) {
        return false;
    }
    info.dwFlags = values[0];
    info.wShowWindow = static_cast<WORD>(values[1]);
    info.dwX = values[2];
    info.dwY = values[3];
    info.dwXSize = values[4];
    info.dwYSize = values[5];
    return true;
}

namespace {

STARTUPINFOA readStartup() {
    STARTUPINFOA info{};
    info.cb = sizeof info;
    if (const char* text = std::getenv(kStartupVariable)) {
        STARTUPINFOA parsed = info;
        if (parseStartupText(text, parsed)) {
            info = parsed;
        }
    }
    return info;
}

const STARTUPINFOA& startup() {
    static const STARTUPINFOA info = readStartup();
    return info;
}

// Taken before main, so that the program's later changes to its environment do not count.
[[maybe_unused]] const STARTUPINFOA& g_startupTaken = startup();

} // namespace

} // namespace velmar::process

void GetStartupInfoA(LPSTARTUPINFOA info) {
    if (info != nullptr) {
        *info = velmar::process::startup();
    }
}
