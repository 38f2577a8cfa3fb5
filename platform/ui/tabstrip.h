#pragma once
// Tab strip and grid models, used by the viewers.

#include <string>
#include <vector>

#include "platform/ui/control.h"

namespace gw20::ui {

struct Tab {
  std::string caption;
  std::string key;
};

class TabStrip : public Control {
 public:
  using Control::Control;
  const std::vector<Tab>& Tabs() const { return tabs_; }
  void AddTab(std::string caption, std::string key);
  void ClearTabs();
  // -1 when there are no tabs.
  int SelectedIndex() const { return selected_; }
  // Out-of-range indexes are ignored.
  void SetSelectedIndex(int index);
  std::function<void()> OnClick;
  // The operator clicks tab `index`: selects it, then runs OnClick.
  void Click(int index);

 private:
  std::vector<Tab> tabs_;
  int selected_ = -1;
};

enum class Alignment { Left, Center, Right };

// A grid of text cells. Rows and columns count from 0; the first FixedRows
// rows (and FixedCols columns) are headers. Column widths are in twips.
class Grid : public Control {
 public:
  using Control::Control;
  int Rows() const { return rows_; }
  int Cols() const { return cols_; }
  // Resizing keeps the cells that still fit and empties the new ones.
  void SetRows(int rows);
  void SetCols(int cols);
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int rows) { Assign(fixedRows_, rows); }
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int cols) { Assign(fixedCols_, cols); }
  // Reading outside the grid gives ""; writing outside it is ignored.
  std::string TextMatrix(int row, int col) const;
  void SetTextMatrix(int row, int col, std::string text);
  int ColWidth(int col) const;
  void SetColWidth(int col, int twips);
  Alignment ColAlignment(int col) const;
  void SetColAlignment(int col, Alignment alignment);

 private:
  void Reshape(int rows, int cols);
  int rows_ = 2;
  int cols_ = 2;
  int fixedRows_ = 1;
  int fixedCols_ = 0;
  std::vector<std::string> cells_ = std::vector<std::string>(4);
  std::vector<int> colWidths_ = std::vector<int>(2, 1000);
  std::vector<Alignment> alignments_ = std::vector<Alignment>(2, Alignment::Left);
};

}  // namespace gw20::ui
