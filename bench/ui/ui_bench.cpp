// The window system's waits and walks: (1) a message posted from one thread to another's
// window and posted back, beside a byte written through a pipe and written back between the
// same two threads; (2) EnumChildWindows over trees of 1,000 to 100,000 descendants, in time
// per window, so that linear growth shows as a flat line. The summary gives the ping-pong
// ratio (the goal: within 2x of the pipe).
#include "platform/ui/ui.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <thread>

#include <unistd.h>

namespace {

double g_postedNanos = 0;
double g_pipeNanos = 0;

constexpr UINT kPing = WM_APP + 1;
constexpr UINT kStop = WM_APP + 2;

LRESULT quiet(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// Each round trip: the main thread posts to the echo thread's window and waits in its own
// message loop for the answer posted to its window.
void PostedPingPong(benchmark::State& state) {
    const HWND home = velmar::ui::createTopLevelWindow(quiet);
    std::promise<HWND> made;
    std::thread echo([&] {
        made.set_value(velmar::ui::createTopLevelWindow(quiet));
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0 && message.message != kStop) {
            PostMessageA(home, kPing, message.wParam, 0);
        }
    });
    const HWND away = made.get_future().get();
    MSG message;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        PostMessageA(away, kPing, 1, 0);
        GetMessageA(&message, nullptr, 0, 0);
        benchmark::DoNotOptimize(message.wParam);
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    g_postedNanos = std::chrono::duration<double, std::nano>(elapsed).count() /
                    static_cast<double>(state.iterations());
    PostMessageA(away, kStop, 0, 0);
    echo.join();
    DestroyWindow(home);
}
BENCHMARK(PostedPingPong)->UseRealTime()->MinTime(1.0);

void PipePingPong(benchmark::State& state) {
    int there[2];
    int back[2];
    if (::pipe(there) != 0 || ::pipe(back) != 0) {
        state.SkipWithError("no pipe");
        return;
    }
    std::thread echo([&] {
        char byte = 0;
        while (::read(there[0], &byte, 1) == 1 && byte != 0) {
            if (::write(back[1], &byte, 1) != 1) {
                break;
            }
        }
    });
    char byte = 1;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        byte = 1;
        if (::write(there[1], &byte, 1) != 1 || ::read(back[0], &byte, 1) != 1) {
            state.SkipWithError("pipe broke");
            break;
        }
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    g_pipeNanos = std::chrono::duration<double, std::nano>(elapsed).count() /
                  static_cast<double>(state.iterations());
    byte = 0;
    (void)!::write(there[1], &byte, 1);
    echo.join();
    for (int fd : {there[0], there[1], back[0], back[1]}) {
        ::close(fd);
    }
}
BENCHMARK(PipePingPong)->UseRealTime()->MinTime(1.0);

// A tree of three levels under one top-level window: 10 windows, 100 below them, and the
// rest spread evenly below those.
HWND makeTree(int descendants) {
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = quiet;
    windowClass.lpszClassName = "BenchTree";
    RegisterClassA(&windowClass);
    const auto create = [](HWND parent) {
        return CreateWindowExA(0, "BenchTree", "", parent != nullptr ? WS_CHILD : WS_POPUP, 0, 0,
                               10, 10, parent, nullptr, nullptr, nullptr);
    };
    const HWND root = create(nullptr);
    std::vector<HWND> first;
    std::vector<HWND> second;
    for (int i = 0; i < 10; ++i) {
        first.push_back(create(root));
    }
    for (int i = 0; i < 100; ++i) {
        second.push_back(create(first[static_cast<std::size_t>(i % 10)]));
    }
    for (int i = 110; i < descendants; ++i) {
        create(second[static_cast<std::size_t>(i % 100)]);
    }
    return root;
}

BOOL countWindow(HWND, LPARAM lParam) {
    ++*reinterpret_cast<long*>(lParam);
    return TRUE;
}

void EnumerateDescendants(benchmark::State& state) {
    const auto descendants = static_cast<int>(state.range(0));
    const HWND root = makeTree(descendants);
    long count = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        count = 0;
        EnumChildWindows(root, countWindow, reinterpret_cast<LPARAM>(&count));
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (count != descendants) {
        state.SkipWithError("a window was missed");
    }
    state.counters["ns_per_window"] = std::chrono::duration<double, std::nano>(elapsed).count() /
                                      (static_cast<double>(state.iterations()) * descendants);
    DestroyWindow(root);
}
BENCHMARK(EnumerateDescendants)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_postedNanos > 0 && g_pipeNanos > 0) {
        std::printf("\nround trip: posted message %.0f ns, pipe %.0f ns, ratio %.2f (goal <= 2)\n",
                    g_postedNanos, g_pipeNanos, g_postedNanos / g_pipeNanos);
    }
    return 0;
}
