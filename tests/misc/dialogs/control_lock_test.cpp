// Control locking on real windows of the window system: a dialog-like parent with buttons, an
// edit box, a group with a control inside it and controls that are hidden.
#include "misc/diagnostics/diagnostics.h"
#include "misc/dialogs/dialogs.h"
#include "tests/misc/dialogs/test_windows.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

using velmar::test::TestDialog;

namespace {

// Unlocks, expecting the library's exception at the location with the message.
void expectUnlockFailure(std::uint32_t location, const char* message) {
    try {
        CLockMfcControls::unlockChildWindows();
        ADD_FAILURE() << "no exception";
    } catch (const CVelmarFileException& e) {
        EXPECT_EQ(e.getFileLocation(), location);
        EXPECT_STREQ(e.getFileName(), "MiscUtilities");
        EXPECT_STREQ(e.getErrorMessage(), message);
    }
}

const char* const kNotInMap = "CLockMfcControls::enumChildren - child is not in the map!";
const char* const kParentGone =
    "CLockMfcControls::unlockChildWindows - m_parentHandle not a valid window!";

} // namespace

TEST(ControlLock, LockDisablesVisibleControlsAndUnlockGivesEachItsStateBack) {
    TestDialog dialog;
    EnableWindow(dialog.edit, FALSE);
    EnableWindow(dialog.cancel, FALSE);

    CLockMfcControls::lockChildWindows(dialog.window, {dialog.cancel});
    EXPECT_EQ(CLockMfcControls::m_parentHandle, dialog.window);
    EXPECT_EQ(CLockMfcControls::m_childStates.size(), 6u); // all but the hidden one
    EXPECT_EQ(CLockMfcControls::m_childStates.at(dialog.edit), 0);
    EXPECT_EQ(CLockMfcControls::m_childStates.at(dialog.ok), 1);
    EXPECT_FALSE(IsWindowEnabled(dialog.ok));
    EXPECT_FALSE(IsWindowEnabled(dialog.edit));
    EXPECT_FALSE(IsWindowEnabled(dialog.group));
    EXPECT_FALSE(IsWindowEnabled(dialog.inner));
    EXPECT_TRUE(IsWindowEnabled(dialog.cancel)); // usable during the lock, whatever it was
    EXPECT_TRUE(IsWindowEnabled(dialog.hidden)); // never touched
    EXPECT_TRUE(IsWindowEnabled(dialog.window));

    EXPECT_TRUE(CLockMfcControls::unlockChildWindows());
    EXPECT_EQ(CLockMfcControls::m_parentHandle, nullptr);
    EXPECT_TRUE(IsWindowEnabled(dialog.ok));
    EXPECT_FALSE(IsWindowEnabled(dialog.edit));
    EXPECT_TRUE(IsWindowEnabled(dialog.group));
    EXPECT_TRUE(IsWindowEnabled(dialog.inner));
    EXPECT_FALSE(IsWindowEnabled(dialog.cancel));
    EXPECT_TRUE(IsWindowEnabled(dialog.hidden));
    EXPECT_TRUE(IsWindowEnabled(dialog.last));
    EXPECT_EQ(CLockMfcControls::m_childStates.size(), 6u); // kept until the next lock
}

TEST(ControlLock, ChangesDuringTheLockDecideWhatTheUnlockDoes) {
    struct Case {
        const char* name;
        std::function<void(TestDialog&)> duringLock;
        const char* failure; // null when the unlock succeeds
        std::function<void(TestDialog&)> check;
    };
    const Case cases[] = {
        {"hidden at the lock, shown during it: the restore stops there",
         [](TestDialog& d) { ShowWindow(d.hidden, SW_SHOW); }, kNotInMap,
         [](TestDialog& d) {
             // Enumerated before the hidden control: restored; after it: still disabled.
             EXPECT_TRUE(IsWindowEnabled(d.ok));
             EXPECT_FALSE(IsWindowEnabled(d.last));
             EXPECT_EQ(CLockMfcControls::m_parentHandle, d.window);
             // Hidden again, the same lock unlocks.
             ShowWindow(d.hidden, SW_HIDE);
             EXPECT_TRUE(CLockMfcControls::unlockChildWindows());
             EXPECT_TRUE(IsWindowEnabled(d.last));
             EXPECT_TRUE(IsWindowEnabled(d.hidden));
         }},
        {"created during the lock and visible",
         [](TestDialog& d) { d.addControl("Late", WS_VISIBLE); }, kNotInMap,
         [](TestDialog& d) { EXPECT_EQ(CLockMfcControls::m_parentHandle, d.window); }},
        {"created during the lock and hidden", [](TestDialog& d) { d.addControl("Late", 0); },
         nullptr, [](TestDialog& d) { EXPECT_TRUE(IsWindowEnabled(d.last)); }},
        {"visible at the lock, hidden at the unlock: stays disabled",
         [](TestDialog& d) { ShowWindow(d.ok, SW_HIDE); }, nullptr,
         [](TestDialog& d) {
             EXPECT_FALSE(IsWindowEnabled(d.ok));
             EXPECT_TRUE(IsWindowEnabled(d.edit));
         }},
        {"the group hidden: its control inside is skipped too",
         [](TestDialog& d) { ShowWindow(d.group, SW_HIDE); }, nullptr,
         [](TestDialog& d) {
             EXPECT_FALSE(IsWindowEnabled(d.group));
             EXPECT_FALSE(IsWindowEnabled(d.inner));
         }},
        {"locked twice: the second lock records the disabled states",
         [](TestDialog& d) { CLockMfcControls::lockChildWindows(d.window, {}); }, nullptr,
         [](TestDialog& d) {
             EXPECT_FALSE(IsWindowEnabled(d.ok));
             EXPECT_FALSE(IsWindowEnabled(d.inner));
         }},
        {"the parent destroyed", [](TestDialog& d) { d.destroy(); }, kParentGone,
         [](TestDialog& d) { EXPECT_EQ(CLockMfcControls::m_parentHandle, d.window); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDialog dialog;
        CLockMfcControls::lockChildWindows(dialog.window, {});
        c.duringLock(dialog);
        if (c.failure != nullptr) {
            expectUnlockFailure(std::strcmp(c.failure, kNotInMap) == 0 ? 1 : 0, c.failure);
        } else {
            EXPECT_TRUE(CLockMfcControls::unlockChildWindows());
            EXPECT_EQ(CLockMfcControls::m_parentHandle, nullptr);
        }
        c.check(dialog);
    }
}

TEST(ControlLock, HiddenParentLocksNothingAndUnlockWithoutLockThrows) {
    TestDialog dialog;
    ShowWindow(dialog.window, SW_HIDE);
    CLockMfcControls::lockChildWindows(dialog.window, {dialog.cancel});
    EXPECT_TRUE(CLockMfcControls::m_childStates.empty());
    EXPECT_TRUE(IsWindowEnabled(dialog.ok));
    EXPECT_TRUE(CLockMfcControls::unlockChildWindows());
    EXPECT_TRUE(IsWindowEnabled(dialog.ok));

    expectUnlockFailure(0, kParentGone); // nothing locked any more
    // A null parent locks nothing, in particular not the top-level windows.
    ShowWindow(dialog.window, SW_SHOW);
    CLockMfcControls::lockChildWindows(nullptr, {});
    EXPECT_TRUE(IsWindowEnabled(dialog.window));
    EXPECT_TRUE(CLockMfcControls::m_childStates.empty());
    expectUnlockFailure(0, kParentGone);
}

// Each failure reaches the error log before the caller: a fresh program writes them to the log
// of its own temporary folder.
TEST(ControlLock, FailuresAreWrittenToTheErrorLog) {
    velmar::test::TempDir tmp;
    const auto result = velmar::test::runProgram(
        {velmar::test::binPath("dialogs_test_child"), "lock-failures"}, {{"TMPDIR", tmp.path()}});
    ASSERT_EQ(result.exitCode, 0) << result.err;

    std::vector<std::string> lines;
    std::string line;
    for (char c : velmar::test::readFileBytes(tmp.file("velmarAutoCadErrorLog.txt"))) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    ASSERT_EQ(lines.size(), 14u);
    const char* const messages[] = {kNotInMap, kParentGone};
    for (int record = 0; record < 2; ++record) {
        SCOPED_TRACE(record);
        const std::size_t at = static_cast<std::size_t>(record) * 7;
        EXPECT_EQ(lines[at], "Exception type: CVelmarFileException");
        EXPECT_EQ(lines[at + 3], messages[record]);
        EXPECT_EQ(lines[at + 4], "Filename: MiscUtilities");
        EXPECT_EQ(lines[at + 5], "File location: " + std::to_string(1 - record));
    }
}
