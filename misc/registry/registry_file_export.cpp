// Export of a key tree to a REGEDIT4 file.
//
// Every value is written, whatever its size, name or type: texts that a quoted line cannot
// carry exactly (embedded zeros, line ends, no terminator) and types without a line of their
// own go out as "hex(N):" bytes. A text without its terminator comes back with one, as
// regedit reads such bytes. Names and texts escape "\" and "\"" as regedit reads them;
// the import also reads the older unescaped quotes.
#include "misc/registry/registry_file_values.h"

#include "misc/files/files.h"
#include "misc/registry/registry.h"
#include "platform/fs/fs.h"
#include "platform/text/text.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

using velmar::fs::Access;
using velmar::fs::Creation;
using velmar::fs::FileKind;
using velmar::registry::Key;
using velmar::registry::Value;

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

constexpr std::size_t kFlushSize = 1 << 20;
constexpr char kDigits[] = "0123456789abcdef";

// Collects the text and writes it in large pieces, remembering whether a write failed.
class Output {
public:
    explicit Output(std::FILE* file) : m_file(file) { m_text.reserve(kFlushSize + 4096); }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    std::string& text() { return m_text; }
    void lineDone() {
        m_text += '\n';
        if (m_text.size() >= kFlushSize) {
            flush();
        }
    }
    void flush() {
        if (!m_text.empty()) {
            m_failed =
                std::fwrite(m_text.data(), 1, m_text.size(), m_file) != m_text.size() || m_failed;
            m_text.clear();
        }
    }
    // Writes what is left; false when anything could not be written.
    bool finish() {
        flush();
        return std::fflush(m_file) == 0 && !m_failed;
    }

private:
    std::FILE* m_file;
    std::string m_text;
    bool m_failed = false;
};

void appendEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
}

// A REG_SZ that a quoted text restores byte for byte: one terminator at the end, no other
// zero, no line end inside.
bool isQuotableText(const std::string& data) {
    return !data.empty() && data.back() == '\0' &&
           data.find_first_of(std::string_view("\0\r\n", 3)) == data.size() - 1;
}

// "hex:" or "hex(N):" and the bytes, wrapped as regedit wraps them: the first line ends once
// the name and byte text pass 67 characters, a continuation line after 25 bytes.
void appendHex(Output& out, std::size_t nameLength, DWORD type, const std::string& data) {
    std::string& text = out.text();
    std::size_t prefix = 4;
    if (type == REG_BINARY) {
        text += "hex:";
    } else {
        char form[16];
        const int length = std::snprintf(form, sizeof form, "hex(%x):", type);
        text.append(form, static_cast<std::size_t>(length));
        prefix = static_cast<std::size_t>(length);
    }
    bool firstLine = true;
    std::size_t lineBytes = nameLength + (prefix - 4);
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
        if (i + 1 == data.size()) {
            break;
        }
        text += ',';
        lineBytes += 3;
        if (firstLine ? lineBytes > 67 : lineBytes + 3 > 75) {
            text += '\\';
            out.lineDone();
            out.text() += "  ";
            firstLine = false;
            lineBytes = 0;
        }
    }
}

void appendValueLine(Output& out, const std::string& name, const Value& value) {
    std::string& text = out.text();
    const std::size_t start = text.size();
    text += '"';
    appendEscaped(text, name);
    text += "\"=";
    const std::size_t nameLength = text.size() - start - 3;
    if (value.type == REG_SZ && isQuotableText(value.data)) {
        text += '"';
        appendEscaped(text, std::string_view(value.data).substr(0, value.data.size() - 1));
        text += '"';
    } else if (value.type == REG_DWORD && value.data.size() == sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, value.data.data(), sizeof number);
        char digits[16];
        const int length = std::snprintf(digits, sizeof digits, "dword:%08x", number);
        text.append(digits, static_cast<std::size_t>(length));
    } else {
        appendHex(out, nameLength, value.type, value.data);
    }
    out.lineDone();
}

void writeKeyBlock(Output& out, const Key& key, const std::string& fullName) {
    std::string& text = out.text();
    text += '[';
    text += fullName;
    text += ']';
    out.lineDone();
    // A walk that fails keeps what it read before, as a subkey that does not open is skipped.
    for (const auto& [name, value] : key.values()) {
        appendValueLine(out, name, value);
    }
    out.lineDone();
    for (const std::string& name : key.subkeys()) {
        Key subkey;
        if (subkey.open(key, name, KEY_READ) == ERROR_SUCCESS) {
            writeKeyBlock(out, subkey, fullName + '\\' + name);
        }
    }
}

// Writes the export of a key to file; false when anything could not be written.
bool writeExport(std::FILE* file, HKEY hive, LPCSTR keyPath) {
    Output out(file);
    out.text() += "REGEDIT4";
    out.lineDone();
    out.lineDone();
    std::string path = keyPath != nullptr ? keyPath : "";
    // "Software\X\" names the key "Software\X"; its key lines must not hold "\\".
    while (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    const std::string hiveText = velmar::registry::hiveName(hive);
    Key key;
    if (!hiveText.empty() && key.open(hive, path, KEY_READ) == ERROR_SUCCESS) {
        writeKeyBlock(out, key, path.empty() ? hiveText : hiveText + '\\' + path);
    }
    return out.finish();
}

} // namespace

bool exportRegistryKey(HKEY hive, LPCSTR keyPath, LPCSTR filePath) {
    if (filePath == nullptr) {
        return false;
    }
    // A bare file name goes to the current folder, which needs no creating.
    const std::string folder = directoryOf(std::string(filePath), false);
    if (!folder.empty() && !createDirectories(folder)) {
        return false;
    }
    const std::wstring target = velmar::text::ansiToWide(filePath);
    DWORD error = ERROR_SUCCESS;
    const FileKind kind = velmar::fs::status(target, error);
    if (kind == FileKind::directory) {
        return false;
    }
    // A device or a pipe cannot be replaced: it is written as it is. A file that could not be
    // written whole (a full disk) is a failure, not a backup.
    if (kind == FileKind::other) {
        File file(
            velmar::fs::openStream(target, {Access::write, Creation::createAlways}, true, error));
        if (file == nullptr) {
            return false;
        }
        const bool written = writeExport(file.get(), hive, keyPath);
        return std::fclose(file.release()) == 0 && written;
    }
    // A failure leaves an earlier export as it was.
    velmar::fs::ReplacementStream replacement;
    if (!replacement.open(target, true, error)) {
        return false;
    }
    return writeExport(replacement.stream(), hive, keyPath) && replacement.commit(error);
}
