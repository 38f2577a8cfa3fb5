#include "modules/grid_columns.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/ui/tabstrip.h"

namespace gw20::modules {
namespace {

// Glyph widths of a 9-point proportional font at 96 dpi, rounded up.
constexpr int kNarrowTwips = 65;    // blank and thin punctuation, about 4 px
constexpr int kGlyphTwips = 120;    // digits and lower-case letters, about 8 px
constexpr int kCapitalTwips = 150;  // capitals and wide signs, about 10 px
constexpr int kBoldPercent = 112;
constexpr int kPercent = 100;
constexpr int kCellPaddingTwips = 180;  // both margins and the grid line
constexpr std::string_view kNarrowSigns = " -:.,;()[]/|_!'il";

int GlyphTwips(char c) {
  if (kNarrowSigns.find(c) != std::string_view::npos) return kNarrowTwips;
  const auto byte = static_cast<unsigned char>(c);
  if (std::islower(byte) != 0 || std::isdigit(byte) != 0) return kGlyphTwips;
  return kCapitalTwips;
}

}  // namespace

int CellTextTwips(std::string_view text, bool bold) {
  int twips = 0;
  for (const char c : text) twips += GlyphTwips(c);
  if (bold) twips = twips * kBoldPercent / kPercent;
  return twips + kCellPaddingTwips;
}

void FitColumnsToText(ui::Grid& grid) {
  for (int col = 0; col < grid.Cols(); ++col) {
    int twips = grid.ColWidth(col);
    for (int row = 0; row < grid.Rows(); ++row) {
      const bool bold = row < grid.FixedRows() || col < grid.FixedCols();
      twips = std::max(twips, CellTextTwips(grid.TextMatrix(row, col), bold));
    }
    grid.SetColWidth(col, twips);
  }
}

int GridWidthTwips(const ui::Grid& grid) {
  int twips = 0;
  for (int col = 0; col < grid.Cols(); ++col) twips += grid.ColWidth(col);
  return twips;
}

}  // namespace gw20::modules
