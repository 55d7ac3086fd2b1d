// The controls of the form model: small values that a view renders and changes. They carry
// no toolkit; a view copies them to its widgets and forwards the user's edits back.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace vorn {

struct TEdit {
  std::string Text{};
  std::string Hint{};
  bool Enabled = true;
  bool ReadOnly = false;
};

struct TButton {
  std::string Caption{};
  std::string Hint{};
  bool Enabled = true;
  bool Visible = true;
};

struct TLabel {
  std::string Caption{};
};

struct TGroupBox {
  std::string Caption{};
};

struct TCheckBox {
  std::string Caption{};
  std::string Hint{};
  bool Checked = false;
  bool Enabled = true;
};

// Radio groups and up-downs keep their values in range the way the native controls do, so
// a settings file with an index or position out of range cannot leave them inconsistent.
struct TRadioGroup {
  std::string Caption{};
  std::vector<std::string> Items{};
  int Columns = 1;
  int ItemIndex = -1;
  bool Enabled = true;

  void SetItemIndex(int value) {
    ItemIndex = std::clamp(value, -1, static_cast<int>(Items.size()) - 1);
  }
};

struct TUpDown {
  std::string Hint{};
  int Min = 0;
  int Max = 100;
  int Position = 0;

  void SetPosition(int value) { Position = std::clamp(value, Min, Max); }
};

struct TComboBox {
  std::string Text{};
  std::string Hint{};
  std::vector<std::string> Items{};
  int ItemIndex = -1;
  int DropDownCount = 8;
  std::string FontName{};
};

struct TCheckListBox {
  std::vector<std::string> Items{};
  std::vector<bool> Checked{};
  int Columns = 1;
  bool Enabled = true;
};

struct TListBox {
  std::vector<std::string> Items{};
  int ItemIndex = -1;
  bool Sorted = false;
};

// A picture the view shows as it is: 0xRRGGBB pixels, row by row from the top.
struct TImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels{};
};

// A fixed text of a page (a unit, a label before a box).
struct TStaticText {
  int Page = 0;
  std::string Caption{};
};

struct TProgressBar {
  int Max = 100;
  int Position = 0;
};

struct TPageControl {
  std::vector<std::string> Pages{};
  int ActivePageIndex = 0;
};

struct TMenuItem {
  std::string Name{};
  std::string Caption{};
  bool Enabled = true;
};

// A string grid: Cells(col, row) like the native control; reads outside the grid give an
// empty text and writes outside it are ignored.
class TStringGrid {
 public:
  std::string Hint{};
  std::string FontName{};
  int FixedRows = 1;
  int FixedCols = 1;
  int DefaultColWidth = 64;
  int DefaultRowHeight = 19;
  int Row = 1;  // the selected row
  std::vector<int> ColWidths{};

  TStringGrid() { Resize(5, 2); }

  int ColCount() const { return colCount_; }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  void SetColCount(int count) { Resize(count, RowCount()); }
  void SetRowCount(int count) { Resize(colCount_, count); }

  std::string Cells(int col, int row) const {
    if (!Inside(col, row)) return {};
    return rows_[row][col];
  }
  void SetCell(int col, int row, std::string text) {
    if (Inside(col, row)) rows_[row][col] = std::move(text);
  }
  const std::vector<std::string>& Rows(int row) const { return rows_.at(row); }
  void SwapRows(int a, int b) {
    if (a >= 0 && b >= 0 && a < RowCount() && b < RowCount()) std::swap(rows_[a], rows_[b]);
  }

 private:
  bool Inside(int col, int row) const {
    return col >= 0 && row >= 0 && col < colCount_ && row < RowCount();
  }
  void Resize(int cols, int rows) {
    colCount_ = std::max(cols, 1);
    rows_.resize(std::max(rows, 1));
    for (auto& r : rows_) r.resize(colCount_);
    ColWidths.resize(colCount_, DefaultColWidth);
  }

  int colCount_ = 0;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace vorn
