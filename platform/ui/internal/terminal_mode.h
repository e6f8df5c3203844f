// The terminal's modes while windows are shown: raw input, the alternate screen, no cursor;
// put back when the last window goes, at exit and on SIGINT and SIGTERM. Internal to
// platform/ui.
#pragma once

#include <string>

namespace velmar::ui::terminal {

// True when standard input and output are terminals.
bool isInteractive();

// Takes the terminal (raw mode, alternate screen); idempotent.
void enter();
// Gives it back as it was; idempotent, also safe from a signal handler's path.
void leave();

// The terminal's size (rows, columns), at least 24 x 80 when it cannot tell.
void size(int& rows, int& columns);

// Writes all of text to standard output.
void output(const std::string& text);

// Waits up to timeoutMs for input on standard input; the bytes read, empty when none came.
std::string input(int timeoutMs);

} // namespace velmar::ui::terminal
