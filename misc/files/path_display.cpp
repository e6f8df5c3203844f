// Paths and sizes for display.
#include "misc/files/files.h"
#include "misc/files/path_rules.h"
#include "misc/files/text_forms.h"
#include "misc/text/text.h"

using velmar::misc::files::safe;

namespace {

// Scales a count to its unit: the number and the unit's name.
std::pair<double, const char*> scaled(double x) {
    static const char* const units[] = {"Bytes", "KB", "MB", "GB", "TB", "PB"};
    std::size_t unit = 0;
    while (x > 1024 && unit + 1 < std::size(units)) {
        x /= 1024;
        ++unit;
    }
    return {x, units[unit]};
}

} // namespace

CString abbreviatePath(const char* path, int maxLength) {
    return CString(velmar::misc::files::abbreviatePath<char>(safe(path), maxLength));
}
std::string abbreviatePathSC(const char* path, int maxLength) {
    return velmar::misc::files::abbreviatePath<char>(safe(path), maxLength);
}

CString formatByteSize(LONGLONG count) {
    const auto [x, unit] = scaled(static_cast<double>(count));
    CString text;
    text.Format("%.2f ", x);
    return text + unit;
}

std::string formatByteSizeS(ULONGLONG count) {
    const auto [x, unit] = scaled(static_cast<double>(count));
    return formatString("%.2f ", x) + unit;
}

std::wstring formatByteSizeW(ULONGLONG count) {
    return toWide(formatByteSizeS(count));
}
