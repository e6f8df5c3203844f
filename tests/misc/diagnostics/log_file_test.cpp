// The log file and its stopwatch on the real tick: VELMAR_TICK_OFFSET, read at every reading,
// moves the clock on between two readings or puts it just before the 32-bit wrap.
#include "misc/diagnostics/diagnostics.h"
#include "platform/process/process.h"
#include "platform/registry/registry.h"
#include "tests/support/child_process.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

using velmar::test::readFileBytes;
using velmar::test::ScopedEnv;

namespace {

const char* const kOffset = "VELMAR_TICK_OFFSET";

// Splits a file into CR LF lines; fails the test on a line feed without its CR.
std::vector<std::string> crlfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = bytes.find('\n', start)) != std::string::npos; start = at + 1) {
        EXPECT_TRUE(at > start && bytes[at - 1] == '\r') << "bare LF at byte " << at;
        lines.push_back(bytes.substr(start, at > start ? at - start - 1 : 0));
    }
    EXPECT_EQ(start, bytes.size()) << "last line has no line end";
    return lines;
}

bool matches(const std::string& text, const char* pattern) {
    return std::regex_match(text, std::regex(pattern));
}

TEST(LogFile, LapsRestartWhileTheElapsedTimeKeepsGrowing) {
    const ScopedEnv noOffset(kOffset, nullptr);
    CLogFile log;
    log.startTimer();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const DWORD firstLap = log.getLapMilliseconds();
    const DWORD secondLap = log.getLapMilliseconds();
    EXPECT_GE(firstLap, 300u);
    EXPECT_LT(secondLap, firstLap);
    const DWORD elapsed = log.getElapsedMilliseconds();
    EXPECT_GE(elapsed, firstLap);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GT(log.getElapsedMilliseconds(), elapsed);

    // The texts read the same marks: a lap text starts a new lap too.
    const ScopedEnv later(kOffset, "61000");
    EXPECT_EQ(std::string(log.getLapText()), "mins: 01, secs: 01");
    EXPECT_TRUE(matches(std::string(log.getLapText()), R"(\d{1,3} ms)"));
    EXPECT_EQ(std::string(log.getElapsedText()), "mins: 01, secs: 01");
    EXPECT_EQ(std::string(log.getElapsedTimeText(true)), "Elapsed Time:\nmins: 01, secs: 01");
}

TEST(LogFile, AWrapOfTheTickBetweenTwoReadingsGivesTheTrueDifference) {
    std::uint64_t offset = 0;
    {
        const ScopedEnv noOffset(kOffset, nullptr);
        // The offset that puts the tick 300 ms before the wrap.
        offset = static_cast<DWORD>(0u - 300u - timeGetTime());
    }
    const ScopedEnv nearWrap(kOffset, std::to_string(offset).c_str());
    CLogFile log;
    const DWORD before = timeGetTime();
    log.startTimer();
    ASSERT_GT(before, 0xFFFFFFFFu - 1000u);
    for (int i = 0; i < 500 && timeGetTime() >= before; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_LT(timeGetTime(), before) << "the tick did not wrap";
    for (const DWORD difference :
         {log.getElapsedMilliseconds(), log.getLapMilliseconds(), getMillisecondsSince(before)}) {
        EXPECT_GE(difference, 200u);
        EXPECT_LT(difference, 60000u);
    }
}

TEST(LogFile, EachLineCarriesTheElapsedTimeAndIsInTheFileAtOnce) {
    const ScopedEnv noOffset(kOffset, nullptr);
    velmar::test::TempDir dir;
    const std::string path = dir.file("job.log");
    CLogFile log;
    log.startTimer();
    ASSERT_TRUE(log.open(path.c_str()));
    {
        const ScopedEnv later(kOffset, "2500");
        log.write("reading");
    }
    // Flushed: whole before the log is closed.
    std::vector<std::string> lines = crlfLines(readFileBytes(path));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(matches(lines[0], R"(log file created - \d{1,3} ms)")) << lines[0];
    EXPECT_EQ(lines[1], "reading - seconds: 02");

    const ScopedEnv later(kOffset, "75000");
    log.write("");
    log.close(false);
    log.write("after the close");
    lines = crlfLines(readFileBytes(path));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "mins: 01, secs: 15");

    // A second open empties the file; the stopwatch runs on from its start.
    ASSERT_TRUE(log.open(path.c_str()));
    log.close(false);
    log.close(false);
    EXPECT_EQ(readFileBytes(path), "log file created - mins: 01, secs: 15\r\n");
}

TEST(LogFile, AnOpenThatFailsLeavesNothingToWriteTo) {
    velmar::test::TempDir dir;
    const std::string first = dir.file("first.log");
    CLogFile log;
    log.startTimer();
    ASSERT_TRUE(log.open(first.c_str()));
    // The failed open still closed the first log.
    EXPECT_FALSE(log.open(dir.file("missing/job.log").c_str()));
    EXPECT_FALSE(log.open(dir.path().c_str()));
    log.write("lost");
    EXPECT_EQ(crlfLines(readFileBytes(first)).size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST(LogFile, TheElapsedTimeSpanIsShownInAnInformationBox) {
    velmar::test::TempDir dir;
    velmar::test::writeFileBytes(dir.file("script"), "click OK\n");
    const velmar::test::ChildResult result =
        velmar::test::runProgram({velmar::test::binPath("diag_elapsed_child"), "show-span", "3605"},
                                 {{"VELMAR_UI", "headless"},
                                  {"VELMAR_UI_SCRIPT", dir.file("script")},
                                  {"VELMAR_UI_TRACE", dir.file("trace")}});
    const std::string trace = readFileBytes(dir.file("trace"));
    EXPECT_EQ(result.exitCode, 0) << result.err << trace;
    // The box was closed before the call returned.
    EXPECT_EQ(result.out, "shown\n");
    for (const char* line : {"text=\"Elapsed time: 01h, 00m, 05s\" buttons=OK default=OK "
                             "icon=information",
                             "result=1 (OK)"}) {
        EXPECT_NE(trace.find(line), std::string::npos) << line << "\n--- trace:\n" << trace;
    }
}

// HKEY_CLASSES_ROOT\.log names a type whose "open" has the child record the file it is given.
void associateLogFiles(const std::string& record) {
    const std::string type = "Velmar.TestLog";
    const std::string command =
        "\"" + velmar::test::binPath("diag_elapsed_child") + "\" record \"" + record + "\" \"%1\"";
    velmar::registry::Key extension;
    ASSERT_EQ(extension.create(HKEY_CLASSES_ROOT, ".log", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(extension.setValue("", REG_SZ, type.c_str(), DWORD(type.size() + 1)), ERROR_SUCCESS);
    velmar::registry::Key open;
    ASSERT_EQ(open.create(HKEY_CLASSES_ROOT, type + "\\shell\\open\\command", KEY_ALL_ACCESS),
              ERROR_SUCCESS);
    ASSERT_EQ(open.setValue("", REG_SZ, command.c_str(), DWORD(command.size() + 1)), ERROR_SUCCESS);
}

// What the child recorded, once it has; empty when it never does.
std::string awaitRecord(const std::string& record) {
    for (int i = 0; i < 1000 && !std::filesystem::exists(record); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return readFileBytes(record);
}

TEST(LogFile, ClosingWithShowOpensTheLogWrittenWithItsAssociatedProgram) {
    const velmar::test::TempPrefix prefix;
    velmar::test::TempDir dir;
    const std::string record = dir.file("record");
    ASSERT_NO_FATAL_FAILURE(associateLogFiles(record));
    const std::string path = dir.file("job.log");

    CLogFile log;
    log.close(true); // no path yet: the shell refuses, nothing happens
    log.startTimer();
    ASSERT_TRUE(log.open(path.c_str()));
    log.write("done");
    log.close(true);
    EXPECT_EQ(awaitRecord(record), path + "\n");
    EXPECT_EQ(crlfLines(readFileBytes(path)).size(), 2u);

    // A closed log is shown all the same.
    std::filesystem::remove(record);
    log.close(true);
    EXPECT_EQ(awaitRecord(record), path + "\n");
}

} // namespace
