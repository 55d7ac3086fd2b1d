#include "app/result_grids.h"

#include <array>
#include <string_view>

namespace vorn {

namespace {

void SetCommon(TStringGrid& grid) {
  grid.FixedRows = 1;
  grid.FixedCols = 1;
  grid.DefaultRowHeight = 19;
  grid.Hint = "右クリックで順位反転";
}

}  // namespace

void SetupSkyGrid(TStringGrid& grid) {
  SetCommon(grid);
  grid.FontName = "ＭＳ ゴシック";
  grid.SetColCount(7);
  constexpr std::array<std::string_view, 7> kTitles = {"番号",    " X座標", " Y座標", " 測定点",
                                                       " 測定面", " 内接",  " 外接"};
  constexpr std::array<int, 7> kWidths = {27, 44, 44, 50, 50, 40, 40};
  for (int c = 0; c < 7; ++c) {
    grid.SetCell(c, 0, std::string(kTitles[c]));
    grid.ColWidths[c] = kWidths[c];
  }
}

void SetupPointGrid(TStringGrid& grid) {
  SetCommon(grid);
  grid.DefaultColWidth = 64;
  grid.SetColCount(11);
  constexpr std::array<std::string_view, 11> kTitles = {
      "番号",      " X座標",    " Y座標",    " 測定点",   " 日影時間", " 入時刻 1",
      " 出時刻 1", " 入時刻 2", " 出時刻 2", " 入時刻 3", " 出時刻 3"};
  for (int c = 0; c < 11; ++c) {
    grid.SetCell(c, 0, std::string(kTitles[c]));
    grid.ColWidths[c] = c == 0 ? 30 : 64;
  }
}

bool RowHasX(const TStringGrid& grid, int row) { return row >= 1 && !grid.Cells(1, row).empty(); }

bool RowHasXY(const TStringGrid& grid, int row) {
  return RowHasX(grid, row) && !grid.Cells(2, row).empty();
}

void ReverseRows(TStringGrid& grid) {
  for (int a = 1, b = grid.RowCount() - 1; a < b; ++a, --b) grid.SwapRows(a, b);
}

std::string GridText(const TStringGrid& grid) {
  std::string text;
  for (int r = 0; r < grid.RowCount(); ++r) {
    for (int c = 0; c < grid.ColCount(); ++c) {
      if (c > 0) text += '\t';
      text += grid.Cells(c, r);
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace vorn
