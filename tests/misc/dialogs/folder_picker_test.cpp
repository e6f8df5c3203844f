// The folder picker in a program of its own, so that the headless presenter is chosen with the
// test's script: the script answers the system's folder browser, the trace shows how it opened.
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

using velmar::test::binPath;

namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The browsers' lines of the trace.
std::vector<std::string> browsersIn(const std::string& trace) {
    std::vector<std::string> browsers;
    for (const std::string& line : linesOf(trace)) {
        const auto at = line.find("folder-browser ");
        if (at != std::string::npos) {
            browsers.push_back(line.substr(at));
        }
    }
    return browsers;
}

} // namespace

TEST(FolderPicker, OpensAtTheLastGivenFolderAndLeavesTheFolderAloneWhenCancelled) {
    velmar::test::TempPrefix prefix;
    const std::string first = prefix.path() + "/first";
    const std::string second = prefix.path() + "/second folder";
    const std::string unknown = prefix.path() + "/" + std::string(300, 'n');
    std::filesystem::create_directories(first);
    std::filesystem::create_directories(second);
    const std::string script = prefix.path() + "/script.txt";
    const std::string trace = prefix.path() + "/trace.txt";
    velmar::test::writeFileBytes(script, "folder " + second + "\nfolder cancel\nfolder " + first +
                                             "\nfolder cancel\n");

    const auto result = velmar::test::runProgram(
        {binPath("dialogs_test_child"), "pick", first, "-", "-", unknown},
        {{"VELMAR_UI", "headless"}, {"VELMAR_UI_SCRIPT", script}, {"VELMAR_UI_TRACE", trace}});
    ASSERT_EQ(result.exitCode, 0) << result.err << velmar::test::readFileBytes(trace);
    EXPECT_EQ(linesOf(result.out),
              (std::vector<std::string>{"1 " + second, "0 ", "1 " + first, "0 " + unknown}));

    // Each opened at the last non-empty folder given to it, whole whatever its length.
    const std::string title = "folder-browser title=\"Select a folder\" initial=";
    EXPECT_EQ(
        browsersIn(velmar::test::readFileBytes(trace)),
        (std::vector<std::string>{title + "\"" + first + "\"", title + "\"" + first + "\"",
                                  title + "\"" + first + "\"", title + "\"" + unknown + "\""}));
}
