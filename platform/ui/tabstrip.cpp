#include "platform/ui/tabstrip.h"

#include <algorithm>

namespace gw20::ui {

void TabStrip::AddTab(std::string caption, std::string key) {
  tabs_.push_back({std::move(caption), std::move(key)});
  if (selected_ < 0) selected_ = 0;
  NotifyChanged();
}

void TabStrip::ClearTabs() {
  tabs_.clear();
  selected_ = -1;
  NotifyChanged();
}

void TabStrip::SetSelectedIndex(int index) {
  if (index < 0 || index >= static_cast<int>(tabs_.size())) return;
  Assign(selected_, index);
}

void TabStrip::Click(int index) {
  if (!Usable()) return;
  SetSelectedIndex(index);
  if (OnClick) OnClick();
}

void Grid::Reshape(int rows, int cols) {
  rows = std::max(rows, 0);
  cols = std::max(cols, 0);
  std::vector<std::string> cells(static_cast<std::size_t>(rows) * cols);
  for (int r = 0; r < std::min(rows, rows_); ++r) {
    for (int c = 0; c < std::min(cols, cols_); ++c) {
      cells[static_cast<std::size_t>(r) * cols + c] =
          std::move(cells_[static_cast<std::size_t>(r) * cols_ + c]);
    }
  }
  cells_ = std::move(cells);
  colWidths_.resize(cols, 1000);
  alignments_.resize(cols, Alignment::Left);
  rows_ = rows;
  cols_ = cols;
  NotifyChanged();
}

void Grid::SetRows(int rows) { Reshape(rows, cols_); }
void Grid::SetCols(int cols) { Reshape(rows_, cols); }

std::string Grid::TextMatrix(int row, int col) const {
  if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return {};
  return cells_[static_cast<std::size_t>(row) * cols_ + col];
}

void Grid::SetTextMatrix(int row, int col, std::string text) {
  if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return;
  Assign(cells_[static_cast<std::size_t>(row) * cols_ + col], std::move(text));
}

int Grid::ColWidth(int col) const { return col >= 0 && col < cols_ ? colWidths_[col] : 0; }

void Grid::SetColWidth(int col, int twips) {
  if (col < 0 || col >= cols_) return;
  Assign(colWidths_[col], std::max(twips, 0));
}

Alignment Grid::ColAlignment(int col) const {
  return col >= 0 && col < cols_ ? alignments_[col] : Alignment::Left;
}

void Grid::SetColAlignment(int col, Alignment alignment) {
  if (col < 0 || col >= cols_) return;
  Assign(alignments_[col], alignment);
}

}  // namespace gw20::ui
