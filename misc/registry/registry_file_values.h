// The data forms of registry-file value lines, shared by the value writer, the export and
// the import. Internal to misc/registry.
#pragma once

#include "platform/registry/registry.h"

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

// The number of "dword:" data: hex digits after optional blanks, sign and "0x", up to the
// first other character; 0 when there are none, 0xffffffff when it does not fit.
DWORD parseDwordDigits(std::string_view digits);

// REG_SZ data of a text: the text and a terminator.
std::string textData(std::string_view text);

// Stores the value through an open key; a Win32 code.
DWORD storeValue(velmar::registry::Key& key, std::string_view name, const FileValue& value);

} // namespace velmar::misc::registry
