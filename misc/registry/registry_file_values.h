// The data forms of registry-file value lines, shared by the value writer, the export and
// the import. Internal to misc/registry.
#pragma once

#include "platform/registry/registry.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace velmar::misc::registry {

struct FileValue {
    DWORD type = REG_SZ;
    std::string data; // the bytes as stored; texts with their terminator
};

// The value an unquoted data text stands for: "dword:" data as REG_DWORD, "hex:" as
// REG_BINARY, "hex(N):" as type N, anything else as REG_SZ with each "\\" read as "\".
FileValue decodeValueText(std::string_view text);

// Decodes "hex:" or "hex(N):" data into out. False, out unchanged, when the text has neither
// prefix. Commas and white space are ignored; each pair of characters is one byte, converted
// as far as it holds hex digits ("zz" is 0); an odd last digit has no byte.
bool decodeHexText(std::string_view text, FileValue& out);

// The length of the "hex:" (REG_BINARY) or "hex(N):" (type N, 1 to 8 hex digits) that starts
// text, its type in type; 0 when text starts with neither.
std::size_t hexPrefix(std::string_view text, DWORD& type);

// The bytes of hex data given piece by piece, as decodeHexText reads them: a wrapped value's
// lines pair their digits across commas, white space and pieces, and every "hex:" is skipped.
class HexBytes {
public:
    explicit HexBytes(std::string& out) : m_out(out) {}

    // Appends the bytes of piece to out. False when an item (the text between commas) goes on
    // after white space: "01,02 x" has something after its data; the bytes are still appended.
    bool append(std::string_view piece);
    // True when a digit waits for the second of its pair.
    bool halfByte() const { return m_hasHalf; }

private:
    std::string& m_out;
    char m_half = 0;
    bool m_hasHalf = false;
};

// The number of "dword:" data: hex digits after optional blanks, sign and "0x", up to the
// first other character; 0 when there are none, 0xffffffff when it does not fit.
DWORD parseDwordDigits(std::string_view digits);

// REG_SZ data of a text: the text and a terminator.
std::string textData(std::string_view text);

// Stores the value through an open key; a Win32 code.
DWORD storeValue(velmar::registry::Key& key, std::string_view name, const FileValue& value);

} // namespace velmar::misc::registry
