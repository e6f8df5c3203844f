// Replacing a file that may be busy for a while: retried for about three minutes.
#include "misc/files/files.h"

#include "platform/fs/fs.h"
#include "platform/text/text.h"

#include <chrono>
#include <thread>

namespace {

constexpr int kRetries = 90;
constexpr unsigned kRetryWaitMs = 2000;

void sleepFor(unsigned milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

RetryWaitFunction g_retryWait = sleepFor;

} // namespace

void setReplaceRetryWait(RetryWaitFunction wait) {
    g_retryWait = wait != nullptr ? wait : sleepFor;
}

// A missing name fails every attempt, as any other failure does.
bool replaceFileWithRetry(const char* replacedFile, const char* replacementFile) {
    const bool named = replacedFile != nullptr && replacementFile != nullptr;
    const std::wstring replaced = named ? velmar::text::ansiToWide(replacedFile) : std::wstring();
    const std::wstring replacement =
        named ? velmar::text::ansiToWide(replacementFile) : std::wstring();
    for (int attempt = 0;; ++attempt) {
        DWORD error = ERROR_SUCCESS;
        if (named && velmar::fs::replaceFile(replaced, replacement, std::nullopt,
                                             REPLACEFILE_WRITE_THROUGH, error)) {
            return true;
        }
        if (attempt == kRetries) {
            return false;
        }
        g_retryWait(kRetryWaitMs);
    }
}
