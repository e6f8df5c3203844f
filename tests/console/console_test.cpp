#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using velmar::test::binPath;
using velmar::test::runProgram;

namespace {
bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
} // namespace

TEST(Console, StartsSilentlyAndOpensThePrefix) {
    velmar::test::TempDir root;
    const std::string prefix = root.path() + "/new/prefix";
    const auto result = runProgram({binPath("VelmarConsole"), "an argument", "x"},
                                   {{"VELMAR_PREFIX", prefix}, {"TMPDIR", root.path()}});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(isFolder(prefix + "/drive_c/ProgramData"));
    EXPECT_TRUE(isFolder(prefix + "/drive_c/windows/system32"));
}

TEST(Console, FailedStartUpSaysSoOnStandardErrorOnly) {
    velmar::test::TempDir root;
    velmar::test::writeFileBytes(root.file("plain-file"), "not a folder");
    for (const std::string& prefix :
         {root.file("plain-file") + "/below", root.file("plain-file")}) {
        SCOPED_TRACE(prefix);
        const auto result = runProgram({binPath("VelmarConsole")},
                                       {{"VELMAR_PREFIX", prefix}, {"TMPDIR", root.path()}});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "Fatal Error: MFC initialization failed\n");
    }
}

// The library's process-wide objects are in the program from the start: the error logger
// opens its log in the temporary folder before main runs.
TEST(Console, LibraryStateExistsBeforeMain) {
    velmar::test::TempDir root;
    const auto result =
        runProgram({binPath("VelmarConsole")},
                   {{"VELMAR_PREFIX", root.path() + "/prefix"}, {"TMPDIR", root.path()}});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(velmar::test::entriesOf(root.path()),
              (std::vector<std::string>{"prefix", "velmarAutoCadErrorLog.txt"}));
}
