// Replacing a file that may be busy for a while: retried for about three minutes.
#include "misc/files/files.h"

#include "platform/fs/fs.h"

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

bool replaceFileWithRetry(const char* replacedFile, const char* replacementFile) {
    for (int attempt = 0;; ++attempt) {
        if (ReplaceFileA(replacedFile, replacementFile, nullptr, REPLACEFILE_WRITE_THROUGH, nullptr,
                         nullptr) != FALSE) {
            return true;
        }
        if (attempt == kRetries) {
            return false;
        }
        g_retryWait(kRetryWaitMs);
    }
}
