#include "platform/services/internal/database.h"

#include "platform/process/process.h"
#include "platform/registry/registry.h"

namespace velmar::services {

namespace {

std::string keyPath(std::string_view name) {
    return std::string(kServicesKey) + "\\" + std::string(name);
}

std::string textOf(const registry::Value& value) {
    std::string text = value.data;
    while (!text.empty() && text.back() == '\0') {
        text.pop_back();
    }
    return text;
}

bool readDword(const registry::Key& key, const char* name, DWORD& out) {
    registry::Value value;
    if (key.queryValue(name, value) != ERROR_SUCCESS || value.type != REG_DWORD ||
        value.data.size() != sizeof(DWORD)) {
        return false;
    }
    out = static_cast<DWORD>(static_cast<unsigned char>(value.data[0])) |
          static_cast<DWORD>(static_cast<unsigned char>(value.data[1])) << 8 |
          static_cast<DWORD>(static_cast<unsigned char>(value.data[2])) << 16 |
          static_cast<DWORD>(static_cast<unsigned char>(value.data[3])) << 24;
    return true;
}

DWORD setDword(registry::Key& key, const char* name, DWORD value) {
    return key.setValue(name, REG_DWORD, &value, sizeof value);
}

DWORD setText(registry::Key& key, const char* name, DWORD type, const std::string& text) {
    return key.setValue(name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

} // namespace

DWORD checkServiceName(std::string_view name) {
    if (name.empty() || name.size() > 256 || name.find_first_of("/\\") != std::string_view::npos) {
        return ERROR_INVALID_NAME;
    }
    return ERROR_SUCCESS;
}

std::string expandEnvironment(std::string_view text) {
    std::string out;
    while (!text.empty()) {
        const std::size_t open = text.find('%');
        const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) {
            break;
        }
        out.append(text.substr(0, open));
        const std::string name(text.substr(open + 1, close - open - 1));
        std::string value;
        if (!name.empty() && process::environmentValue(name.c_str(), value)) {
            out += value;
            text.remove_prefix(close + 1);
        } else {
            // Not a reference: the first % stays and the second may open one.
            out += '%';
            out.append(text.substr(open + 1, close - open - 1));
            text.remove_prefix(close);
        }
    }
    out.append(text);
    return out;
}

DWORD readConfig(std::string_view name, ServiceConfig& config) {
    if (const DWORD error = checkServiceName(name); error != ERROR_SUCCESS) {
        return error;
    }
    registry::Key key;
    const DWORD error = key.open(HKEY_LOCAL_MACHINE, keyPath(name), KEY_READ);
    if (error == ERROR_FILE_NOT_FOUND) {
        return ERROR_SERVICE_DOES_NOT_EXIST;
    }
    if (error != ERROR_SUCCESS) {
        return error;
    }
    ServiceConfig read;
    readDword(key, "Type", read.type);
    readDword(key, "Start", read.start);
    readDword(key, "ErrorControl", read.errorControl);
    registry::Value value;
    if (key.queryValue("ImagePath", value) == ERROR_SUCCESS &&
        (value.type == REG_SZ || value.type == REG_EXPAND_SZ)) {
        read.imagePath =
            value.type == REG_EXPAND_SZ ? expandEnvironment(textOf(value)) : textOf(value);
    }
    if (key.queryValue("DisplayName", value) == ERROR_SUCCESS && value.type == REG_SZ) {
        read.displayName = textOf(value);
    }
    config = std::move(read);
    return ERROR_SUCCESS;
}

DWORD writeNewService(std::string_view name, const ServiceConfig& config) {
    if (const DWORD error = checkServiceName(name); error != ERROR_SUCCESS) {
        return error;
    }
    registry::Transaction transaction(HKEY_LOCAL_MACHINE);
    if (transaction.status() != ERROR_SUCCESS) {
        return transaction.status();
    }
    registry::Key key;
    DWORD disposition = 0;
    DWORD error = key.create(HKEY_LOCAL_MACHINE, keyPath(name), KEY_ALL_ACCESS, &disposition);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    if (disposition != REG_CREATED_NEW_KEY) {
        return ERROR_SERVICE_EXISTS; // nothing committed
    }
    for (const DWORD result :
         {setDword(key, "Type", config.type), setDword(key, "Start", config.start),
          setDword(key, "ErrorControl", config.errorControl),
          setText(key, "ImagePath", REG_EXPAND_SZ, config.imagePath),
          setText(key, "DisplayName", REG_SZ,
                  config.displayName.empty() ? std::string(name) : config.displayName),
          setText(key, "ObjectName", REG_SZ, "LocalSystem")}) {
        if (result != ERROR_SUCCESS) {
            return result;
        }
    }
    return transaction.commit();
}

DWORD removeService(std::string_view name) {
    if (const DWORD error = checkServiceName(name); error != ERROR_SUCCESS) {
        return error; // an empty name would empty the whole database
    }
    registry::Key services;
    DWORD error = services.open(HKEY_LOCAL_MACHINE, kServicesKey, KEY_ALL_ACCESS);
    if (error == ERROR_SUCCESS) {
        error = services.deleteTree(name);
    }
    return error == ERROR_FILE_NOT_FOUND ? ERROR_SERVICE_MARKED_FOR_DELETE : error;
}

} // namespace velmar::services
