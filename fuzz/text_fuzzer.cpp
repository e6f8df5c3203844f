// The tokenizers, string helpers, number parsers and number formatters of misc/text. The
// first byte picks the operation; the rest gives its arguments.
#include "misc/text/text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

namespace {

CString takeText(FuzzedDataProvider& in, std::size_t most = 64) {
    return CString(in.ConsumeRandomLengthString(most));
}

std::vector<CString> takeTexts(FuzzedDataProvider& in) {
    std::vector<CString> texts(in.ConsumeIntegralInRange<std::size_t>(0, 4));
    for (CString& text : texts) {
        text = takeText(in, 8);
    }
    return texts;
}

void tokenizers(FuzzedDataProvider& in) {
    const bool quotes = in.ConsumeBool();
    const bool keepEmpty = in.ConsumeBool();
    switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0: {
        const CString delimiters = takeText(in, 8);
        std::vector<CString> tokens;
        tokenize(CString(in.ConsumeRemainingBytesAsString()), tokens, delimiters, quotes,
                 keepEmpty);
        break;
    }
    case 1: {
        const CString delimiters = takeText(in, 8);
        std::vector<CString> tokens{CString("kept")};
        appendTokens(CString(in.ConsumeRemainingBytesAsString()), tokens, delimiters, quotes,
                     keepEmpty);
        break;
    }
    case 2: {
        const CString delimiters = takeText(in, 8);
        std::vector<CString> tokens;
        splitAtAnyChar(tokens, CString(in.ConsumeRemainingBytesAsString()), delimiters, quotes);
        break;
    }
    case 3: {
        const std::string delimiters = in.ConsumeRandomLengthString(8);
        std::vector<std::string> tokens;
        splitAtAnyChar(tokens, in.ConsumeRemainingBytesAsString(), delimiters, quotes);
        break;
    }
    case 4: {
        const CStringW delimiters(CString(in.ConsumeRandomLengthString(8)));
        std::vector<CStringW> tokens;
        splitAtAnyChar(tokens, CStringW(CString(in.ConsumeRemainingBytesAsString())), delimiters,
                       quotes);
        break;
    }
    case 5: {
        const std::vector<CString> delimiters = takeTexts(in);
        std::vector<CString> tokens;
        splitAtAnyString(CString(in.ConsumeRemainingBytesAsString()), tokens, delimiters, quotes);
        break;
    }
    case 6: {
        // A refused pattern is the documented failure. Delimiters keep their meaning in the
        // pattern, and libstdc++ takes cubic time for some ("+." ahead of the text's end), so
        // the text stays short enough for that not to count as a hang.
        const std::string delimiters = in.ConsumeRandomLengthString(4);
        const std::string text = in.ConsumeRandomLengthString(64);
        std::vector<std::string> tokens;
        std::vector<std::wstring> wide;
        try {
            splitByRegex(text, delimiters, tokens);
            splitByRegex(widenCharacters(text), widenCharacters(delimiters), wide);
        } catch (const std::regex_error&) {
        }
        break;
    }
    default: {
        // The text is one of the output's own tokens.
        const CString delimiters = takeText(in, 8);
        std::vector<CString> tokens{CString(in.ConsumeRemainingBytesAsString())};
        tokenize(tokens[0], tokens, delimiters, quotes, keepEmpty);
        break;
    }
    }
}

void helpers(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 9)) {
    case 0: {
        CString text = takeText(in);
        collapseRuns(text, CString(in.ConsumeRemainingBytesAsString()));
        break;
    }
    case 1: {
        std::string text = in.ConsumeRandomLengthString(64);
        const std::string search = in.ConsumeRandomLengthString(8);
        replaceAll(text, search, in.ConsumeRemainingBytesAsString());
        break;
    }
    case 2: {
        std::wstring text = toWide(in.ConsumeRandomLengthString(64));
        const std::wstring search = toWide(in.ConsumeRandomLengthString(8));
        replaceAll(text, search, toWide(in.ConsumeRemainingBytesAsString()));
        break;
    }
    case 3: {
        const CString text = takeText(in);
        const char* other = nullptr;
        const std::string otherText = in.ConsumeRandomLengthString(16);
        other = otherText.c_str();
        const int start = in.ConsumeIntegral<int>();
        equalsNoCaseAt(text, other, start, in.ConsumeIntegral<int>());
        break;
    }
    case 4: {
        const CString text = takeText(in);
        const CString set = takeText(in, 8);
        const int start = in.ConsumeIntegral<int>();
        findFirstOf(text, set, start);
        findFirstNotOf(text, set, start);
        findFirstOf(CStringW(text), CStringW(set), start);
        break;
    }
    case 5: {
        CString text = takeText(in);
        removeFirst(text, CString(in.ConsumeRemainingBytesAsString()));
        break;
    }
    case 6: {
        CString text(in.ConsumeRemainingBytesAsString());
        CString copy = text;
        keepPrintable(copy);
        copy = text;
        makeIdentifierSafe(copy, true);
        toLowerCopy(text);
        toUpperCopy(text);
        isDigitsOnly(text, true);
        isDigitsOnly(text, false);
        break;
    }
    case 7: {
        std::string text = in.ConsumeRemainingBytesAsString();
        std::wstring wide = toWide(text);
        escapeRegex(text);
        escapeRegex(wide);
        narrowCharacters(widenCharacters(text));
        toNarrow(wide);
        break;
    }
    case 8: {
        const int start = in.ConsumeIntegral<int>();
        const int count = in.ConsumeIntegral<int>();
        const CString text(in.ConsumeRemainingBytesAsString());
        parseDouble(text);
        parseDouble(text, start, count);
        parseInteger(text);
        parseInteger(text, start, count);
        break;
    }
    default: {
        const std::string text = in.ConsumeRemainingBytesAsString();
        formatTag(text.c_str());
        break;
    }
    }
}

void formatters(FuzzedDataProvider& in) {
    CString out;
    // Any bit pattern: NaNs, infinities and subnormals too.
    double value = 0;
    const std::vector<std::uint8_t> bits = in.ConsumeBytes<std::uint8_t>(sizeof value);
    if (!bits.empty()) {
        std::memcpy(&value, bits.data(), bits.size());
    }
    const unsigned decimals = in.ConsumeBool() ? in.ConsumeIntegralInRange<unsigned>(0, 20)
                                               : in.ConsumeIntegral<unsigned>();
    const int integer = in.ConsumeIntegral<int>();
    const std::string prefix = in.ConsumeRandomLengthString(8);
    const std::string suffix = in.ConsumeRandomLengthString(8);
    switch (in.ConsumeIntegralInRange(0, 5)) {
    case 0:
        formatDegreesMinutesSeconds(out, value, decimals);
        break;
    case 1:
        formatDecimal(out, value, decimals, prefix.c_str(),
                      in.ConsumeBool() ? suffix.c_str() : nullptr);
        break;
    case 2:
        formatInteger(out, integer, prefix.c_str(), suffix.c_str());
        addThousandsSeparators(out, integer);
        break;
    case 3:
        addThousandsSeparators(out, value, decimals);
        break;
    case 4:
        formatTag(integer);
        formatTag(value);
        break;
    default:
        formatBitPattern(static_cast<std::uint8_t>(integer));
        formatBitPattern(static_cast<std::uint16_t>(integer));
        formatBitPattern(static_cast<std::uint32_t>(integer));
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    switch (in.ConsumeIntegralInRange(0, 2)) {
    case 0:
        tokenizers(in);
        break;
    case 1:
        helpers(in);
        break;
    default:
        formatters(in);
        break;
    }
    return 0;
}
