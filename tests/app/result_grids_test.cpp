#include "app/result_grids.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/key_filter.h"
#include "form_fixture.h"

namespace vorn::testing {
namespace {

// A prefix and a number, appended: a literal before a temporary string makes GCC 12's optimiser
// report a false overlap (-Wrestrict) inside std::string in Release builds.
std::string Numbered(std::string_view prefix, int number) {
  std::string text(prefix);
  text += std::to_string(number);
  return text;
}

// A grid with a header and `rows` data rows whose cells read "r<row>c<col>".
TStringGrid NumberedGrid(int rows, int cols = 3) {
  TStringGrid g;
  g.SetColCount(cols);
  g.SetRowCount(rows + 1);
  for (int r = 0; r <= rows; ++r) {
    for (int c = 0; c < cols; ++c) g.SetCell(c, r, Numbered("r", r) + Numbered("c", c));
  }
  return g;
}

std::vector<std::string> FirstColumn(const TStringGrid& g) {
  std::vector<std::string> out;
  for (int r = 0; r < g.RowCount(); ++r) out.push_back(g.Cells(0, r));
  return out;
}

struct ReverseCase {
  int rows;
  std::vector<std::string> expected;
};

class Reverse : public ::testing::TestWithParam<ReverseCase> {};

TEST_P(Reverse, SwapsWholeRowsAndKeepsTheHeader) {
  TStringGrid g = NumberedGrid(GetParam().rows);
  ReverseRows(g);
  EXPECT_EQ(FirstColumn(g), GetParam().expected);
  if (GetParam().rows > 0) {
    EXPECT_EQ(g.Cells(2, 1), "r" + std::to_string(GetParam().rows) + "c2");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Reverse,
    ::testing::Values(ReverseCase{0, {"r0c0"}}, ReverseCase{1, {"r0c0", "r1c0"}},
                      ReverseCase{3, {"r0c0", "r3c0", "r2c0", "r1c0"}},
                      ReverseCase{4, {"r0c0", "r4c0", "r3c0", "r2c0", "r1c0"}}));

TEST(GridText, HeaderOnlyGridGivesTheHeaderLine) {
  TStringGrid g = NumberedGrid(0);
  EXPECT_EQ(GridText(g), "r0c0\tr0c1\tr0c2\r\n");
}

TEST(GridText, EveryRowIsTabSeparatedAndEndsWithCrlf) {
  TStringGrid g = NumberedGrid(2);
  g.SetCell(1, 2, "");
  EXPECT_EQ(GridText(g), "r0c0\tr0c1\tr0c2\r\nr1c0\tr1c1\tr1c2\r\nr2c0\t\tr2c2\r\n");
}

TEST(StringGrid, ReadsAndWritesOutsideTheGridAreHarmless) {
  TStringGrid g = NumberedGrid(1);
  g.SetCell(5, 0, "x");
  g.SetCell(0, -1, "x");
  EXPECT_EQ(g.Cells(5, 0), "");
  EXPECT_EQ(g.Cells(-1, 0), "");
  EXPECT_EQ(g.Cells(0, 9), "");
}

TEST_F(FormTest, GridsGetTheirColumnsAtStartUp) {
  auto f = StartForm();
  ASSERT_EQ(f->StringGrid1.ColCount(), 7);
  EXPECT_EQ(GridText(f->StringGrid1).substr(0, GridText(f->StringGrid1).find("\r\n")),
            "番号\t X座標\t Y座標\t 測定点\t 測定面\t 内接\t 外接");
  EXPECT_EQ(f->StringGrid1.ColWidths, (std::vector<int>{27, 44, 44, 50, 50, 40, 40}));
  EXPECT_EQ(f->StringGrid1.FontName, "ＭＳ ゴシック");
  ASSERT_EQ(f->StringGrid2.ColCount(), 11);
  EXPECT_EQ(f->StringGrid2.Cells(4, 0), " 日影時間");
  EXPECT_EQ(f->StringGrid2.Cells(10, 0), " 出時刻 3");
  EXPECT_EQ(f->StringGrid2.ColWidths[0], 30);
  EXPECT_EQ(f->StringGrid2.ColWidths[10], 64);
  EXPECT_EQ(f->StringGrid2.Hint, "右クリックで順位反転");
  EXPECT_EQ(f->StringGrid1.DefaultRowHeight, 19);
}

class GridEditing : public FormTest {
 protected:
  void SetUp() override {
    f = StartForm();
    TStringGrid& g = f->StringGrid1;
    g.SetRowCount(4);
    // Row 1 and 3 have coordinates; row 2 is empty.
    for (int r : {1, 3}) {
      g.SetCell(1, r, "100");
      g.SetCell(2, r, "200");
      g.SetCell(3, r, "P" + std::to_string(r));
      g.SetCell(4, r, "1.5");
    }
    for (TButton* b : {&f->Button13, &f->Button14, &f->Button18, &f->Button24}) b->Enabled = true;
  }
  std::vector<bool> DiagramButtons() const {
    return {f->Button13.Enabled, f->Button14.Enabled, f->Button18.Enabled, f->Button24.Enabled};
  }
  std::unique_ptr<TForm1> f;
};

TEST_F(GridEditing, ClickingARowWithCoordinatesFillsTheEditBoxes) {
  f->StringGrid1.Row = 3;
  f->StringGrid1Click();
  EXPECT_EQ(f->Edit10.Text, "P3");
  EXPECT_EQ(f->Edit26.Text, "1.5");
  EXPECT_EQ(DiagramButtons(), std::vector<bool>(4, true));  // a click is not an edit
}

TEST_F(GridEditing, EditsOnAnEmptyRowChangeNothing) {
  f->StringGrid1.Row = 2;
  f->Edit10.Text = "keep";
  f->Edit26.Text = "9";
  f->StringGrid1Click();
  EXPECT_EQ(f->Edit10.Text, "keep");
  EXPECT_EQ(f->Edit26.Text, "9");
  f->Edit10Change();
  f->Edit26Change();
  EXPECT_EQ(f->StringGrid1.Cells(3, 2), "");
  EXPECT_EQ(f->StringGrid1.Cells(4, 2), "");
  EXPECT_EQ(DiagramButtons(), std::vector<bool>(4, true));
}

TEST_F(GridEditing, NameAndHeightEditsGoIntoTheSelectedRow) {
  f->StringGrid1.Row = 1;
  f->Edit10.Text = "A-1";
  f->Edit10Change();
  EXPECT_EQ(f->StringGrid1.Cells(3, 1), "A-1");
  EXPECT_EQ(DiagramButtons(), std::vector<bool>(4, true));
  f->Edit26.Text = "2";
  f->Edit26Change();  // the first keystroke
  EXPECT_EQ(f->StringGrid1.Cells(4, 1), "2");
  EXPECT_EQ(DiagramButtons(), std::vector<bool>(4, false));
}

TEST_F(GridEditing, HeightNeedsBothCoordinates) {
  f->StringGrid1.SetCell(2, 1, "");
  f->StringGrid1.Row = 1;
  f->Edit26.Text = "2";
  f->Edit26Change();
  EXPECT_EQ(f->StringGrid1.Cells(4, 1), "1.5");
  EXPECT_EQ(DiagramButtons(), std::vector<bool>(4, true));
}

TEST_F(GridEditing, EnterInTheHeightBoxWritesAndMovesToTheNextRow) {
  f->StringGrid1.Row = 1;
  f->Edit26.Text = "3.25";
  EXPECT_FALSE(f->KeyPress("Edit26", kKeyEnter));
  EXPECT_EQ(f->StringGrid1.Cells(4, 1), "3.25");
  EXPECT_EQ(f->StringGrid1.Row, 2);
  EXPECT_EQ(f->ActiveControl, "Edit10");
}

TEST_F(GridEditing, EnterOnTheLastRowWrapsToRowOneAndBlankTextIsNotWritten) {
  f->StringGrid1.Row = 3;
  f->Edit26.Text = "  ";
  EXPECT_FALSE(f->KeyPress("Edit26", kKeyEnter));
  EXPECT_EQ(f->StringGrid1.Cells(4, 3), "1.5");
  EXPECT_EQ(f->StringGrid1.Row, 1);
}

TEST_F(GridEditing, EnterOnAnEmptyRowStays) {
  f->StringGrid1.Row = 2;
  f->ActiveControl = "Edit26";
  EXPECT_FALSE(f->KeyPress("Edit26", kKeyEnter));
  EXPECT_EQ(f->StringGrid1.Row, 2);
  EXPECT_EQ(f->ActiveControl, "Edit26");
  EXPECT_FALSE(f->KeyPress("Edit26", 'a'));
}

TEST_F(GridEditing, SpecificPointNamesFollowEdit41) {
  TStringGrid& g = f->StringGrid2;
  g.SetRowCount(3);
  g.SetCell(1, 1, "5");
  g.SetCell(3, 1, "T1");
  g.Row = 1;
  f->StringGrid2Click();
  EXPECT_EQ(f->Edit41.Text, "T1");
  f->Edit41.Text = "T9";
  f->Edit41Change();
  EXPECT_EQ(g.Cells(3, 1), "T9");
  g.Row = 2;
  f->Edit41Change();
  EXPECT_EQ(g.Cells(3, 2), "");
}

TEST_F(GridEditing, ThePlaneHeightOfSpecificPointsDisablesTheAnnotation) {
  f->Button15.Enabled = true;
  f->Edit6Change();
  EXPECT_FALSE(f->Button15.Enabled);
}

TEST_F(GridEditing, MenuActsOnTheGridOfTheActivePage) {
  f->StringGrid2.SetCell(0, 0, "H");
  f->StringGrid2.SetRowCount(1);
  f->PageControl1.ActivePageIndex = 2;
  f->N1Click();
  EXPECT_EQ(f->sg, &f->StringGrid2);
  EXPECT_EQ(shell.clipboard.substr(0, 2), "H\t");
  EXPECT_EQ(shell.clipboard.substr(shell.clipboard.size() - 2), "\r\n");
  EXPECT_EQ(std::count(shell.clipboard.begin(), shell.clipboard.end(), '\n'), 1);

  f->PageControl1.ActivePageIndex = 4;
  f->N2Click();
  EXPECT_EQ(f->sg, &f->StringGrid1);
  EXPECT_EQ(f->StringGrid1.Cells(3, 1), "P3");
  EXPECT_EQ(f->StringGrid1.Cells(3, 3), "P1");
  f->N1Click();
  EXPECT_EQ(shell.clipboard, GridText(f->StringGrid1));
}

}  // namespace
}  // namespace vorn::testing
