// The two result grids: their start-up columns and the grid menu's reverse and copy.
#pragma once

#include <string>

#include "app/controls.h"

namespace vorn {

// StringGrid1 (sky-factor measurement points), 7 columns.
void SetupSkyGrid(TStringGrid& grid);
// StringGrid2 (specific points with their shadow times), 11 columns.
void SetupPointGrid(TStringGrid& grid);

// A row "has an x" when its column 1 is not empty, "a y" when its column 2 is not empty.
bool RowHasX(const TStringGrid& grid, int row);
bool RowHasXY(const TStringGrid& grid, int row);

// Reverses rows 1 … last; the header row stays.
void ReverseRows(TStringGrid& grid);

// Every row including the header, cells joined by tabs, each row ended by CRLF.
std::string GridText(const TStringGrid& grid);

}  // namespace vorn
