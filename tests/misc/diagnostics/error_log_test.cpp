#include "misc/diagnostics/diagnostics.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <regex>

using velmar::test::binPath;
using velmar::test::readFileBytes;
using velmar::test::runProgram;

namespace {

const char* const kLogName = "velmarAutoCadErrorLog.txt";

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

std::vector<std::string> runWriter(const velmar::test::TempDir& tmp, const std::string& records,
                                   const std::string& length, const std::string& kind = "") {
    std::vector<std::string> argv = {binPath("diag_log_writer"), records, length};
    if (!kind.empty()) {
        argv.push_back(kind);
    }
    const auto result = runProgram(argv, {{"TMPDIR", tmp.path()}});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return crlfLines(readFileBytes(tmp.file(kLogName)));
}

} // namespace

TEST(ErrorLog, RecordsAreAppendedAfterWhatIsThere) {
    velmar::test::TempDir tmp;
    velmar::test::writeFileBytes(tmp.file(kLogName), "earlier\r\n");
    const auto lines = runWriter(tmp, "2", "3");
    ASSERT_EQ(lines.size(), 1u + 2 * 7);
    EXPECT_EQ(lines[0], "earlier");
    for (int record = 0; record < 2; ++record) {
        SCOPED_TRACE(record);
        const std::size_t at = 1 + static_cast<std::size_t>(record) * 7;
        EXPECT_EQ(lines[at], "Exception type: CVelmarFileException");
        EXPECT_TRUE(std::regex_match(lines[at + 1],
                                     std::regex(R"(Date \(DD/MM/YY\): [1-9]\d?/[1-9]\d?/\d{4})")));
        EXPECT_TRUE(std::regex_match(
            lines[at + 2],
            std::regex(
                R"(Time \(HH:MM:SS:MS\): (0|[1-9]\d?)(:(0|[1-9]\d?)){2}:(0|[1-9]\d{0,2}))")));
        EXPECT_TRUE(std::regex_match(lines[at + 3], std::regex(R"(pid\d+:mmm)")));
        EXPECT_EQ(lines[at + 4], "Filename: Writer");
        EXPECT_EQ(lines[at + 5], "File location: " + std::to_string(record));
        EXPECT_EQ(lines[at + 6], "");
    }
}

TEST(ErrorLog, DateIsTodayInUtc) {
    velmar::test::TempDir tmp;
    const std::time_t now = std::time(nullptr);
    const auto lines = runWriter(tmp, "1", "1");
    ASSERT_GE(lines.size(), 2u);
    std::tm utc{};
    gmtime_r(&now, &utc);
    const std::string expected = "Date (DD/MM/YY): " + std::to_string(utc.tm_mday) + "/" +
                                 std::to_string(utc.tm_mon + 1) + "/" +
                                 std::to_string(utc.tm_year + 1900);
    if (lines[1] != expected && std::time(nullptr) / 86400 != now / 86400) {
        GTEST_SKIP() << "the day changed during the test";
    }
    EXPECT_EQ(lines[1], expected);
}

TEST(ErrorLog, AcadRecordShowsFileTypeAndHostTextEmptyMessageGivesEmptyLine) {
    velmar::test::TempDir tmp;
    auto lines = runWriter(tmp, "1", "2", "acad");
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "Exception type: CVelmarFileException");
    EXPECT_EQ(lines[5], "File location: 0");
    EXPECT_EQ(lines[6], "host says hi");
    EXPECT_EQ(lines[7], "");

    velmar::test::TempDir tmp2;
    lines = runWriter(tmp2, "1", "0", "empty");
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[6], "");
}

TEST(ErrorLog, UnopenableLogIsSkippedAndTheExceptionStillThrown) {
    velmar::test::TempDir tmp;
    const auto result = runProgram({binPath("diag_log_writer"), "3", "4"},
                                   {{"TMPDIR", tmp.path() + "/missing/folder"}});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
}

TEST(ErrorLog, TwoProcessesAppendingAtOnceNeverTearALine) {
    velmar::test::TempDir tmp;
    // Long messages make each line far larger than one stream buffer.
    const std::vector<std::string> argv = {binPath("diag_log_writer"), "300", "20000"};
    const pid_t a = velmar::test::startProgram(argv, {{"TMPDIR", tmp.path()}});
    const pid_t b = velmar::test::startProgram(argv, {{"TMPDIR", tmp.path()}});
    ASSERT_EQ(velmar::test::waitProgram(a), 0);
    ASSERT_EQ(velmar::test::waitProgram(b), 0);

    const auto lines = crlfLines(readFileBytes(tmp.file(kLogName)));
    ASSERT_EQ(lines.size(), 2u * 300 * 7);
    std::size_t messages = 0;
    std::size_t types = 0;
    for (const std::string& line : lines) {
        if (line.rfind("pid", 0) == 0) {
            const std::size_t colon = line.find(':');
            ASSERT_NE(colon, std::string::npos);
            ASSERT_EQ(line.size() - colon - 1, 20000u) << line.substr(0, 80);
            ASSERT_EQ(line.find_first_not_of('m', colon + 1), std::string::npos);
            ++messages;
        } else if (line == "Exception type: CVelmarFileException") {
            ++types;
        } else {
            ASSERT_TRUE(line.empty() || line.rfind("Date (", 0) == 0 ||
                        line.rfind("Time (", 0) == 0 || line == "Filename: Writer" ||
                        line.rfind("File location: ", 0) == 0)
                << line.substr(0, 80);
        }
    }
    EXPECT_EQ(messages, 600u);
    EXPECT_EQ(types, 600u);
}

TEST(ErrorLog, BaseLoggerWritesTheExtraTextAndALoggerOfItsOwnNothing) {
    velmar::test::TempPrefix prefix;
    {
        CVelmarAutoCadErrorLogger logger("own.txt");
        CVelmarFileException e("Example", 1, "window not found");
        logger.CVelmarErrorLogger::logException(e, "extra words");
        CVelmarAcadException acad("Example", 2, "m", std::string("host"));
        logger.logException(acad, "pre-");
        CVelmarErrorLogger plain;
        plain.logException(e, "never written");
    }
    const auto lines = crlfLines(readFileBytes(prefix.tmp() + "/own.txt"));
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[3], "window not found");
    EXPECT_EQ(lines[4], "Filename: Example");
    EXPECT_EQ(lines[6], "extra words");
    EXPECT_EQ(lines[14], "pre-host");
    EXPECT_FALSE(g_errorLoggerAlive);
}
