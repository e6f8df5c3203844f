// The registry of the host platform: predefined hives, access rights, value types, and the
// RAII key class that everything above the platform uses.
//
// The store is persistent and shared by every process of the machine prefix: one SQLite
// database per hive in <prefix>/registry. Names compare without regard to case (the letters
// of code page 1252 included) and keep the case they were created with. Subkeys enumerate
// sorted by their upper-case mapping, values in creation order. Every changing call is one
// transaction; a Transaction groups many changes of one hive into one commit.
//
// Views: the processes are 64-bit. KEY_WOW64_32KEY below HKEY_LOCAL_MACHINE\Software is
// redirected to Software\WOW6432Node; the other hives are shared by both views.
// Access: writing HKEY_LOCAL_MACHINE needs an elevated process (isProcessElevated).
#pragma once

#include "platform/base/base.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

using HKEY = struct HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;
using LSTATUS = LONG;

#define VELMAR_PREDEFINED_HKEY(value) (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(value)))
#define HKEY_CLASSES_ROOT VELMAR_PREDEFINED_HKEY(0x80000000u)
#define HKEY_CURRENT_USER VELMAR_PREDEFINED_HKEY(0x80000001u)
#define HKEY_LOCAL_MACHINE VELMAR_PREDEFINED_HKEY(0x80000002u)
#define HKEY_USERS VELMAR_PREDEFINED_HKEY(0x80000003u)
#define HKEY_CURRENT_CONFIG VELMAR_PREDEFINED_HKEY(0x80000005u)

inline constexpr REGSAM DELETE = 0x00010000;
inline constexpr REGSAM READ_CONTROL = 0x00020000;
inline constexpr REGSAM WRITE_DAC = 0x00040000;
inline constexpr REGSAM WRITE_OWNER = 0x00080000;
inline constexpr REGSAM SYNCHRONIZE = 0x00100000;
inline constexpr REGSAM STANDARD_RIGHTS_READ = READ_CONTROL;
inline constexpr REGSAM STANDARD_RIGHTS_WRITE = READ_CONTROL;
inline constexpr REGSAM STANDARD_RIGHTS_ALL = 0x001F0000;
inline constexpr REGSAM MAXIMUM_ALLOWED = 0x02000000;

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_CREATE_LINK = 0x0020;
inline constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
inline constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
inline constexpr REGSAM KEY_WOW64_RES = 0x0300;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_EXECUTE = KEY_READ;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_DWORD_LITTLE_ENDIAN = 4;
inline constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
inline constexpr DWORD REG_LINK = 6;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;
inline constexpr DWORD REG_QWORD_LITTLE_ENDIAN = 11;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_OPTION_VOLATILE = 1;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

namespace velmar::registry {

// Windows' limits: characters of one key name component, and of a value name.
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxValueNameLength = 16383;

class Hive;

// True when the process may write the machine hive: it runs as root, unless
// VELMAR_ELEVATED=0 says it does not; VELMAR_ELEVATED=1 asks for elevation.
bool isProcessElevated();

// The upper-case mapping by which key and value names compare (code page 1252).
std::string foldName(std::string_view name);
// Appends the upper-case mapping of name to out.
void appendFold(std::string& out, std::string_view name);

// The hive's name as the registry tools write it ("HKEY_CURRENT_USER"), or empty.
std::string hiveName(HKEY hive);
// The hive of a full or short name ("HKEY_LOCAL_MACHINE", "HKLM"; any case), or nullptr.
[[nodiscard]] HKEY hiveFromName(std::string_view name);
// The host file of a hive's database: <prefix>/registry/<hive name>.db.
std::string hiveFilePath(HKEY hive);

struct Value {
    DWORD type = REG_NONE;
    std::string data;
};

// One value of a key with its name, as a walk over the key's values yields it.
struct NamedValue {
    std::string name;
    Value value;
};

struct KeyInfo {
    DWORD subkeys = 0;
    DWORD maxSubkeyLength = 0; // characters, without terminator
    DWORD values = 0;
    DWORD maxValueNameLength = 0;
    DWORD maxValueDataLength = 0; // bytes
};

// An open registry key. Closes itself; movable, not copyable. Every operation returns a
// Win32 code; ERROR_KEY_DELETED once the key has been deleted under the handle.
class Key {
public:
    Key() = default;
    Key(Key&&) noexcept = default;
    Key& operator=(Key&&) noexcept = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() = default;

    // Opens path below parent (a predefined hive or an open key) with the access rights and view
    // flag. An empty path opens the parent itself again. On failure the key is left as it was.
    [[nodiscard]] DWORD open(HKEY parent, std::string_view path, REGSAM access);
    [[nodiscard]] DWORD open(const Key& parent, std::string_view path, REGSAM access);
    // Opens or creates path below parent, creating every missing key on it. disposition, when
    // given, receives REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY. On failure the key is
    // left as it was and nothing is created.
    [[nodiscard]] DWORD create(HKEY parent, std::string_view path, REGSAM access,
                               DWORD* disposition = nullptr);
    [[nodiscard]] DWORD create(const Key& parent, std::string_view path, REGSAM access,
                               DWORD* disposition = nullptr);
    void close();

    bool isOpen() const { return m_hive != nullptr; }
    HKEY hive() const { return m_root; }
    REGSAM access() const { return m_access; }

    // RegQueryValueEx's contract: data may be null to learn the size; a size smaller than
    // the data fails with ERROR_MORE_DATA and stores the needed size. type and size, when
    // given, are set on success and on ERROR_MORE_DATA; data is untouched on failure.
    [[nodiscard]] DWORD queryValue(std::string_view name, DWORD* type, void* data,
                                   DWORD* size) const;
    // The whole value; out is unchanged on failure.
    [[nodiscard]] DWORD queryValue(std::string_view name, Value& out) const;
    [[nodiscard]] DWORD setValue(std::string_view name, DWORD type, const void* data, DWORD size);
    [[nodiscard]] DWORD deleteValue(std::string_view name);

    // Subkey index of the sorted order; ERROR_NO_MORE_ITEMS past the end. name is unchanged
    // on failure.
    [[nodiscard]] DWORD enumKey(DWORD index, std::string& name) const;
    // Value index of the creation order; ERROR_NO_MORE_ITEMS past the end. name and value are
    // unchanged on failure.
    [[nodiscard]] DWORD enumValue(DWORD index, std::string& name, Value* value = nullptr) const;
    // Walks for range-for over the subkey names in the sorted order and over the values in
    // creation order, one enumeration step per item (see Range).
    template <typename Item>
    class Range;
    [[nodiscard]] Range<std::string> subkeys() const;
    [[nodiscard]] Range<NamedValue> values() const;

    // Counts and longest names and data of the key; info is unchanged on failure.
    [[nodiscard]] DWORD queryInfo(KeyInfo& info) const;

    // Deletes the subkey (the key itself when empty) when it has no subkeys; a key with
    // subkeys gives ERROR_ACCESS_DENIED. view selects the registry view of the subkey.
    [[nodiscard]] DWORD deleteKey(std::string_view subkey, REGSAM view = 0);
    // Deletes the subkey with everything below it. An empty subkey empties this key: its
    // values and subkeys go, the key stays.
    [[nodiscard]] DWORD deleteTree(std::string_view subkey);
    // Copies the values and subkeys of subkey (this key when empty), recursively, into
    // destination, which may be in another hive. Values of the same name are replaced.
    [[nodiscard]] DWORD copyTree(std::string_view subkey, const Key& destination) const;

private:
    friend class Transaction;
    DWORD openOrCreate(const Key& parent, std::string_view path, REGSAM access, bool create,
                       DWORD* disposition);
    static DWORD rootKey(HKEY hive, Key& out);

    // Where the last enumeration stopped, so that walking the indexes in order costs one
    // step each. Valid while nothing changed through this process's connection.
    struct EnumCursor {
        DWORD next = 0;
        std::int64_t changes = -1;
        std::int64_t rowid = 0;
        std::string fold;
    };

    std::shared_ptr<Hive> m_hive;
    std::int64_t m_id = 0;
    std::string m_path; // upper-case mapping of the full path, components joined by '\'
    REGSAM m_access = 0;
    HKEY m_root = nullptr;
    mutable EnumCursor m_keyCursor;
    mutable EnumCursor m_valueCursor;
};

// One walk over a key's subkeys or values. It ends after the last item or at the first failure,
// and error() then tells which: ERROR_SUCCESS, or the code (ERROR_KEY_DELETED, ...). A change to
// the key during the walk does not end it; the walk goes on at the next index, as a
// RegEnumKeyEx loop does, so an item may be skipped or seen twice. The key must outlive it.
//
// Example:
//   auto subkeys = key.subkeys();
//   for (const std::string& name : subkeys) { ... }
//   if (subkeys.error() != ERROR_SUCCESS) { ... }
template <typename Item>
class Key::Range {
public:
    class iterator {
    public:
        using iterator_concept = std::input_iterator_tag;
        using value_type = Item;
        using difference_type = std::ptrdiff_t;

        iterator() = default;
        // The current item; the next step overwrites it, so it may be moved from.
        Item& operator*() const { return m_range->m_item; }
        Item* operator->() const { return &m_range->m_item; }
        iterator& operator++() {
            m_range->step();
            return *this;
        }
        void operator++(int) { m_range->step(); }
        bool operator==(std::default_sentinel_t) const { return m_range->m_done; }

    private:
        friend class Range;
        explicit iterator(Range* range) : m_range(range) {}
        Range* m_range = nullptr;
    };

    // The iterators point into the range, which therefore stays where it was made.
    Range(const Range&) = delete;
    Range& operator=(const Range&) = delete;

    // Starts the walk again from the first item.
    iterator begin() {
        m_index = 0;
        m_done = false;
        m_error = ERROR_SUCCESS;
        step();
        return iterator(this);
    }
    std::default_sentinel_t end() const { return {}; }
    [[nodiscard]] DWORD error() const { return m_error; }

private:
    friend class Key;
    explicit Range(const Key& key) : m_key(key) {}

    void step() {
        DWORD code;
        if constexpr (std::is_same_v<Item, NamedValue>) {
            code = m_key.enumValue(m_index, m_item.name, &m_item.value);
        } else {
            code = m_key.enumKey(m_index, m_item);
        }
        if (code == ERROR_SUCCESS) {
            ++m_index;
            return;
        }
        m_done = true;
        m_error = code == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : code;
    }

    const Key& m_key;
    DWORD m_index = 0;
    Item m_item{};
    DWORD m_error = ERROR_SUCCESS;
    bool m_done = true;
};

inline Key::Range<std::string> Key::subkeys() const {
    return Range<std::string>(*this);
}

inline Key::Range<NamedValue> Key::values() const {
    return Range<NamedValue>(*this);
}

// Groups the changes of one hive into one commit: everything done through keys of the hive
// on this thread until commit() is all there or not there. Other threads of the process wait
// for the hive while the scope lives. Without commit() the changes are rolled back. Scopes
// nest; an inner scope commits into the outer one. A thread that holds a scope should not
// wait for another thread that holds a scope of another hive.
class Transaction {
public:
    explicit Transaction(HKEY hive);
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    ~Transaction();

    // ERROR_SUCCESS when the scope began; otherwise its changes fail with this code.
    [[nodiscard]] DWORD status() const { return m_status; }
    [[nodiscard]] DWORD commit();

private:
    std::shared_ptr<Hive> m_hive;
    DWORD m_status = ERROR_SUCCESS;
    bool m_open = false;
};

// Groups reads of one hive: everything read through keys of the hive on this thread while the
// scope lives sees one state of the hive, read at once, as a single query would. Other threads
// of the process wait for the hive meanwhile. Changes inside the scope fail with
// ERROR_INVALID_FUNCTION, unless a Transaction of the hive encloses it. Keep it short: a
// scope that lives on holds back what other processes write since from this thread.
//
// Example:
//   Snapshot snapshot(HKEY_CURRENT_USER);
//   Key key;
//   if (key.open(HKEY_CURRENT_USER, path, KEY_READ) == ERROR_SUCCESS) { key.queryValue(...); }
class Snapshot {
public:
    explicit Snapshot(HKEY hive);
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    ~Snapshot();

private:
    std::shared_ptr<Hive> m_hive;
    bool m_began = false;
};

} // namespace velmar::registry

// The Win32 registry functions (advapi32, shlwapi) over the registry's key class, for code
// written against them. Handles returned here are closed with RegCloseKey; the predefined
// hives need no closing. Results are Win32 codes.

[[nodiscard]] LSTATUS RegOpenKeyExA(HKEY parent, LPCSTR subkey, DWORD options, REGSAM access,
                                    PHKEY result);
[[nodiscard]] LSTATUS RegCreateKeyExA(HKEY parent, LPCSTR subkey, DWORD reserved, LPSTR keyClass,
                                      DWORD options, REGSAM access, void* security, PHKEY result,
                                      DWORD* disposition);
[[nodiscard]] LSTATUS RegCloseKey(HKEY key);
// size in bytes; too small a buffer gives ERROR_MORE_DATA and the needed size.
[[nodiscard]] LSTATUS RegQueryValueExA(HKEY key, LPCSTR name, DWORD* reserved, DWORD* type,
                                       BYTE* data, DWORD* size);
[[nodiscard]] LSTATUS RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type,
                                     const BYTE* data, DWORD size);
// nameChars: the buffer's size in characters, terminator included; on success the name's
// length. A name that does not fit gives ERROR_MORE_DATA and leaves the buffer alone.
// lastWriteTime is not filled.
[[nodiscard]] LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, DWORD* nameChars,
                                    DWORD* reserved, LPSTR keyClass, DWORD* classChars,
                                    void* lastWriteTime);
[[nodiscard]] LSTATUS RegEnumValueA(HKEY key, DWORD index, LPSTR name, DWORD* nameChars,
                                    DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
[[nodiscard]] LSTATUS RegQueryInfoKeyA(HKEY key, LPSTR keyClass, DWORD* classChars, DWORD* reserved,
                                       DWORD* subkeys, DWORD* maxSubkeyLength,
                                       DWORD* maxClassLength, DWORD* values,
                                       DWORD* maxValueNameLength, DWORD* maxValueLength,
                                       DWORD* securityDescriptor, void* lastWriteTime);
[[nodiscard]] LSTATUS RegDeleteKeyA(HKEY parent, LPCSTR subkey);
[[nodiscard]] LSTATUS RegDeleteKeyExA(HKEY parent, LPCSTR subkey, REGSAM view, DWORD reserved);
[[nodiscard]] LSTATUS RegDeleteValueA(HKEY key, LPCSTR name);
// The subkey with everything below it.
[[nodiscard]] LSTATUS SHDeleteKeyA(HKEY parent, LPCSTR subkey);
// The values and subkeys of source\subkey, recursively, into destination.
[[nodiscard]] LSTATUS SHCopyKeyA(HKEY source, LPCSTR subkey, HKEY destination, DWORD reserved);

// Wide forms: names and string data (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) are converted
// through the ANSI code page to the narrow store; other data passes unchanged. String data
// crosses as UTF-16LE bytes, as on Windows.
[[nodiscard]] LSTATUS RegOpenKeyExW(HKEY parent, LPCWSTR subkey, DWORD options, REGSAM access,
                                    PHKEY result);
[[nodiscard]] LSTATUS RegCreateKeyExW(HKEY parent, LPCWSTR subkey, DWORD reserved, LPWSTR keyClass,
                                      DWORD options, REGSAM access, void* security, PHKEY result,
                                      DWORD* disposition);
[[nodiscard]] LSTATUS RegQueryValueExW(HKEY key, LPCWSTR name, DWORD* reserved, DWORD* type,
                                       BYTE* data, DWORD* size);
[[nodiscard]] LSTATUS RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type,
                                     const BYTE* data, DWORD size);
[[nodiscard]] LSTATUS RegDeleteValueW(HKEY key, LPCWSTR name);
[[nodiscard]] LSTATUS SHDeleteKeyW(HKEY parent, LPCWSTR subkey);
