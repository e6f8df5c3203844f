// Angle, decimal, integer, thousands, tag and bit-pattern texts.
#include "misc/text/text.h"

#include <algorithm>
#include <cmath>

namespace {

// Decimals as a printf precision; the cap keeps the pattern's numbers within int.
int precision(unsigned decimals) {
    return static_cast<int>(std::min(decimals, kMaxDecimals));
}

// The value as "%2.<decimals>f" formats it.
CString fixedInFieldOfTwo(double value, unsigned decimals) {
    CString pattern;
    pattern.Format("%%2.%df", precision(decimals));
    CString text;
    text.Format(pattern, value);
    return text;
}

// Rebuilds the text from the right with "," before every third counted character that has a
// further character before it, unless that character is "-". Counting starts after the
// decimal point when there is one, else at the last character.
CString groupThousands(const CString& text) {
    const std::string_view digits = text.view();
    bool counting = digits.find('.') == std::string_view::npos;
    int taken = 0;
    std::string reversed;
    reversed.reserve(digits.size() + digits.size() / 3);
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (counting && taken == 3 && *it != '-') {
            reversed.push_back(',');
            taken = 0;
        }
        reversed.push_back(*it);
        if (counting) {
            ++taken;
        } else if (*it == '.') {
            counting = true;
        }
    }
    std::reverse(reversed.begin(), reversed.end());
    return CString(std::move(reversed));
}

} // namespace

CString formatDegreesMinutesSeconds(CString& out, double angle, unsigned decimals) {
    const int n = precision(decimals);
    CString pattern;
    pattern.Format("%%2.0f\xB0%%02.0f'%%%d.%df", n + 3, n);

    const double degrees = std::trunc(angle);
    const double minutesWithFraction = (angle - degrees) * 60.0;
    const double minutes = std::trunc(minutesWithFraction);
    const double seconds = (minutesWithFraction - minutes) * 60.0;
    out.Format(pattern, std::fabs(degrees), std::fabs(minutes), std::fabs(seconds));
    return out;
}

CString formatDecimal(CString& out, double value, unsigned decimals, const char* prefix,
                      const char* suffix) {
    // Built apart from out: prefix and suffix may point into it.
    CString text(prefix);
    text += fixedInFieldOfTwo(value, decimals);
    text += suffix;
    out = text;
    return out;
}

CString formatInteger(CString& out, int value, const char* prefix, const char* suffix) {
    CString text;
    if (prefix != nullptr) {
        text.Format("%s%d", prefix, value);
    } else {
        text.Format("%d", value);
    }
    text += suffix;
    out = text;
    return out;
}

CString addThousandsSeparators(CString& out, int value) {
    CString text;
    text.Format("%d", value);
    out = groupThousands(text);
    return out;
}

CString addThousandsSeparators(CString& out, double value, unsigned decimals) {
    out = groupThousands(fixedInFieldOfTwo(value, decimals));
    return out;
}

CString formatTag(int value) {
    CString text;
    text.Format("<%d/>", value);
    return text;
}

CString formatTag(double value) {
    CString text;
    text.Format("<%f/>", value);
    return text;
}

CString formatTag(const char* text) {
    CString tag;
    tag.Format("<%s/>", text != nullptr ? text : "");
    return tag;
}

CString formatBitPattern(std::uint8_t value) {
    CString bits;
    for (int bit = 7; bit >= 0; --bit) {
        bits += ((value >> bit) & 1U) != 0 ? '1' : '0';
    }
    return bits;
}

CString formatBitPattern(std::uint16_t value) {
    return formatBitPattern(static_cast<std::uint8_t>(value >> 8)) + '-' +
           formatBitPattern(static_cast<std::uint8_t>(value & 0xFFU));
}

CString formatBitPattern(std::uint32_t value) {
    return formatBitPattern(static_cast<std::uint16_t>(value >> 16)) + '-' +
           formatBitPattern(static_cast<std::uint16_t>(value & 0xFFFFU));
}
