// A grid of character cells, the surface that dialogs and GDI draw on and
// that the terminal or the text renderer shows.
#ifndef PLATFORM_UI_CANVAS_H
#define PLATFORM_UI_CANVAS_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vt::ui {

enum CellAttribute : uint8_t {
    kPlain = 0,
    kReverse = 1,  // focus and selection
    kBold = 2,     // default button
    kUnderline = 4,
    kDim = 8,      // disabled
};

struct Cell {
    char ch = ' ';
    uint8_t attributes = kPlain;
};

class Canvas {
public:
    Canvas(int columns, int rows)
        : m_columns(columns > 0 ? columns : 0), m_rows(rows > 0 ? rows : 0),
          m_cells(static_cast<size_t>(m_columns) * static_cast<size_t>(m_rows)) {}

    int columns() const { return m_columns; }
    int rows() const { return m_rows; }
    const Cell& at(int column, int row) const {
        return m_cells[static_cast<size_t>(row) * static_cast<size_t>(m_columns) + static_cast<size_t>(column)];
    }
    void Put(int column, int row, char ch, uint8_t attributes = kPlain) {
        if (column >= 0 && row >= 0 && column < m_columns && row < m_rows) {
            m_cells[static_cast<size_t>(row) * static_cast<size_t>(m_columns) + static_cast<size_t>(column)] =
                Cell{ch, attributes};
        }
    }
    // Writes text from a column, clipped at `limit` cells (and the edge).
    void Text(int column, int row, std::string_view text, uint8_t attributes = kPlain,
              int limit = 1 << 30) {
        for (size_t i = 0; i < text.size() && static_cast<int>(i) < limit; ++i) {
            Put(column + static_cast<int>(i), row, text[i], attributes);
        }
    }
    void Fill(int column, int row, int columns, int rows, char ch, uint8_t attributes = kPlain) {
        for (int r = row; r < row + rows; ++r) {
            for (int c = column; c < column + columns; ++c) Put(c, r, ch, attributes);
        }
    }
    void Frame(int column, int row, int columns, int rows, uint8_t attributes = kPlain) {
        if (columns < 2 || rows < 2) return;
        int right = column + columns - 1;
        int bottom = row + rows - 1;
        for (int c = column + 1; c < right; ++c) {
            Put(c, row, '-', attributes);
            Put(c, bottom, '-', attributes);
        }
        for (int r = row + 1; r < bottom; ++r) {
            Put(column, r, '|', attributes);
            Put(right, r, '|', attributes);
        }
        Put(column, row, '+', attributes);
        Put(right, row, '+', attributes);
        Put(column, bottom, '+', attributes);
        Put(right, bottom, '+', attributes);
    }
    // Copies another canvas in with its top-left corner at (column, row).
    void Blit(const Canvas& source, int column, int row) {
        for (int r = 0; r < source.rows(); ++r) {
            for (int c = 0; c < source.columns(); ++c) {
                const Cell& cell = source.at(c, r);
                Put(column + c, row + r, cell.ch, cell.attributes);
            }
        }
    }
    std::string Row(int row) const {
        std::string line;
        for (int c = 0; c < m_columns; ++c) line.push_back(at(c, row).ch);
        return line;
    }

private:
    int m_columns;
    int m_rows;
    std::vector<Cell> m_cells;
};

// Cells are 6 x 13 pixels: 4 x 8 dialog units at base units 6 x 13.
constexpr int kCellWidthPixels = 6;
constexpr int kCellHeightPixels = 13;

}  // namespace vt::ui

#endif  // PLATFORM_UI_CANVAS_H
