// Control locking: lockChildWindows followed by unlockChildWindows on a parent with 100, 1,000
// and 10,000 visible controls (a tenth of them inside group controls, a tenth disabled), one
// Cancel button kept enabled. The time per window should stay flat as the count grows: each
// lock walks the descendants twice and each unlock once, with a map look-up per window. What
// grows beyond that is the window system's own cost per changed window (its list of windows
// to paint is searched linearly), not the lock's.
#include "misc/dialogs/dialogs.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

namespace {

struct Parent {
    HWND window = nullptr;
    HWND cancel = nullptr;

    explicit Parent(int controls) {
        static const ATOM windowClass = [] {
            WNDCLASSA description;
            description.lpfnWndProc = DefWindowProcA;
            description.lpszClassName = "LockBenchParent";
            return RegisterClassA(&description);
        }();
        static_cast<void>(windowClass);
        window = CreateWindowExA(0, "LockBenchParent", "Bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
        HWND group = window;
        for (int i = 0; i < controls; ++i) {
            const bool startsGroup = i % 10 == 0;
            HWND parent = startsGroup ? window : group;
            HWND control = CreateWindowExA(0, startsGroup ? "STATIC" : "BUTTON", "Control",
                                           WS_CHILD | WS_VISIBLE, 0, 0, 80, 20, parent, nullptr,
                                           nullptr, nullptr);
            if (control == nullptr) {
                std::abort();
            }
            if (startsGroup) {
                group = control;
            } else if (i % 10 == 5) {
                EnableWindow(control, FALSE);
            }
            cancel = control;
        }
    }
    ~Parent() { DestroyWindow(window); }
};

void drainMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
}

void BM_LockUnlock(benchmark::State& state) {
    const auto controls = static_cast<int>(state.range(0));
    Parent parent(controls);
    const std::vector<HWND> keepEnabled{parent.cancel};
    for (auto _ : state) {
        CLockMfcControls::lockChildWindows(parent.window, keepEnabled);
        benchmark::DoNotOptimize(CLockMfcControls::unlockChildWindows());
        // The dialog's own loop paints the changed controls between operations; not timed.
        state.PauseTiming();
        drainMessages();
        state.ResumeTiming();
    }
    // Seconds per window (printed with its SI prefix: "250n" is 250 ns).
    state.counters["per_window"] = benchmark::Counter(
        static_cast<double>(controls),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_LockUnlock)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
