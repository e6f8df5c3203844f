// Whole sections: existence, deletion, copy and move; and deleting one value.
#include "misc/registry/settings_core.h"

using velmar::misc::registry::nameOrDefault;
using velmar::misc::registry::sectionKeyPath;
using velmar::registry::Key;
using velmar::registry::Transaction;

namespace {

// A null or empty section names the suite key itself.
std::string sectionOrSuiteKey(LPCSTR section) {
    return sectionKeyPath(section != nullptr && section[0] != '\0' ? section : nullptr);
}

} // namespace

bool sectionExists(HKEY hive, LPCSTR section) {
    Key key;
    return key.open(hive, sectionKeyPath(section), KEY_READ) == ERROR_SUCCESS;
}

bool deleteSection(HKEY hive, LPCSTR section, bool withSubkeys) {
    Key root;
    if (root.open(hive, "", KEY_READ) != ERROR_SUCCESS) {
        return false;
    }
    const std::string path = sectionOrSuiteKey(section);
    return (withSubkeys ? root.deleteTree(path) : root.deleteKey(path)) == ERROR_SUCCESS;
}

bool deleteSettingValue(HKEY hive, LPCSTR section, LPCSTR valueName) {
    Key key;
    return key.open(hive, sectionOrSuiteKey(section), KEY_WRITE) == ERROR_SUCCESS &&
           key.deleteValue(nameOrDefault(valueName)) == ERROR_SUCCESS;
}

bool copySection(HKEY hive, LPCSTR sourceSection, LPCSTR targetSection) {
    // One commit: a failed or interrupted copy leaves no partial target behind.
    Transaction transaction(hive);
    if (transaction.status() != ERROR_SUCCESS || sectionExists(hive, targetSection)) {
        return false;
    }
    Key target;
    Key root;
    if (target.create(hive, sectionKeyPath(targetSection), KEY_ALL_ACCESS) != ERROR_SUCCESS ||
        root.open(hive, "", KEY_READ) != ERROR_SUCCESS) {
        return false;
    }
    if (root.copyTree(sectionKeyPath(sourceSection), target) != ERROR_SUCCESS) {
        return false;
    }
    return transaction.commit() == ERROR_SUCCESS;
}

bool moveSection(HKEY hive, LPCSTR sourceSection, LPCSTR targetSection) {
    // A target inside the source would go with the source when it is deleted.
    const std::string source = velmar::registry::foldName(sectionKeyPath(sourceSection)) + "\\";
    const std::string target = velmar::registry::foldName(sectionKeyPath(targetSection)) + "\\";
    if (target.compare(0, source.size(), source) == 0) {
        return false;
    }
    Transaction transaction(hive);
    if (!copySection(hive, sourceSection, targetSection)) {
        return false;
    }
    deleteSection(hive, sourceSection, true);
    return transaction.commit() == ERROR_SUCCESS;
}
