// The sample setup.exe as a real process in a private prefix: it installs the payload and the
// registration, "/uninst" takes both away, and it refuses to work when it is not elevated.
#include "platform/registry/registry.h"
#include "tests/support/child_process.h"
#include "tests/support/install_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using velmar::test::kInstallationKey;
using velmar::test::storedValue;

class SampleInstaller : public velmar::test::InstallTest {
protected:
    // Runs setup.exe to its end, its lines appended to the log as well.
    velmar::test::ChildResult runSetup(const std::vector<std::string>& args,
                                       const char* elevated = "1") {
        std::vector<std::string> argv{velmar::test::binPath("setup.exe")};
        argv.insert(argv.end(), args.begin(), args.end());
        return velmar::test::runProgram(argv, {{"VELMAR_SAMPLE_SETUP_MS", "0"},
                                               {"VELMAR_ELEVATED", elevated},
                                               {"VELMAR_SAMPLE_SETUP_LOG", log()}});
    }
    std::string log() const { return m_files.file("setup.log"); }
    // The log as lines: a Windows text file, its lines end in CR LF.
    std::string logLines() const {
        std::string text = velmar::test::readFileBytes(log());
        std::erase(text, '\r');
        return text;
    }
    std::string programFile(const std::string& relative) const {
        return velmar::test::readFileBytes(m_prefix.prefix() + "/drive_c/" + relative);
    }

    velmar::test::TempDir m_files;
};

TEST_F(SampleInstaller, InstallsAndUninstallsPayloadAndRegistration) {
    const velmar::test::ChildResult installed = runSetup({});
    ASSERT_EQ(installed.exitCode, 0) << installed.out << installed.err;
    EXPECT_NE(installed.out.find("Velmar Software 8.2.1 is installed."), std::string::npos)
        << installed.out;

    const struct {
        const char* name;
        const char* text;
    } values[] = {{"VelmarDir", "C:\\Program Files (x86)\\Velmar Software"},
                  {"VelmarDir64", "C:\\Program Files\\Velmar Software"},
                  {"VELMAR Software Version", "8.2.1"},
                  {"Cabinet File Date", "2026-06-15"}};
    for (const auto& value : values) {
        const velmar::registry::Value stored =
            storedValue(HKEY_LOCAL_MACHINE, kInstallationKey, value.name, KEY_WOW64_32KEY);
        EXPECT_EQ(stored.type, REG_SZ) << value.name;
        EXPECT_EQ(stored.data, velmar::test::sz(value.text)) << value.name;
    }
    // The 32-bit view only, as the suite's installer records it.
    EXPECT_EQ(storedValue(HKEY_LOCAL_MACHINE, kInstallationKey, "VelmarDir", KEY_WOW64_64KEY).type,
              REG_NONE);
    EXPECT_NE(programFile("Program Files (x86)/Velmar Software/readme.txt"), "");
    EXPECT_NE(programFile("Program Files (x86)/Velmar Software/Manuals/Velmar Software Guide.txt"),
              "");
    EXPECT_NE(programFile("Program Files/Velmar Software/readme.txt"), "");

    const velmar::test::ChildResult removed = runSetup({"/uninst"});
    ASSERT_EQ(removed.exitCode, 0) << removed.out << removed.err;
    EXPECT_NE(removed.out.find("Velmar Software is uninstalled."), std::string::npos)
        << removed.out;
    for (const auto& value : values) {
        EXPECT_EQ(
            storedValue(HKEY_LOCAL_MACHINE, kInstallationKey, value.name, KEY_WOW64_32KEY).type,
            REG_NONE)
            << value.name;
    }
    EXPECT_EQ(velmar::test::entriesOf(m_prefix.prefix() + "/drive_c/Program Files (x86)"),
              std::vector<std::string>{});
    EXPECT_EQ(velmar::test::entriesOf(m_prefix.prefix() + "/drive_c/Program Files"),
              std::vector<std::string>{});
    // Without a console its lines are still to be read.
    EXPECT_EQ(logLines(), installed.out + removed.out);
}

TEST_F(SampleInstaller, RefusesWithoutElevationOrWithUnknownArguments) {
    const velmar::test::ChildResult refused = runSetup({}, "0");
    EXPECT_EQ(refused.exitCode, 5);
    EXPECT_NE(refused.out.find("needs administrator rights"), std::string::npos) << refused.out;
    EXPECT_EQ(logLines(), refused.out);
    EXPECT_EQ(runSetup({"/install"}).exitCode, 2);
    EXPECT_EQ(storedValue(HKEY_LOCAL_MACHINE, kInstallationKey, "VelmarDir", KEY_WOW64_32KEY).type,
              REG_NONE);
}

} // namespace
