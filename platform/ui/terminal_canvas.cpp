#include "platform/ui/internal/terminal_canvas.h"
#include "platform/ui/internal/dialog.h"

#include "platform/text/text.h"

#include <algorithm>
#include <cstdlib>

namespace velmar::ui {

namespace {

DWORD styleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
}

// A cell is a character of the dialog font: its base units in pixels.
SIZE cellSize() {
    const SIZE size = dialogBaseUnits("MS Shell Dlg", 8);
    return SIZE{std::max<LONG>(size.cx, 1), std::max<LONG>(size.cy, 1)};
}

int cells(LONG pixels, LONG cell) {
    return static_cast<int>((pixels + (pixels >= 0 ? cell / 2 : -cell / 2)) / cell);
}

// Text with its "&" letter underlined (unless prefix is off), from column on.
void writeLabel(Canvas& canvas, int row, int column, const std::string& text, Cell style,
                bool prefix) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        Cell cell = style;
        if (prefix && text[i] == '&' && i + 1 < text.size()) {
            ++i;
            cell.underline = text[i] != '&';
        }
        cell.ch = text::ansiToCodePoint(static_cast<unsigned char>(text[i]));
        canvas.put(row, column++, cell);
    }
}

int labelLength(const std::string& text, bool prefix) {
    return static_cast<int>(prefix ? withoutMnemonic(text).size() : text.size());
}

std::string iconSymbol(const std::string& name) {
    if (name == "#32513") {
        return "(X)";
    }
    if (name == "#32514") {
        return "(?)";
    }
    if (name == "#32515") {
        return "(!)";
    }
    return "(i)";
}

struct Box {
    int row;
    int column;
    int rows;
    int columns;
};

void drawControl(Canvas& canvas, HWND control, const Box& box, bool focused) {
    const DWORD style = styleOf(control);
    const std::string text = windowText(control);
    Cell base;
    base.dim = !IsWindowEnabled(control);
    const int middle = box.row + (box.rows - 1) / 2;
    switch (controlKind(control)) {
    case ControlKind::Static: {
        if ((style & 0x1F) == SS_ICON) {
            canvas.write(box.row, box.column, iconSymbol(text), base);
            return;
        }
        const bool prefix = (style & SS_NOPREFIX) == 0;
        const std::vector<std::string> lines =
            wrapText(prefix ? text : text, static_cast<std::size_t>(std::max(box.columns, 1)));
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const int length = labelLength(lines[i], prefix);
            const int column = (style & 0x1F) == SS_CENTER
                                   ? box.column + std::max(0, (box.columns - length) / 2)
                                   : box.column;
            writeLabel(canvas, box.row + static_cast<int>(i), column, lines[i], base, prefix);
        }
        return;
    }
    case ControlKind::Button: {
        const DWORD type = style & BS_TYPEMASK;
        Cell cell = base;
        cell.reverse = focused;
        if (type == BS_GROUPBOX) {
            writeLabel(canvas, box.row, box.column, text, base, true);
            return;
        }
        std::string shown;
        int labelAt = 0;
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
            cell.bold = type == BS_DEFPUSHBUTTON;
            shown = focused ? "[[ " : "[ ";
            labelAt = static_cast<int>(shown.size());
            shown += text + (focused ? " ]]" : " ]");
        } else {
            const bool checked =
                GetWindowThreadProcessId(control, nullptr) == GetCurrentThreadId() &&
                SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
            shown = std::string(focused ? "[" : "") + (checked ? "[x] " : "[ ] ");
            labelAt = static_cast<int>(shown.size());
            shown += text + (focused ? "]" : "");
        }
        const int length = labelLength(shown, true);
        const int column = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON
                               ? box.column + std::max(0, (box.columns - length) / 2)
                               : box.column;
        writeLabel(canvas, middle, column, shown.substr(0, static_cast<std::size_t>(labelAt)), cell,
                   false);
        writeLabel(canvas, middle, column + labelAt,
                   shown.substr(static_cast<std::size_t>(labelAt)), cell, true);
        return;
    }
    case ControlKind::Edit: {
        const int inside = std::max(box.columns - 2, 1);
        std::string content = (style & ES_PASSWORD) != 0 ? std::string(text.size(), '*') : text;
        if (static_cast<int>(content.size()) >= inside) {
            // The end of a long text shows, with room for the caret.
            content = content.substr(content.size() - static_cast<std::size_t>(inside - 1));
        }
        Cell cell = base;
        cell.reverse = focused;
        canvas.put(middle, box.column,
                   Cell{focused ? U'[' : U' ', focused, false, false, base.dim});
        canvas.fill(middle, box.column + 1, inside, U'_');
        for (int i = 0; i < inside; ++i) {
            Cell each = cell;
            each.ch = i < static_cast<int>(content.size())
                          ? text::ansiToCodePoint(
                                static_cast<unsigned char>(content[static_cast<std::size_t>(i)]))
                          : U'_';
            canvas.put(middle, box.column + 1 + i, each);
        }
        canvas.put(middle, box.column + 1 + inside,
                   Cell{focused ? U']' : U' ', focused, false, false, base.dim});
        return;
    }
    case ControlKind::Other:
        writeLabel(canvas, box.row, box.column, text, base, false);
        return;
    }
}

void drawWindow(Canvas& canvas, HWND window, HWND focus, POINT centre, SIZE cell) {
    RECT rect;
    GetWindowRect(window, &rect);
    const int columns = std::max(cells(rect.right - rect.left, cell.cx), 4) + 2;
    const int rows = std::max(cells(rect.bottom - rect.top, cell.cy), 1) + 2;
    int column = canvas.columns() / 2 + cells(rect.left - centre.x, cell.cx) - 1;
    int row = canvas.rows() / 2 + cells(rect.top - centre.y, cell.cy) - 1;
    column = std::max(0, std::min(column, canvas.columns() - columns));
    row = std::max(0, std::min(row, canvas.rows() - rows));

    for (int r = row; r < row + rows; ++r) {
        canvas.fill(r, column, columns, U' ');
        canvas.put(r, column, Cell{U'|'});
        canvas.put(r, column + columns - 1, Cell{U'|'});
    }
    for (const int r : {row, row + rows - 1}) {
        canvas.fill(r, column + 1, columns - 2, U'-');
        canvas.put(r, column, Cell{U'+'});
        canvas.put(r, column + columns - 1, Cell{U'+'});
    }
    const std::string caption = windowText(window);
    if (!caption.empty()) {
        Cell bold;
        bold.bold = true;
        canvas.write(row, column + 2,
                     " " + caption.substr(0, static_cast<std::size_t>(std::max(columns - 6, 0))) +
                         " ",
                     bold);
    }

    std::vector<HWND> controls;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&controls));
    for (HWND control : controls) {
        if (!IsWindowVisible(control)) {
            continue;
        }
        RECT place;
        GetWindowRect(control, &place);
        const Box box{row + 1 + cells(place.top - rect.top, cell.cy),
                      column + 1 + cells(place.left - rect.left, cell.cx),
                      std::max(cells(place.bottom - place.top, cell.cy), 1),
                      std::max(cells(place.right - place.left, cell.cx), 1)};
        drawControl(canvas, control, box, control == focus);
    }
}

} // namespace

Canvas::Canvas(int rows, int columns)
    : m_rows(std::max(rows, 1)), m_columns(std::max(columns, 1)),
      m_cells(static_cast<std::size_t>(m_rows * m_columns)) {}

const Cell& Canvas::at(int row, int column) const {
    return m_cells[static_cast<std::size_t>(row * m_columns + column)];
}

void Canvas::put(int row, int column, const Cell& cell) {
    if (row >= 0 && row < m_rows && column >= 0 && column < m_columns) {
        m_cells[static_cast<std::size_t>(row * m_columns + column)] = cell;
    }
}

void Canvas::write(int row, int column, const std::string& ansi, const Cell& style) {
    for (const char c : ansi) {
        Cell cell = style;
        cell.ch = text::ansiToCodePoint(static_cast<unsigned char>(c));
        put(row, column++, cell);
    }
}

void Canvas::fill(int row, int column, int width, char32_t ch) {
    for (int i = 0; i < width; ++i) {
        put(row, column + i, Cell{ch});
    }
}

std::string Canvas::rowText(int row) const {
    std::string out;
    for (int column = 0; column < m_columns; ++column) {
        velmar::text::appendUtf8(out, at(row, column).ch);
    }
    return out;
}

void drawWindows(Canvas& canvas, const std::vector<HWND>& bottomToTop, HWND focus) {
    MONITORINFO info;
    info.cbSize = sizeof info;
    POINT centre{960, 540};
    if (GetMonitorInfoA(MonitorFromPoint(POINT{}, MONITOR_DEFAULTTOPRIMARY), &info)) {
        centre = POINT{(info.rcMonitor.left + info.rcMonitor.right) / 2,
                       (info.rcMonitor.top + info.rcMonitor.bottom) / 2};
    }
    const SIZE cell = cellSize();
    for (HWND window : bottomToTop) {
        drawWindow(canvas, window, focus, centre, cell);
    }
}

std::string terminalUpdate(const Canvas* before, const Canvas& after) {
    std::string out;
    for (int row = 0; row < after.rows(); ++row) {
        bool same = before != nullptr && before->rows() == after.rows() &&
                    before->columns() == after.columns();
        for (int column = 0; same && column < after.columns(); ++column) {
            same = before->at(row, column) == after.at(row, column);
        }
        if (same) {
            continue;
        }
        out += "\x1b[" + std::to_string(row + 1) + ";1H\x1b[0m";
        Cell current;
        for (int column = 0; column < after.columns(); ++column) {
            const Cell& cell = after.at(row, column);
            if (cell.reverse != current.reverse || cell.underline != current.underline ||
                cell.bold != current.bold || cell.dim != current.dim) {
                out += "\x1b[0";
                out += cell.bold ? ";1" : "";
                out += cell.dim ? ";2" : "";
                out += cell.underline ? ";4" : "";
                out += cell.reverse ? ";7" : "";
                out += "m";
                current = cell;
            }
            velmar::text::appendUtf8(out, cell.ch);
        }
        out += "\x1b[0m";
    }
    return out;
}

} // namespace velmar::ui
