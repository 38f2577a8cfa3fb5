#pragma once
// Column widths of the viewers' grids: wide enough that every cell's text
// shows on one line in the proportional fonts grids use (about 9 points at
// 96 dpi), so a table is readable without guessing at cut-off texts.

#include <string_view>

namespace gw20::ui {
class Grid;
}

namespace gw20::modules {

// Estimated width in twips that `text` needs in a grid cell, cell padding
// included; bold for the header (fixed) cells. Errs on the wide side.
int CellTextTwips(std::string_view text, bool bold);

// Widens every column of `grid` narrower than its longest text (fixed rows
// and columns counted bold); never narrows a column.
void FitColumnsToText(ui::Grid& grid);

// Sum of all column widths, in twips.
int GridWidthTwips(const ui::Grid& grid);

}  // namespace gw20::modules
