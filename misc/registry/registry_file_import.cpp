// Import of registry files: REGEDIT4 and version 5 (UTF-16LE with a byte-order mark, or
// ANSI), with any line ends and lines of any length.
//
// Quoted data is always text. Inside the quotes, from left to right, "\\" reads as one
// backslash and "\"" as a quote; any other backslash stays, as regedit keeps it. The text
// ends at the first quote that only blanks or a ";" comment follow, so a quote inside it that
// is not escaped belongs to it: older exports left quotes unescaped, and because they doubled
// every backslash their lines never hold a "\"" that is not an escaped backslash followed by
// such a quote. Names are read the same way, ending at the first quote that an "=" follows.
//
// Unquoted data is "dword:" with up to 8 hex digits (none is 0), "hex:" or "hex(N):" bytes
// (wrapped over lines ending in a backslash after a comma), or "-" to delete the value;
// anything else, like a longer number, is skipped as regedit skips it, and so is a value with
// more than blanks or a ";" comment after its data. A line inside wrapped bytes that is
// neither blank, a comment nor bytes drops the value and is used up, as regedit does. A key
// line creates its key, as regedit does, so that empty keys survive an export and import;
// "[-key]" deletes the tree.
//
// Each hive's changes of one file are one commit, so an import that stops half-way leaves
// each hive as it was or with all of them. A value that cannot be stored is skipped; values
// after a key line that is malformed, names an unknown hive or cannot be created are
// discarded, and so are values before the first key line.
#include "misc/registry/registry_file_values.h"

#include "misc/files/files.h"
#include "misc/registry/registry.h"
#include "platform/fs/fs.h"
#include "platform/text/text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

using velmar::misc::registry::FileValue;
using velmar::registry::Key;
using velmar::registry::Transaction;

namespace {

constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool readWholeFile(const char* path, std::string& bytes) {
    if (path == nullptr) {
        return false;
    }
    DWORD error = ERROR_SUCCESS;
    const std::wstring widePath = velmar::text::ansiToWide(path);
    const File file(velmar::fs::openStream(widePath, velmar::fs::OpenMode{}, false, error));
    if (file == nullptr) {
        return false;
    }
    // Reserved at the file's size, so that a large file is not copied as the text grows.
    velmar::fs::FileStatus status;
    if (velmar::fs::fileStatus(widePath, status, error) &&
        status.kind == velmar::fs::FileKind::regular) {
        bytes.reserve(static_cast<std::size_t>(status.size));
    }
    char buffer[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        bytes.append(buffer, got);
    }
    return std::ferror(file.get()) == 0;
}

// UTF-16LE bytes as ANSI text, zero characters kept (toNarrow would stop at the first, and
// REG_MULTI_SZ data holds several).
std::string utf16leToAnsi(std::string_view bytes) {
    return velmar::text::wideToAnsi(velmar::text::utf16leToWide(bytes));
}

// The file as ANSI text: UTF-16LE and UTF-8 files are recognised by their byte-order mark.
std::string ansiText(std::string bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xff' && bytes[1] == '\xfe') {
        return utf16leToAnsi(std::string_view(bytes).substr(2));
    }
    if (bytes.compare(0, 3, "\xef\xbb\xbf") == 0) {
        return velmar::text::utf8ToAnsi(std::string_view(bytes).substr(3));
    }
    return bytes;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimLeft(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && isBlank(text[at])) {
        ++at;
    }
    return text.substr(at);
}

std::string_view trimRight(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && isBlank(text[end - 1])) {
        --end;
    }
    return text.substr(0, end);
}

// Lines ended by CR LF, LF or a lone CR; the last one needs no line end.
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {}

    bool next(std::string_view& line) {
        if (m_at >= m_text.size()) {
            return false;
        }
        // The next line feed is looked for once and kept, so that a file of lone carriage
        // returns is not searched to its end for every line.
        if (m_lineFeed == std::string_view::npos || m_lineFeed < m_at) {
            const void* found = std::memchr(m_text.data() + m_at, '\n', m_text.size() - m_at);
            m_lineFeed =
                found != nullptr
                    ? static_cast<std::size_t>(static_cast<const char*>(found) - m_text.data())
                    : m_text.size();
        }
        std::size_t end = m_lineFeed;
        if (const void* cr = std::memchr(m_text.data() + m_at, '\r', end - m_at)) {
            end = static_cast<std::size_t>(static_cast<const char*>(cr) - m_text.data());
        }
        line = m_text.substr(m_at, end - m_at);
        if (end == m_text.size()) {
            m_at = end;
        } else {
            m_at =
                end +
                (m_text[end] == '\r' && end + 1 < m_text.size() && m_text[end + 1] == '\n' ? 2 : 1);
        }
        return true;
    }

private:
    std::string_view m_text;
    std::size_t m_at = 0;
    // Of the line at m_at or after it, or the text's size; npos before the first search.
    std::size_t m_lineFeed = std::string_view::npos;
};

// The text between quotes with its escapes read (see the file comment).
std::string unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\\' && at + 1 < text.size() &&
            (text[at + 1] == '\\' || text[at + 1] == '"')) {
            ++at;
        }
        out += text[at];
    }
    return out;
}

// Whether only blanks or a ";" comment follow position at of line.
bool onlyCommentAfter(std::string_view line, std::size_t at) {
    while (at < line.size() && isBlank(line[at])) {
        ++at;
    }
    return at == line.size() || line[at] == ';';
}

// The data of a value line without its ";" comment and trailing blanks. Only for unquoted
// data, which holds no ";" of its own.
std::string_view withoutComment(std::string_view data) {
    return trimRight(data.substr(0, data.find(';')));
}

// Where the quoted name that starts the line ends: the first quote, escaped ones skipped when
// escapes count, that blanks and an "=" follow; npos when there is none.
std::size_t nameEnd(std::string_view line, bool escapes) {
    for (std::size_t i = 1; i < line.size(); ++i) {
        if (escapes && line[i] == '\\' && i + 1 < line.size()) {
            ++i;
        } else if (line[i] == '"' && trimLeft(line.substr(i + 1)).substr(0, 1) == "=") {
            return i;
        }
    }
    return std::string_view::npos;
}

// Where the quoted text that starts data ends: the first quote, escaped ones skipped when
// escapes count, that only blanks or a comment follow; npos when there is none.
std::size_t textEnd(std::string_view data, bool escapes) {
    for (std::size_t i = 1; i < data.size(); ++i) {
        if (escapes && data[i] == '\\' && i + 1 < data.size()) {
            ++i;
        } else if (data[i] == '"' && onlyCommentAfter(data, i + 1)) {
            return i;
        }
    }
    return std::string_view::npos;
}

// The name of a value line ("name" or @) and where its data starts after "=" and blanks.
// An old export's name that ends in a backslash ("dir\"=...) has no escaped end; it is then
// read as written.
bool parseName(std::string_view line, std::string& name, std::size_t& dataStart) {
    std::size_t at = 0;
    if (line[0] == '@') {
        at = 1;
        name.clear();
    } else {
        std::size_t end = nameEnd(line, true);
        if (end != std::string_view::npos) {
            name = unescape(line.substr(1, end - 1));
        } else if ((end = nameEnd(line, false)) != std::string_view::npos) {
            name.assign(line.substr(1, end - 1));
        } else {
            return false;
        }
        at = end + 1;
    }
    at = line.size() - trimLeft(line.substr(at)).size();
    if (at >= line.size() || line[at] != '=') {
        return false;
    }
    dataStart = line.size() - trimLeft(line.substr(at + 1)).size();
    return true;
}

bool isHexDigit(char c) {
    return std::string_view("0123456789abcdefABCDEF").find(c) != std::string_view::npos;
}

// "dword:" data as regedit takes it: up to 8 hex digits (none is 0); anything else in it
// makes the value invalid.
std::optional<DWORD> parseDword(std::string_view digits) {
    digits = trimRight(trimLeft(digits));
    if (digits.size() > 8) {
        return std::nullopt;
    }
    for (const char c : digits) {
        if (!isHexDigit(c)) {
            return std::nullopt;
        }
    }
    return velmar::misc::registry::parseDwordDigits(digits);
}

// Reads the bytes of hex data whose first line's data, after the prefix, is body, and of the
// lines it continues on, into out; false when the value is invalid. A line that breaks the
// continuation is used up; one that ends the file ends the data.
bool readHexData(std::string_view body, LineReader& lines, std::string& out) {
    velmar::misc::registry::HexBytes bytes(out);
    for (;;) {
        const bool more = !body.empty() && body.back() == '\\';
        if (more) {
            body = trimRight(body.substr(0, body.size() - 1));
        }
        if (!bytes.append(body)) {
            return false;
        }
        if (!more) {
            return true;
        }
        // The backslash follows a comma or the prefix; a byte is never split over two lines.
        if ((!body.empty() && body.back() != ',') || bytes.halfByte()) {
            return false;
        }
        std::string_view next;
        do {
            if (!lines.next(next)) {
                return true;
            }
            next = trimLeft(next);
        } while (next.empty() || next[0] == ';');
        if (!isHexDigit(next[0])) {
            return false;
        }
        body = withoutComment(next);
    }
}

struct KeyLine {
    HKEY hive = nullptr; // null for a malformed line or an unknown hive
    std::string_view path;
    bool deletion = false;
};

// "[hive\\path]" or "[-hive\\path]"; the hive by its full name in any case, as regedit
// knows it.
KeyLine parseKeyLine(std::string_view line) {
    KeyLine key;
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos) {
        return key;
    }
    std::string_view inner = line.substr(1, close - 1);
    key.deletion = !inner.empty() && inner[0] == '-';
    if (key.deletion) {
        inner.remove_prefix(1);
    }
    const std::size_t slash = inner.find('\\');
    const std::string_view hiveText = inner.substr(0, slash);
    const HKEY hive = velmar::registry::hiveFromName(hiveText);
    if (hive == nullptr ||
        velmar::registry::foldName(hiveText) != velmar::registry::hiveName(hive)) {
        return key;
    }
    key.hive = hive;
    key.path = slash == std::string_view::npos ? "" : inner.substr(slash + 1);
    while (!key.path.empty() && key.path.back() == '\\') {
        key.path.remove_suffix(1);
    }
    return key;
}

class Importer {
public:
    explicit Importer(bool version5) : m_version5(version5) {}

    // Begins the scope of every hive that a key line of the text names, always in the same
    // order, so that two imports at once wait for each other rather than lock each other out.
    void beginHives(std::string_view text);
    void keyLine(std::string_view line);
    void valueLine(std::string_view line, LineReader& lines);
    // Commits every hive's changes; false when stored changes could not be committed.
    bool finish();

private:
    Transaction* scopeFor(HKEY hive);
    void store(const std::string& name, FileValue value);

    bool m_version5;
    Key m_key; // the current key; closed when values are to be discarded
    std::vector<std::pair<HKEY, std::unique_ptr<Transaction>>> m_scopes;
};

Transaction* Importer::scopeFor(HKEY hive) {
    for (auto& [root, scope] : m_scopes) {
        if (root == hive) {
            return scope.get();
        }
    }
    m_scopes.emplace_back(hive, std::make_unique<Transaction>(hive));
    return m_scopes.back().second.get();
}

void Importer::keyLine(std::string_view line) {
    m_key.close();
    const KeyLine key = parseKeyLine(line);
    if (key.hive == nullptr) {
        return;
    }
    scopeFor(key.hive);
    if (key.deletion) {
        Key root;
        // A hive itself is never deleted.
        if (!key.path.empty() && root.open(key.hive, "", KEY_ALL_ACCESS) == ERROR_SUCCESS) {
            // Deleting a key that is not there is no failure of the import.
            static_cast<void>(root.deleteTree(key.path));
        }
        return;
    }
    // A key that cannot be made leaves m_key closed, so that its values are skipped.
    static_cast<void>(m_key.create(key.hive, key.path, KEY_ALL_ACCESS));
}

void Importer::beginHives(std::string_view text) {
    std::vector<HKEY> named;
    LineReader lines(text);
    std::string_view line;
    while (lines.next(line)) {
        line = trimLeft(line);
        if (!line.empty() && line[0] == '[') {
            const HKEY hive = parseKeyLine(line).hive;
            if (hive != nullptr && std::find(named.begin(), named.end(), hive) == named.end()) {
                named.push_back(hive);
            }
        }
    }
    for (const HKEY hive : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                            HKEY_CURRENT_CONFIG}) {
        if (std::find(named.begin(), named.end(), hive) != named.end()) {
            scopeFor(hive);
        }
    }
}

void Importer::store(const std::string& name, FileValue value) {
    // Texts given as hex(1), hex(2) or hex(7) bytes that lack their terminator get one, as
    // regedit adds it: two zero bytes of UTF-16LE in version-5 files, one byte in REGEDIT4.
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ) {
        const std::string& data = value.data;
        const std::size_t size = data.size();
        if (!m_version5) {
            if (size == 0 || data.back() != '\0') {
                value.data += '\0';
            }
        } else {
            if (size < 2 || data[size - 1] != '\0' || data[size - 2] != '\0') {
                value.data.append(2, '\0');
            }
            value.data = utf16leToAnsi(value.data);
        }
    }
    velmar::misc::registry::storeValue(m_key, name, value);
}

void Importer::valueLine(std::string_view line, LineReader& lines) {
    std::string name;
    std::size_t dataStart = 0;
    if (!m_key.isOpen() || !parseName(line, name, dataStart)) {
        return;
    }
    std::string_view data = line.substr(dataStart);
    if (!data.empty() && data[0] == '"') {
        std::size_t end = textEnd(data, true);
        if (end == std::string_view::npos &&
            (end = textEnd(data, false)) == std::string_view::npos) {
            return; // unterminated, or something other than a comment after it
        }
        FileValue value;
        value.data = velmar::misc::registry::textData(unescape(data.substr(1, end - 1)));
        velmar::misc::registry::storeValue(m_key, name, value);
        return;
    }
    data = withoutComment(data);
    if (data == "-") {
        // As regedit does, a value that is not there is not missed.
        static_cast<void>(m_key.deleteValue(name));
        return;
    }
    if (data.substr(0, 6) == "dword:") {
        if (const std::optional<DWORD> number = parseDword(data.substr(6))) {
            FileValue value;
            value.type = REG_DWORD;
            value.data.assign(reinterpret_cast<const char*>(&*number), sizeof(DWORD));
            velmar::misc::registry::storeValue(m_key, name, value);
        }
        return;
    }
    FileValue value;
    const std::size_t prefix = velmar::misc::registry::hexPrefix(data, value.type);
    if (prefix != 0 && readHexData(data.substr(prefix), lines, value.data)) {
        store(name, std::move(value));
    }
}

bool Importer::finish() {
    m_key.close();
    bool committed = true;
    for (auto& [root, scope] : m_scopes) {
        // A hive this user may not change takes none of its values, each a value that fails.
        // A hive that stayed busy, or a commit that fails, loses values that the file holds,
        // and that is reported.
        const DWORD status = scope->status();
        if (status == ERROR_ACCESS_DENIED || status == ERROR_CANTOPEN) {
            continue;
        }
        if (status != ERROR_SUCCESS || scope->commit() != ERROR_SUCCESS) {
            committed = false;
        }
    }
    return committed;
}

} // namespace

bool importRegistryFile(LPCSTR filePath) {
    std::string bytes;
    if (filePath == nullptr || !fileExists(filePath) || !readWholeFile(filePath, bytes)) {
        return false;
    }
    const std::string text = ansiText(std::move(bytes));
    LineReader lines(text);
    std::string_view line;
    while (lines.next(line) && trimLeft(line).empty()) {
    }
    Importer importer(trimRight(trimLeft(line)) == kVersion5Header);
    importer.beginHives(text);
    lines = LineReader(text);
    while (lines.next(line)) {
        line = trimLeft(line);
        if (line.empty()) {
            continue;
        }
        if (line[0] == '[') {
            importer.keyLine(line);
        } else if (line[0] == '"' || line[0] == '@') {
            importer.valueLine(line, lines);
        }
    }
    return importer.finish();
}
