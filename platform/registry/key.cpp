#include "platform/registry/internal/hive.h"

#include <sqlite3.h>

#include <cstring>
#include <unordered_map>
#include <vector>

namespace velmar::registry {

namespace {

constexpr REGSAM kWriteRights =
    KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;

// The machine hive is writable only by an elevated process.
bool hiveWritable(HKEY root) {
    return root != HKEY_LOCAL_MACHINE || isProcessElevated();
}

REGSAM rootRights(HKEY root) {
    return hiveWritable(root) ? KEY_ALL_ACCESS : KEY_READ;
}

// Appends name, folded, to a key path as its last component; returns that component, valid
// until path changes.
std::string_view appendComponent(std::string& path, std::string_view name) {
    if (!path.empty()) {
        path += '\\';
    }
    const std::size_t start = path.size();
    appendFold(path, name);
    return std::string_view(path).substr(start);
}

// Bounds of the paths strictly below a key: [lower, upper). Folds never hold 0xFF (its
// upper case is 0x9F), and '\' + 1 is ']'.
std::pair<std::string, std::string> descendantRange(const std::string& path) {
    if (path.empty()) {
        return {std::string("\x01"), std::string("\xFF")};
    }
    return {path + '\\', path + ']'};
}

// Splits a relative key path. A trailing backslash is allowed, a leading one or an empty
// component is not; components longer than Windows allows are refused.
DWORD splitPath(std::string_view path, std::vector<std::string_view>& names) {
    if (!path.empty() && path.front() == '\\') {
        return ERROR_BAD_PATHNAME;
    }
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        const std::string_view name = path.substr(start, end - start);
        if (name.empty()) {
            return ERROR_BAD_PATHNAME;
        }
        if (name.size() > kMaxKeyNameLength) {
            return ERROR_INVALID_PARAMETER;
        }
        names.push_back(name);
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

// The 32-bit view of the machine hive keeps Software below Software\WOW6432Node.
void redirectToWow64(std::string_view parentPath, std::vector<std::string_view>& names) {
    static constexpr std::string_view kNode = "WOW6432Node";
    auto isNode = [&](std::size_t at) {
        return names.size() > at && foldName(names[at]) == "WOW6432NODE";
    };
    if (parentPath.empty() && !names.empty() && foldName(names[0]) == "SOFTWARE") {
        if (!isNode(1)) {
            names.insert(names.begin() + 1, kNode);
        }
    } else if (parentPath == "SOFTWARE" && !isNode(0)) {
        names.insert(names.begin(), kNode);
    }
}

bool keyExists(Hive& hive, std::int64_t id) {
    Statement statement = hive.statement(Sql::KeyExists);
    return statement.bind(1, id).step() == SQLITE_ROW;
}

} // namespace

DWORD Key::rootKey(HKEY hive, Key& out) {
    DWORD error = ERROR_SUCCESS;
    std::shared_ptr<Hive> opened = Hive::get(hive, error);
    if (opened == nullptr) {
        return error;
    }
    out.m_hive = std::move(opened);
    out.m_id = kRootId;
    out.m_path.clear();
    out.m_access = rootRights(hive);
    out.m_root = hive;
    return ERROR_SUCCESS;
}

DWORD Key::open(HKEY parent, std::string_view path, REGSAM access) {
    Key root;
    const DWORD error = rootKey(parent, root);
    return error != ERROR_SUCCESS ? error : openOrCreate(root, path, access, false, nullptr);
}

DWORD Key::open(const Key& parent, std::string_view path, REGSAM access) {
    return openOrCreate(parent, path, access, false, nullptr);
}

DWORD Key::create(HKEY parent, std::string_view path, REGSAM access, DWORD* disposition) {
    Key root;
    const DWORD error = rootKey(parent, root);
    return error != ERROR_SUCCESS ? error : openOrCreate(root, path, access, true, disposition);
}

DWORD Key::create(const Key& parent, std::string_view path, REGSAM access, DWORD* disposition) {
    return openOrCreate(parent, path, access, true, disposition);
}

void Key::close() {
    *this = Key();
}

DWORD Key::openOrCreate(const Key& parent, std::string_view path, REGSAM access, bool create,
                        DWORD* disposition) {
    if (!parent.isOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    if ((access & KEY_WOW64_RES) == KEY_WOW64_RES) {
        return ERROR_INVALID_PARAMETER;
    }
    std::vector<std::string_view> names;
    if (const DWORD error = splitPath(path, names); error != ERROR_SUCCESS) {
        return error;
    }
    if (parent.m_root == HKEY_LOCAL_MACHINE && (access & KEY_WOW64_32KEY) != 0) {
        redirectToWow64(parent.m_path, names);
    }
    REGSAM rights = access & ~KEY_WOW64_RES;
    if ((rights & MAXIMUM_ALLOWED) != 0) {
        rights = rootRights(parent.m_root);
    }
    const bool writable = hiveWritable(parent.m_root);
    if ((rights & kWriteRights) != 0 && !writable) {
        return ERROR_ACCESS_DENIED;
    }

    Hive& hive = *parent.m_hive;
    std::lock_guard lock(hive.mutex());
    std::string fullPath;
    fullPath.reserve(parent.m_path.size() + 1 + path.size());
    fullPath = parent.m_path;
    for (std::string_view name : names) {
        appendComponent(fullPath, name);
    }
    std::int64_t id = 0;
    {
        Statement find = hive.statement(Sql::FindPath);
        const int rc = find.bindBlob(1, fullPath).step();
        if (rc == SQLITE_ROW) {
            id = find.integer(0);
        } else if (rc != SQLITE_DONE) {
            return win32FromSqlite(rc);
        }
    }
    // A key of the same path may have been created again since the parent was deleted.
    if (id != 0 && parent.m_id != kRootId && !keyExists(hive, parent.m_id)) {
        return ERROR_KEY_DELETED;
    }
    DWORD created = REG_OPENED_EXISTING_KEY;
    if (id == 0) {
        if (!create) {
            return keyExists(hive, parent.m_id) ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
        }
        if (!writable || (parent.m_access & KEY_CREATE_SUB_KEY) == 0) {
            return ERROR_ACCESS_DENIED;
        }
        Change change(hive);
        if (change.status() != ERROR_SUCCESS) {
            return change.status();
        }
        if (!keyExists(hive, parent.m_id)) {
            return ERROR_KEY_DELETED;
        }
        id = parent.m_id;
        std::string walked = parent.m_path;
        for (std::string_view name : names) {
            const std::string_view fold = appendComponent(walked, name);
            Statement find = hive.statement(Sql::FindPath);
            int rc = find.bindBlob(1, walked).step();
            if (rc == SQLITE_ROW) {
                id = find.integer(0);
                continue;
            }
            if (rc != SQLITE_DONE) {
                return win32FromSqlite(rc);
            }
            Statement insert = hive.statement(Sql::InsertKey);
            rc = insert.bind(1, id).bindBlob(2, name).bindBlob(3, fold).bindBlob(4, walked).step();
            if (rc != SQLITE_DONE) {
                return win32FromSqlite(rc);
            }
            id = sqlite3_last_insert_rowid(hive.db());
            created = REG_CREATED_NEW_KEY;
        }
        if (const DWORD error = change.commit(); error != ERROR_SUCCESS) {
            return error;
        }
    }
    m_hive = parent.m_hive;
    m_id = id;
    m_path = std::move(fullPath);
    m_access = rights;
    m_root = parent.m_root;
    if (disposition != nullptr) {
        *disposition = created;
    }
    return ERROR_SUCCESS;
}

DWORD Key::queryValue(std::string_view name, DWORD* type, void* data, DWORD* size) const {
    if (!isOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    if ((m_access & KEY_QUERY_VALUE) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    if (data != nullptr && size == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard lock(m_hive->mutex());
    Statement query = m_hive->statement(Sql::QueryValue);
    const int rc = query.bind(1, m_id).bindBlob(2, foldName(name)).step();
    if (rc != SQLITE_ROW) {
        return rc == SQLITE_DONE ? ERROR_KEY_DELETED : win32FromSqlite(rc);
    }
    if (query.isNull(0)) {
        return ERROR_FILE_NOT_FOUND;
    }
    const auto storedType = static_cast<DWORD>(query.integer(0));
    const std::string_view bytes = query.blobView(1);
    const auto needed = static_cast<DWORD>(bytes.size());
    if (type != nullptr) {
        *type = storedType;
    }
    if (data != nullptr && *size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (data != nullptr && needed > 0) {
        std::memcpy(data, bytes.data(), needed);
    }
    if (size != nullptr) {
        *size = needed;
    }
    return ERROR_SUCCESS;
}

DWORD Key::queryValue(std::string_view name, Value& out) const {
    if (!isOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    if ((m_access & KEY_QUERY_VALUE) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    std::lock_guard lock(m_hive->mutex());
    Statement query = m_hive->statement(Sql::QueryValue);
    const int rc = query.bind(1, m_id).bindBlob(2, foldName(name)).step();
    if (rc != SQLITE_ROW) {
        return rc == SQLITE_DONE ? ERROR_KEY_DELETED : win32FromSqlite(rc);
    }
    if (query.isNull(0)) {
        return ERROR_FILE_NOT_FOUND;
    }
    out.type = static_cast<DWORD>(query.integer(0));
    out.data = query.blobView(1);
    return ERROR_SUCCESS;
}

DWORD Key::setValue(std::string_view name, DWORD type, const void* data, DWORD size) {
    if (!isOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    if ((m_access & KEY_SET_VALUE) == 0 || !hiveWritable(m_root)) {
        return ERROR_ACCESS_DENIED;
    }
    if (name.size() > kMaxValueNameLength) {
        return ERROR_INVALID_PARAMETER;
    }
    if (data == nullptr && size > 0) {
        return ERROR_NOACCESS;
    }
    Change change(*m_hive, Change::OneStatement);
    if (change.status() != ERROR_SUCCESS) {
        return change.status();
    }
    Statement upsert = m_hive->statement(Sql::UpsertValue);
    const int rc =
        upsert.bind(1, m_id)
            .bindBlob(2, name)
            .bindBlob(3, foldName(name))
            .bind(4, type)
            .bindBlob(5, std::string_view(static_cast<const char*>(data), data ? size : 0))
            .step();
    if (rc != SQLITE_DONE) {
        return win32FromSqlite(rc);
    }
    if (sqlite3_changes(m_hive->db()) == 0) {
        return ERROR_KEY_DELETED;
    }
    return change.commit();
}

DWORD Key::deleteValue(std::string_view name) {
    if (!isOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    if ((m_access & KEY_SET_VALUE) == 0 || !hiveWritable(m_root)) {
        return ERROR_ACCESS_DENIED;
    }
    Change change(*m_hive, Change::OneStatement);
    if (change.status() != ERROR_SUCCESS) {
        return change.status();
    }
    Statement erase = m_hive->statement(Sql::DeleteValue);
    const int rc = erase.bind(1, m_id).bindBlob(2, foldName(name)).step();
    if (rc != SQLITE_DONE) {
        return win32FromSqlite(rc);
    }
    if (sqlite3_changes(m_hive->db()) == 0) {
        return keyExists(*m_hive, m_id) ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
    }
    return change.commit();
}

DWORD Key::enumKey(DWORD index, std::string& name) const {
    if (!isOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    if ((m_access & KEY_ENUMERATE_SUB_KEYS) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    std::lock_guard lock(m_hive->mutex());
    const std::int64_t changes = m_hive->changeCount();
    const bool follows = index > 0 && index == m_keyCursor.next && changes == m_keyCursor.changes;
    Statement child = m_hive->statement(follows ? Sql::ChildAfter : Sql::ChildByIndex);
    child.bind(1, m_id);
    if (follows) {
        child.bindBlob(2, m_keyCursor.fold);
    } else {
        child.bind(2, index);
    }
    const int rc = child.step();
    if (rc == SQLITE_ROW) {
        name = child.blobView(0);
        m_keyCursor = EnumCursor{index + 1, changes, 0, std::string(child.blobView(1))};
        return ERROR_SUCCESS;
    }
    if (rc != SQLITE_DONE) {
        return win32FromSqlite(rc);
    }
    return keyExists(*m_hive, m_id) ? ERROR_NO_MORE_ITEMS : ERROR_KEY_DELETED;
}

DWORD Key::enumValue(DWORD index, std::string& name, Value* value) const {
    if (!isOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    if ((m_access & KEY_QUERY_VALUE) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    std::lock_guard lock(m_hive->mutex());
    const std::int64_t changes = m_hive->changeCount();
    const bool follows =
        index > 0 && index == m_valueCursor.next && changes == m_valueCursor.changes;
    Statement entry = m_hive->statement(follows ? Sql::ValueAfter : Sql::ValueByIndex);
    const int rc = entry.bind(1, m_id).bind(2, follows ? m_valueCursor.rowid : index).step();
    if (rc == SQLITE_ROW) {
        name = entry.blobView(0);
        if (value != nullptr) {
            value->type = static_cast<DWORD>(entry.integer(1));
            value->data = entry.blobView(2);
        }
        m_valueCursor = EnumCursor{index + 1, changes, entry.integer(3), {}};
        return ERROR_SUCCESS;
    }
    if (rc != SQLITE_DONE) {
        return win32FromSqlite(rc);
    }
    return keyExists(*m_hive, m_id) ? ERROR_NO_MORE_ITEMS : ERROR_KEY_DELETED;
}

DWORD Key::queryInfo(KeyInfo& info) const {
    if (!isOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    if ((m_access & KEY_QUERY_VALUE) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    std::lock_guard lock(m_hive->mutex());
    Hive::Snapshot snapshot(*m_hive);
    if (!keyExists(*m_hive, m_id)) {
        return ERROR_KEY_DELETED;
    }
    KeyInfo result;
    auto single = [&](Sql which, DWORD& a, DWORD* b) {
        Statement statement = m_hive->statement(which);
        const int rc = statement.bind(1, m_id).step();
        if (rc != SQLITE_ROW) {
            return win32FromSqlite(rc);
        }
        a = static_cast<DWORD>(statement.integer(0));
        if (b != nullptr) {
            *b = static_cast<DWORD>(statement.integer(1));
        }
        return ERROR_SUCCESS;
    };
    DWORD error = single(Sql::CountChildren, result.subkeys, nullptr);
    if (error == ERROR_SUCCESS) {
        error = single(Sql::MaxChildName, result.maxSubkeyLength, nullptr);
    }
    if (error == ERROR_SUCCESS) {
        error = single(Sql::CountValues, result.values, nullptr);
    }
    if (error == ERROR_SUCCESS) {
        error = single(Sql::MaxValueSizes, result.maxValueNameLength, &result.maxValueDataLength);
    }
    if (error == ERROR_SUCCESS) {
        info = result;
    }
    return error;
}

DWORD Key::deleteKey(std::string_view subkey, REGSAM view) {
    if (!isOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    Key target;
    if (const DWORD error = target.open(*this, subkey, DELETE | (view & KEY_WOW64_RES));
        error != ERROR_SUCCESS) {
        return error;
    }
    if (target.m_id == kRootId) {
        return ERROR_ACCESS_DENIED;
    }
    Change change(*m_hive);
    if (change.status() != ERROR_SUCCESS) {
        return change.status();
    }
    {
        Statement child = m_hive->statement(Sql::HasChild);
        const int rc = child.bind(1, target.m_id).step();
        if (rc == SQLITE_ROW) {
            return ERROR_ACCESS_DENIED;
        }
        if (rc != SQLITE_DONE) {
            return win32FromSqlite(rc);
        }
    }
    for (Sql which : {Sql::DeleteKeyValues, Sql::DeleteKeyRow}) {
        Statement erase = m_hive->statement(which);
        if (const int rc = erase.bind(1, target.m_id).step(); rc != SQLITE_DONE) {
            return win32FromSqlite(rc);
        }
    }
    if (sqlite3_changes(m_hive->db()) == 0) {
        return ERROR_KEY_DELETED;
    }
    return change.commit();
}

DWORD Key::deleteTree(std::string_view subkey) {
    if (!isOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    Key target;
    if (const DWORD error = target.open(*this, subkey, DELETE); error != ERROR_SUCCESS) {
        return error;
    }
    const bool keepKey = subkey.empty();
    if (target.m_id == kRootId && !keepKey) {
        return ERROR_ACCESS_DENIED;
    }
    Change change(*m_hive);
    if (change.status() != ERROR_SUCCESS) {
        return change.status();
    }
    if (!keyExists(*m_hive, target.m_id)) {
        return ERROR_KEY_DELETED;
    }
    const auto [lower, upper] = descendantRange(target.m_path);
    for (Sql which : {Sql::DeleteRangeValues, Sql::DeleteRangeKeys}) {
        Statement erase = m_hive->statement(which);
        if (const int rc = erase.bindBlob(1, lower).bindBlob(2, upper).step(); rc != SQLITE_DONE) {
            return win32FromSqlite(rc);
        }
    }
    for (Sql which : {Sql::DeleteKeyValues, Sql::DeleteKeyRow}) {
        if (which == Sql::DeleteKeyRow && keepKey) {
            continue;
        }
        Statement erase = m_hive->statement(which);
        if (const int rc = erase.bind(1, target.m_id).step(); rc != SQLITE_DONE) {
            return win32FromSqlite(rc);
        }
    }
    return change.commit();
}

namespace {

struct CopiedKey {
    std::string path; // relative to the copied key, in the names' own case
    std::vector<std::pair<std::string, Value>> values;
};

DWORD readValues(Hive& hive, std::int64_t id, CopiedKey& key) {
    Statement values = hive.statement(Sql::ValuesOfKey);
    values.bind(1, id);
    int rc;
    while ((rc = values.step()) == SQLITE_ROW) {
        key.values.emplace_back(
            std::string(values.blobView(0)),
            Value{static_cast<DWORD>(values.integer(1)), std::string(values.blobView(2))});
    }
    return rc == SQLITE_DONE ? ERROR_SUCCESS : win32FromSqlite(rc);
}

// The key and everything below it, parents before children.
DWORD readTree(Hive& hive, std::int64_t id, const std::string& path, std::vector<CopiedKey>& tree) {
    if (!keyExists(hive, id)) {
        return ERROR_KEY_DELETED;
    }
    tree.emplace_back();
    if (const DWORD error = readValues(hive, id, tree.back()); error != ERROR_SUCCESS) {
        return error;
    }
    std::unordered_map<std::int64_t, std::size_t> indexOf{{id, 0}};
    std::vector<std::int64_t> found;
    {
        const auto [lower, upper] = descendantRange(path);
        Statement keys = hive.statement(Sql::KeysInRange);
        keys.bindBlob(1, lower).bindBlob(2, upper);
        int rc;
        while ((rc = keys.step()) == SQLITE_ROW) {
            const std::int64_t parent = keys.integer(1);
            std::string relative(keys.blobView(2));
            if (const auto above = indexOf.find(parent); above != indexOf.end()) {
                const std::string& abovePath = tree[above->second].path;
                relative = abovePath.empty() ? relative : abovePath + '\\' + relative;
            }
            indexOf.emplace(keys.integer(0), tree.size());
            found.push_back(keys.integer(0));
            tree.push_back(CopiedKey{std::move(relative), {}});
        }
        if (rc != SQLITE_DONE) {
            return win32FromSqlite(rc);
        }
    }
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (const DWORD error = readValues(hive, found[i], tree[i + 1]); error != ERROR_SUCCESS) {
            return error;
        }
    }
    return ERROR_SUCCESS;
}

DWORD writeTree(const Key& destination, const std::vector<CopiedKey>& tree) {
    for (const CopiedKey& copied : tree) {
        Key target;
        if (const DWORD error = target.create(destination, copied.path, KEY_ALL_ACCESS);
            error != ERROR_SUCCESS) {
            return error;
        }
        for (const auto& [name, value] : copied.values) {
            if (const DWORD error = target.setValue(name, value.type, value.data.data(),
                                                    static_cast<DWORD>(value.data.size()));
                error != ERROR_SUCCESS) {
                return error;
            }
        }
    }
    return ERROR_SUCCESS;
}

} // namespace

DWORD Key::copyTree(std::string_view subkey, const Key& destination) const {
    if (!isOpen() || !destination.isOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    if ((destination.m_access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) !=
            (KEY_SET_VALUE | KEY_CREATE_SUB_KEY) ||
        !hiveWritable(destination.m_root)) {
        return ERROR_ACCESS_DENIED;
    }
    Key source;
    if (const DWORD error = source.open(*this, subkey, KEY_READ); error != ERROR_SUCCESS) {
        return error;
    }
    std::vector<CopiedKey> tree;
    Hive& target = *destination.m_hive;
    if (&target == m_hive.get()) {
        // One hive: read and write under one lock and one commit.
        Change change(target);
        if (change.status() != ERROR_SUCCESS) {
            return change.status();
        }
        DWORD error = readTree(target, source.m_id, source.m_path, tree);
        if (error == ERROR_SUCCESS) {
            error = keyExists(target, destination.m_id) ? writeTree(destination, tree)
                                                        : ERROR_KEY_DELETED;
        }
        return error == ERROR_SUCCESS ? change.commit() : error;
    }
    {
        std::lock_guard lock(m_hive->mutex());
        Hive::Snapshot snapshot(*m_hive);
        if (const DWORD error = readTree(*m_hive, source.m_id, source.m_path, tree);
            error != ERROR_SUCCESS) {
            return error;
        }
    }
    Change change(target);
    if (change.status() != ERROR_SUCCESS) {
        return change.status();
    }
    if (!keyExists(target, destination.m_id)) {
        return ERROR_KEY_DELETED;
    }
    const DWORD error = writeTree(destination, tree);
    return error == ERROR_SUCCESS ? change.commit() : error;
}

// --- Transaction ---

Transaction::Transaction(HKEY hive) {
    m_hive = Hive::get(hive, m_status);
    if (m_hive == nullptr) {
        return;
    }
    m_hive->mutex().lock();
    m_status = m_hive->begin();
    if (m_status == ERROR_SUCCESS) {
        m_open = true;
    } else {
        m_hive->enterBrokenScope(m_status);
    }
}

Transaction::~Transaction() {
    if (m_hive == nullptr) {
        return;
    }
    if (m_open) {
        m_hive->rollback();
    } else if (m_status != ERROR_SUCCESS) {
        m_hive->leaveBrokenScope();
    }
    m_hive->mutex().unlock();
}

DWORD Transaction::commit() {
    if (!m_open) {
        return m_status != ERROR_SUCCESS ? m_status : ERROR_INVALID_FUNCTION;
    }
    m_open = false;
    return m_hive->commit();
}

Snapshot::Snapshot(HKEY hive) {
    DWORD error = ERROR_SUCCESS;
    m_hive = Hive::get(hive, error);
    if (m_hive != nullptr) {
        m_hive->mutex().lock();
        m_began = m_hive->beginRead();
    }
}

Snapshot::~Snapshot() {
    if (m_hive != nullptr) {
        if (m_began) {
            m_hive->endRead();
        }
        m_hive->mutex().unlock();
    }
}

} // namespace velmar::registry
