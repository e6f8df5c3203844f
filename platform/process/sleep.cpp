// Sleep: the calling thread waits; nothing of its queue is looked at meanwhile.
#include "platform/process/process.h"

#include <chrono>
#include <thread>

void Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    if (milliseconds == INFINITE) {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::hours(24));
        }
    }
    // sleep_for runs on the steady clock and sleeps again after a signal, so the whole time
    // passes.
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
