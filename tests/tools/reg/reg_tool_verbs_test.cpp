// velmar-reg's export, import and env verbs, run as the program.
#include "misc/registry/registry.h"
#include "platform/registry/registry.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tree_dump.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using velmar::registry::Key;
using velmar::test::ChildResult;
using velmar::test::dumpTree;
using velmar::test::TempPrefix;

namespace {

const std::string kTool = velmar::test::binPath("velmar-reg");
const char* const kEnvironment = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

ChildResult reg(std::vector<std::string> args) {
    args.insert(args.begin(), kTool);
    return velmar::test::runProgram(args);
}

TEST(RegToolFileVerbs, ExportAndImportRestoreTheKey) {
    TempPrefix prefix;
    Key key;
    ASSERT_EQ(key.create(HKEY_CURRENT_USER, "Software\\Demo\\Sub", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(key.setValue("q", REG_SZ, "say \"hi\" a=b C:\\x", 18), ERROR_SUCCESS);
    ASSERT_EQ(key.setValue("m", REG_MULTI_SZ, "a\0b\0", 5), ERROR_SUCCESS);
    key.close();
    const std::string before = dumpTree(HKEY_CURRENT_USER, "Software\\Demo");
    const std::string file = prefix.path() + "/out dir/demo.reg";

    ChildResult result = reg({"export", "HKCU\\Software\\Demo", file});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(velmar::test::readFileBytes(file).substr(0, 10), "REGEDIT4\r\n");
    // An existing file is kept unless the user agrees or gives /y.
    result = reg({"export", "HKCU\\Software\\Demo", file});
    EXPECT_EQ(result.exitCode, 1);
    result = reg({"export", "HKCU\\Software\\Demo", file, "/y"});
    EXPECT_EQ(result.exitCode, 0) << result.err;

    ASSERT_EQ(key.open(HKEY_CURRENT_USER, "Software", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(key.deleteTree("Demo"), ERROR_SUCCESS);
    result = reg({"import", file});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(dumpTree(HKEY_CURRENT_USER, "Software\\Demo"), before);

    EXPECT_EQ(reg({"import", prefix.path() + "/missing.reg"}).exitCode, 1);
    EXPECT_EQ(reg({"export", "HKCU\\Software\\Missing", file, "/y"}).exitCode, 1);
    EXPECT_EQ(reg({"export", "HKCU\\Software\\Demo"}).exitCode, 1);
}

TEST(RegToolFileVerbs, EnvPrintsAssignmentsTheShellTakesLiterally) {
    TempPrefix prefix;
    // Nothing published yet: no output, success, so that a login script goes on.
    ChildResult result = reg({"env"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");

    const std::vector<std::pair<std::string, std::string>> published = {
        {"VELMAR_COMMON_FOLDER", "\\\\server\\share\\it's $HOME `id` \"q\" $(id)"},
        {"VELMAR_DEFAULT_SETTINGS_FILE", "C:\\Caf\xe9\\two\nlines'"},
    };
    for (const auto& [name, value] : published) {
        ASSERT_TRUE(setRegistryValueFromText(HKEY_LOCAL_MACHINE, kEnvironment, name.c_str(), ""));
        Key key;
        ASSERT_EQ(key.open(HKEY_LOCAL_MACHINE, kEnvironment, KEY_ALL_ACCESS), ERROR_SUCCESS);
        ASSERT_EQ(key.setValue(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1)),
                  ERROR_SUCCESS);
    }
    ASSERT_TRUE(setRegistryValueFromText(HKEY_LOCAL_MACHINE, kEnvironment, "Not a name", "x"));

    result = velmar::test::runProgram({"/bin/sh", "-c",
                                       "eval \"$('" + kTool +
                                           "' env)\" && printf '%s|%s' \"$VELMAR_COMMON_FOLDER\" "
                                           "\"$VELMAR_DEFAULT_SETTINGS_FILE\""});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, published[0].second + "|C:\\Caf\xc3\xa9\\two\nlines'");
    EXPECT_NE(result.err.find("Not a name"), std::string::npos);
}

} // namespace
