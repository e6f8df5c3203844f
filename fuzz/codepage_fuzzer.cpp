// Round trips through the code-page conversions: every 1252 text survives wide and UTF-8 and
// back, and every conversion of arbitrary input completes.
#include "platform/text/text.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "round trip failed: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmar::text;
    const std::string input(reinterpret_cast<const char*>(data), size);

    // The input as 1252 text.
    require(wideToAnsi(ansiToWide(input)) == input, "wideToAnsi(ansiToWide(x))");
    require(utf8ToAnsi(ansiToUtf8(input)) == input, "utf8ToAnsi(ansiToUtf8(x))");
    require(utf8ToWide(ansiToUtf8(input)) == ansiToWide(input), "utf8ToWide(ansiToUtf8(x))");

    // The input as UTF-8 and as UTF-16LE: whatever comes out converts back to the same.
    const std::wstring fromUtf8 = utf8ToWide(input);
    require(utf8ToWide(wideToUtf8(fromUtf8)) == fromUtf8, "utf8ToWide(wideToUtf8(w))");
    const std::string ansi = utf8ToAnsi(input);
    require(utf8ToAnsi(ansiToUtf8(ansi)) == ansi, "utf8ToAnsi of an ANSI text");
    const std::wstring fromUtf16 = utf16leToWide(input);
    require(utf16leToWide(wideToUtf16le(fromUtf16)) == fromUtf16,
            "utf16leToWide(wideToUtf16le(w))");
    wideToAnsi(fromUtf16);
    wideToUtf8(fromUtf16);

    for (const char c : input) {
        ansiToUpper(c);
        ansiToLower(c);
        codePointToAnsi(ansiToCodePoint(static_cast<unsigned char>(c)));
    }
    if (size >= 4) {
        // Any wchar_t value, also beyond Unicode and negative ones.
        std::wstring wide(size / sizeof(wchar_t), L'\0');
        for (std::size_t i = 0; i < wide.size(); ++i) {
            std::uint32_t unit = 0;
            for (std::size_t b = 0; b < 4; ++b) {
                unit |= static_cast<std::uint32_t>(data[i * 4 + b]) << (8 * b);
            }
            wide[i] = static_cast<wchar_t>(unit);
        }
        wideToAnsi(wide);
        wideToUtf8(wide);
        wideToUtf16le(wide);
        for (const wchar_t c : wide) {
            wideToUpper(c);
            wideToLower(c);
        }
        compareAnsiNoCase(input.substr(0, size / 2), input.substr(size / 2));
    }
    return 0;
}
