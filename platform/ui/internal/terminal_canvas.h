// The picture of the visible windows as character cells, and its text for the terminal.
// Internal to platform/ui.
#pragma once

#include "platform/ui/ui.h"

#include <string>
#include <vector>

namespace velmar::ui {

struct Cell {
    char32_t ch = U' ';
    bool reverse = false;
    bool underline = false;
    bool bold = false;
    bool dim = false;
    bool operator==(const Cell&) const = default;
};

class Canvas {
public:
    Canvas(int rows, int columns);

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    const Cell& at(int row, int column) const;
    // Writes ANSI text from column on; what falls outside is clipped.
    void write(int row, int column, const std::string& ansi, const Cell& style = {});
    void put(int row, int column, const Cell& cell);
    void fill(int row, int column, int width, char32_t ch);
    // The row as plain UTF-8, for tests and the terminal.
    std::string rowText(int row) const;

private:
    int m_rows;
    int m_columns;
    std::vector<Cell> m_cells;
};

// Draws the visible top-level windows, bottom first (the last is on top). focus is the
// focused window, marked with brackets and reverse video.
void drawWindows(Canvas& canvas, const std::vector<HWND>& bottomToTop, HWND focus);

// The escape sequences that turn the terminal showing before into after (rows that differ
// are written again; a null before writes every row).
std::string terminalUpdate(const Canvas* before, const Canvas& after);

} // namespace velmar::ui
