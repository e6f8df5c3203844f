// A program to be started by the tests: launch_exit_child <code> <milliseconds> waits that
// long, then exits with that code.
#include <chrono>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
    return std::atoi(argv[1]);
}
