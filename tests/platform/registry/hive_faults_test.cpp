// A hive whose folder or file the host refuses: the key calls give the Win32 code of the
// refusal, and succeed once the host is well again.
#include "platform/registry/registry.h"
#include "tests/support/host_fault.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using velmar::host::SystemCalls;
using velmar::registry::Key;
using velmar::registry::Value;
using velmar::test::FaultRepeat;
using velmar::test::ScopedSyscallFault;
using velmar::test::TempPrefix;

namespace {

using Fault = std::optional<ScopedSyscallFault>;

struct HiveFault {
    const char* what;
    void (*arm)(Fault& fault);
    DWORD expected;
};

const HiveFault kHiveFaults[] = {
    {"the file may not be made",
     [](Fault& f) { f.emplace(&SystemCalls::open, 1, EACCES, FaultRepeat::fromThenOn, ".db"); },
     ERROR_ACCESS_DENIED},
    {"the disk is full",
     [](Fault& f) { f.emplace(&SystemCalls::open, 1, ENOSPC, FaultRepeat::fromThenOn, ".db"); },
     ERROR_DISK_FULL},
    {"too many files are open",
     [](Fault& f) { f.emplace(&SystemCalls::open, 1, EMFILE, FaultRepeat::fromThenOn, ".db"); },
     ERROR_TOO_MANY_OPEN_FILES},
    {"the folder may not be made",
     [](Fault& f) {
         f.emplace(&SystemCalls::mkdir, 1, EACCES, FaultRepeat::fromThenOn, "/registry");
     },
     ERROR_ACCESS_DENIED},
};

TEST(HiveFaults, AHiveThatCannotBeOpenedGivesTheHostsReason) {
    for (const HiveFault& row : kHiveFaults) {
        SCOPED_TRACE(row.what);
        TempPrefix prefix; // a hive not opened yet
        {
            Fault fault;
            row.arm(fault);
            Key key;
            EXPECT_EQ(key.create(HKEY_CURRENT_USER, "Software\\Faults", KEY_ALL_ACCESS),
                      row.expected);
            EXPECT_EQ(key.open(HKEY_CURRENT_USER, "Software", KEY_READ), row.expected);
            EXPECT_GE(fault->failures(), 2u); // each call tried again
        }
        Key key;
        ASSERT_EQ(key.create(HKEY_CURRENT_USER, "Software\\Faults", KEY_ALL_ACCESS), ERROR_SUCCESS);
        ASSERT_EQ(key.setValue("kept", REG_SZ, "yes", 4), ERROR_SUCCESS);
        Value value;
        ASSERT_EQ(key.queryValue("kept", value), ERROR_SUCCESS);
        EXPECT_EQ(value.data, std::string("yes", 4));
    }
}

} // namespace
