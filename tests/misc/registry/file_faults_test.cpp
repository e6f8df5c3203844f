// Registry files on a failing host: an export that cannot be written whole leaves an earlier
// file of that name as it was, and an import whose file cannot be read whole applies nothing.
#include "misc/registry/registry.h"
#include "platform/registry/registry.h"
#include "tests/support/host_fault.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

using velmar::host::SystemCalls;
using velmar::registry::Key;
using velmar::registry::Value;
using velmar::test::entriesOf;
using velmar::test::FaultRepeat;
using velmar::test::readFileBytes;
using velmar::test::ScopedSyscallFault;
using velmar::test::TempDir;
using velmar::test::TempPrefix;
using velmar::test::writeFileBytes;

namespace {

using Fault = std::optional<ScopedSyscallFault>;

const char* const kKey = "Software\\FaultTest";

// A key whose export takes some megabytes, hence many writes, ending with a marker value.
void storeKey(const std::string& marker) {
    Key key;
    ASSERT_EQ(key.create(HKEY_CURRENT_USER, kKey, KEY_ALL_ACCESS), ERROR_SUCCESS);
    const std::string blob(32768, '\x5A');
    for (int i = 0; i < 40; ++i) {
        ASSERT_EQ(key.setValue("blob" + std::to_string(i), REG_BINARY, blob.data(),
                               static_cast<DWORD>(blob.size())),
                  ERROR_SUCCESS);
    }
    ASSERT_EQ(key.setValue("marker", REG_SZ, marker.c_str(), static_cast<DWORD>(marker.size() + 1)),
              ERROR_SUCCESS);
}

struct ExportFault {
    const char* what;
    void (*arm)(Fault& fault);
};

const ExportFault kExportFaults[] = {
    {"the new file cannot be made",
     [](Fault& f) { f.emplace(&SystemCalls::open, 1, ENOSPC, FaultRepeat::fromThenOn); }},
    {"the disk fills half-way",
     [](Fault& f) { f.emplace(&SystemCalls::write, 2, ENOSPC, FaultRepeat::fromThenOn); }},
    {"the data do not reach the disk", [](Fault& f) { f.emplace(&SystemCalls::fsync, 1, EIO); }},
    {"closing reports a lost write", [](Fault& f) { f.emplace(&SystemCalls::close, 1, EIO); }},
    {"the rename fails", [](Fault& f) { f.emplace(&SystemCalls::rename, 1, EIO); }},
    {"the rename crosses devices", [](Fault& f) { f.emplace(&SystemCalls::rename, 1, EXDEV); }},
};

TEST(RegistryFileFaults, AFailedExportLeavesTheEarlierFileOrNone) {
    TempPrefix prefix;
    TempDir reference;
    TempDir out;
    const std::string target = out.file("settings.reg");
    storeKey("new");
    ASSERT_TRUE(exportRegistryKey(HKEY_CURRENT_USER, kKey, reference.file("new.reg").c_str()));
    const std::string fresh = readFileBytes(reference.file("new.reg"));
    ASSERT_GT(fresh.size(), 3000000u);
    storeKey("old");
    ASSERT_TRUE(exportRegistryKey(HKEY_CURRENT_USER, kKey, reference.file("old.reg").c_str()));
    const std::string earlier = readFileBytes(reference.file("old.reg"));
    storeKey("new");

    for (const ExportFault& row : kExportFaults) {
        for (const bool hadFile : {true, false}) {
            SCOPED_TRACE(std::string(row.what) + (hadFile ? ", earlier file" : ", no file"));
            std::filesystem::remove(target);
            if (hadFile) {
                writeFileBytes(target, earlier);
            }
            {
                Fault fault;
                row.arm(fault);
                EXPECT_FALSE(exportRegistryKey(HKEY_CURRENT_USER, kKey, target.c_str()));
                EXPECT_GE(fault->failures(), 1u);
            }
            if (hadFile) {
                EXPECT_TRUE(readFileBytes(target) == earlier); // byte for byte, not a torn file
                EXPECT_EQ(entriesOf(out.path()), std::vector<std::string>{"settings.reg"});
            } else {
                EXPECT_EQ(entriesOf(out.path()), std::vector<std::string>{});
            }
            // With the host well again the same export succeeds, with the same bytes.
            ASSERT_TRUE(exportRegistryKey(HKEY_CURRENT_USER, kKey, target.c_str()));
            EXPECT_TRUE(readFileBytes(target) == fresh);
            EXPECT_EQ(entriesOf(out.path()), std::vector<std::string>{"settings.reg"});
        }
    }
}

// Keys K0, K1, ... under Software\FaultImport, some hundred kilobytes in all.
std::string importFile() {
    std::string text = "REGEDIT4\r\n\r\n";
    for (int k = 0; k < 80; ++k) {
        text += "[HKEY_CURRENT_USER\\Software\\FaultImport\\K" + std::to_string(k) + "]\r\n";
        for (int v = 0; v < 200; ++v) {
            text += "\"v" + std::to_string(v) + "\"=\"value " + std::to_string(k * v) + "\"\r\n";
        }
        text += "\r\n";
    }
    return text;
}

std::string textOf(const char* keyPath, const char* name) {
    Key key;
    Value value;
    if (key.open(HKEY_CURRENT_USER, keyPath, KEY_READ) != ERROR_SUCCESS ||
        key.queryValue(name, value) != ERROR_SUCCESS) {
        return "<missing>";
    }
    return value.data;
}

TEST(RegistryFileFaults, AnImportWhoseReadFailsAppliesNothing) {
    TempPrefix prefix;
    TempDir files;
    const std::string file = files.file("settings.reg");
    const std::string text = importFile();
    ASSERT_GT(text.size(), 300000u);
    writeFileBytes(file, text);
    Key k0;
    ASSERT_EQ(k0.create(HKEY_CURRENT_USER, "Software\\FaultImport\\K0", KEY_ALL_ACCESS),
              ERROR_SUCCESS);
    ASSERT_EQ(k0.setValue("v1", REG_SZ, "before", 7), ERROR_SUCCESS);

    for (const unsigned failingRead : {1u, 2u, 4u}) {
        SCOPED_TRACE(failingRead);
        {
            ScopedSyscallFault fault(&SystemCalls::read, failingRead, EIO);
            EXPECT_FALSE(importRegistryFile(file.c_str()));
            EXPECT_EQ(fault.failures(), 1u);
        }
        // The first key's values were read before the failure, and none of them is there.
        EXPECT_EQ(textOf("Software\\FaultImport\\K0", "v1"), std::string("before", 7));
        EXPECT_EQ(textOf("Software\\FaultImport\\K0", "v2"), "<missing>");
        EXPECT_EQ(textOf("Software\\FaultImport\\K1", "v1"), "<missing>");
    }
    ASSERT_TRUE(importRegistryFile(file.c_str()));
    EXPECT_EQ(textOf("Software\\FaultImport\\K0", "v1"), std::string("value 0", 8));
    EXPECT_EQ(textOf("Software\\FaultImport\\K79", "v199"), std::string("value 15721", 12));
}

} // namespace
