// GlobalMemoryStatusEx from the kernel's figures, capped by the container's memory limit.
#include "platform/host/host.h"
#include "platform/process/process.h"

#include <sys/resource.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

namespace velmar::process {
namespace {

// x64 Windows gives a process 128 TiB of user address space.
constexpr std::uint64_t kDefaultAddressSpace = std::uint64_t{128} << 40;
// cgroup v1 writes "no limit" as the largest page-aligned signed value; anything this big is
// no limit on any machine.
constexpr std::uint64_t kNoLimit = std::uint64_t{1} << 60;

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::optional<std::uint64_t> number(std::string_view text) {
    text = trim(text);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// A "Name:   1234 kB" field of /proc/meminfo or /proc/self/status, in bytes.
std::optional<std::uint64_t> kilobyteField(std::string_view text, std::string_view name) {
    std::size_t at = 0;
    while (at < text.size()) {
        auto end = text.find('\n', at);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (line.size() <= name.size() || line.substr(0, name.size()) != name ||
            line[name.size()] != ':') {
            continue;
        }
        std::string_view value = trim(line.substr(name.size() + 1));
        if (value.size() >= 2 && value.substr(value.size() - 2) == "kB") {
            value = value.substr(0, value.size() - 2);
        }
        const auto kilobytes = number(value);
        if (!kilobytes || *kilobytes > (~std::uint64_t{0} >> 10)) {
            return std::nullopt;
        }
        return *kilobytes << 10;
    }
    return std::nullopt;
}

DWORD loadPercent(std::uint64_t total, std::uint64_t available) {
    if (total == 0 || available >= total) {
        return 0;
    }
    const double used = static_cast<double>(total - available);
    return static_cast<DWORD>(std::lround(100.0 * used / static_cast<double>(total)));
}

std::string readText(const std::string& path) {
    std::string text;
    if (!host::readFile(path.c_str(), text)) {
        text.clear();
    }
    return text;
}

} // namespace

std::string memoryCgroupFolder(const std::string& cgroupText, bool& v2) {
    std::optional<std::string> unified;
    std::size_t at = 0;
    while (at < cgroupText.size()) {
        auto end = cgroupText.find('\n', at);
        if (end == std::string::npos) {
            end = cgroupText.size();
        }
        const std::string_view line(cgroupText.data() + at, end - at);
        at = end + 1;
        // hierarchy-id:controllers:path
        const auto first = line.find(':');
        const auto second = first == std::string_view::npos ? first : line.find(':', first + 1);
        if (second == std::string_view::npos || second + 1 >= line.size() ||
            line[second + 1] != '/') {
            continue;
        }
        const std::string_view controllers = line.substr(first + 1, second - first - 1);
        std::string path(line.substr(second + 1));
        if (path == "/") {
            path.clear();
        }
        if (line.substr(0, first) == "0" && controllers.empty()) {
            unified = path;
            continue;
        }
        // v1: the hierarchy whose comma-separated controllers include memory.
        std::size_t from = 0;
        while (from <= controllers.size()) {
            auto comma = controllers.find(',', from);
            if (comma == std::string_view::npos) {
                comma = controllers.size();
            }
            if (controllers.substr(from, comma - from) == "memory") {
                v2 = false;
                return "/sys/fs/cgroup/memory" + path;
            }
            from = comma + 1;
        }
    }
    v2 = true;
    return unified ? "/sys/fs/cgroup" + *unified : std::string();
}

MEMORYSTATUSEX memoryStatusFromTexts(const MemoryTexts& texts) {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(MEMORYSTATUSEX);

    std::uint64_t total = kilobyteField(texts.meminfo, "MemTotal").value_or(0);
    std::uint64_t available = kilobyteField(texts.meminfo, "MemAvailable")
                                  .value_or(kilobyteField(texts.meminfo, "MemFree").value_or(0));
    available = std::min(available, total);
    if (const auto limit = number(texts.limit); limit && *limit < kNoLimit) {
        total = std::min(total, *limit);
        if (const auto usage = number(texts.usage)) {
            available = std::min(available, *limit - std::min(*usage, *limit));
        }
        available = std::min(available, total);
    }
    status.ullTotalPhys = total;
    status.ullAvailPhys = available;
    status.dwMemoryLoad = loadPercent(total, available);

    status.ullTotalPageFile = total + kilobyteField(texts.meminfo, "SwapTotal").value_or(0);
    status.ullAvailPageFile = std::min(
        status.ullTotalPageFile, available + kilobyteField(texts.meminfo, "SwapFree").value_or(0));

    const std::uint64_t space =
        texts.addressSpaceLimit != 0 ? texts.addressSpaceLimit : kDefaultAddressSpace;
    const std::uint64_t used = kilobyteField(texts.status, "VmSize").value_or(0);
    status.ullTotalVirtual = space;
    status.ullAvailVirtual = space - std::min(used, space);
    return status;
}

} // namespace velmar::process

BOOL GlobalMemoryStatusEx(MEMORYSTATUSEX* status) {
    if (status == nullptr || status->dwLength != sizeof(MEMORYSTATUSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    velmar::process::MemoryTexts texts;
    texts.meminfo = velmar::process::readText("/proc/meminfo");
    texts.status = velmar::process::readText("/proc/self/status");
    texts.cgroup = velmar::process::readText("/proc/self/cgroup");
    bool v2 = true;
    const std::string folder = velmar::process::memoryCgroupFolder(texts.cgroup, v2);
    if (!folder.empty()) {
        texts.limit =
            velmar::process::readText(folder + (v2 ? "/memory.max" : "/memory.limit_in_bytes"));
        texts.usage =
            velmar::process::readText(folder + (v2 ? "/memory.current" : "/memory.usage_in_bytes"));
    }
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        texts.addressSpaceLimit = limit.rlim_cur;
    }
    *status = velmar::process::memoryStatusFromTexts(texts);
    return 1;
}
