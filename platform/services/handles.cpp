#include "platform/services/internal/handles.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace velmar::services {

namespace {

struct Table {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, std::shared_ptr<const ScObject>> objects;
    std::uintptr_t next = 1;
};

Table& table() {
    // Never destroyed: a handle may be closed by a static destructor at exit.
    static Table* instance = new Table;
    return *instance;
}

} // namespace

SC_HANDLE insertHandle(std::shared_ptr<const ScObject> object) {
    Table& t = table();
    const std::lock_guard lock(t.mutex);
    const std::uintptr_t id = t.next++;
    t.objects.emplace(id, std::move(object));
    return reinterpret_cast<SC_HANDLE>(id << 4);
}

std::shared_ptr<const ScObject> objectOf(SC_HANDLE handle) {
    Table& t = table();
    const std::lock_guard lock(t.mutex);
    const auto found = t.objects.find(reinterpret_cast<std::uintptr_t>(handle) >> 4);
    if (found == t.objects.end() || (reinterpret_cast<std::uintptr_t>(handle) & 0xF) != 0) {
        return nullptr;
    }
    return found->second;
}

bool removeHandle(SC_HANDLE handle) {
    if (objectOf(handle) == nullptr) {
        return false;
    }
    Table& t = table();
    const std::lock_guard lock(t.mutex);
    return t.objects.erase(reinterpret_cast<std::uintptr_t>(handle) >> 4) == 1;
}

namespace {

std::shared_ptr<const ScObject> checkedObject(SC_HANDLE handle, bool manager, DWORD rightsNeeded) {
    std::shared_ptr<const ScObject> object = objectOf(handle);
    if (object == nullptr || object->manager != manager) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if ((object->access & rightsNeeded) != rightsNeeded) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return object;
}

} // namespace

std::shared_ptr<const ScObject> serviceOf(SC_HANDLE handle, DWORD rightsNeeded) {
    return checkedObject(handle, false, rightsNeeded);
}

std::shared_ptr<const ScObject> managerOf(SC_HANDLE handle, DWORD rightsNeeded) {
    return checkedObject(handle, true, rightsNeeded);
}

} // namespace velmar::services
