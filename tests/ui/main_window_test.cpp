// The main window shows the form as it is: every control's first-start state, the key filters
// of the boxes, the grids and their menu, the preview picture.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

#include "ui/preview_image.h"
#include "ui/text.h"
#include "window_fixture.h"

namespace vorn::testing {
namespace {

using ui::Q;

struct EditCase {
  const char* name;
  TEdit TForm1::*member;
};
struct ButtonCase {
  const char* name;
  TButton TForm1::*member;
};
struct CheckCase {
  const char* name;
  TCheckBox TForm1::*member;
};
struct RadioCase {
  const char* name;
  TRadioGroup TForm1::*member;
};
struct GroupCase {
  const char* name;
  TGroupBox TForm1::*member;
};
struct LabelCase {
  const char* name;
  TLabel TForm1::*member;
};
struct UpDownCase {
  const char* name;
  TUpDown TForm1::*member;
};
struct GridCase {
  const char* name;
  TStringGrid TForm1::*member;
};

// Every control of the seven pages, listed here independently of the window's own layout, so
// that a control the window forgot fails the test.
const EditCase kEdits[] = {
    {"Edit2", &TForm1::Edit2},   {"Edit3", &TForm1::Edit3},   {"Edit4", &TForm1::Edit4},
    {"Edit5", &TForm1::Edit5},   {"Edit6", &TForm1::Edit6},   {"Edit7", &TForm1::Edit7},
    {"Edit8", &TForm1::Edit8},   {"Edit9", &TForm1::Edit9},   {"Edit10", &TForm1::Edit10},
    {"Edit11", &TForm1::Edit11}, {"Edit12", &TForm1::Edit12}, {"Edit13", &TForm1::Edit13},
    {"Edit14", &TForm1::Edit14}, {"Edit15", &TForm1::Edit15}, {"Edit16", &TForm1::Edit16},
    {"Edit17", &TForm1::Edit17}, {"Edit18", &TForm1::Edit18}, {"Edit19", &TForm1::Edit19},
    {"Edit20", &TForm1::Edit20}, {"Edit21", &TForm1::Edit21}, {"Edit22", &TForm1::Edit22},
    {"Edit23", &TForm1::Edit23}, {"Edit24", &TForm1::Edit24}, {"Edit25", &TForm1::Edit25},
    {"Edit26", &TForm1::Edit26}, {"Edit27", &TForm1::Edit27}, {"Edit28", &TForm1::Edit28},
    {"Edit29", &TForm1::Edit29}, {"Edit30", &TForm1::Edit30}, {"Edit31", &TForm1::Edit31},
    {"Edit32", &TForm1::Edit32}, {"Edit33", &TForm1::Edit33}, {"Edit34", &TForm1::Edit34},
    {"Edit35", &TForm1::Edit35}, {"Edit36", &TForm1::Edit36}, {"Edit37", &TForm1::Edit37},
    {"Edit38", &TForm1::Edit38}, {"Edit40", &TForm1::Edit40}, {"Edit41", &TForm1::Edit41},
    {"Edit42", &TForm1::Edit42},
};
const ButtonCase kButtons[] = {
    {"Button2", &TForm1::Button2},           {"Button3", &TForm1::Button3},
    {"Button4", &TForm1::Button4},           {"Button5", &TForm1::Button5},
    {"Button6", &TForm1::Button6},           {"Button7", &TForm1::Button7},
    {"Button8", &TForm1::Button8},           {"Button9", &TForm1::Button9},
    {"Button10", &TForm1::Button10},         {"Button11", &TForm1::Button11},
    {"Button12", &TForm1::Button12},         {"Button13", &TForm1::Button13},
    {"Button14", &TForm1::Button14},         {"Button15", &TForm1::Button15},
    {"Button16", &TForm1::Button16},         {"Button17", &TForm1::Button17},
    {"Button18", &TForm1::Button18},         {"Button19", &TForm1::Button19},
    {"Button20", &TForm1::Button20},         {"Button21", &TForm1::Button21},
    {"Button22", &TForm1::Button22},         {"Button23", &TForm1::Button23},
    {"Button24", &TForm1::Button24},         {"SpeedButton1", &TForm1::SpeedButton1},
    {"SpeedButton2", &TForm1::SpeedButton2}, {"SpeedButton4", &TForm1::SpeedButton4},
    {"SpeedButton8", &TForm1::SpeedButton8},
};
const CheckCase kChecks[] = {
    {"CheckBox1", &TForm1::CheckBox1},   {"CheckBox2", &TForm1::CheckBox2},
    {"CheckBox3", &TForm1::CheckBox3},   {"CheckBox4", &TForm1::CheckBox4},
    {"CheckBox5", &TForm1::CheckBox5},   {"CheckBox6", &TForm1::CheckBox6},
    {"CheckBox7", &TForm1::CheckBox7},   {"CheckBox8", &TForm1::CheckBox8},
    {"CheckBox9", &TForm1::CheckBox9},   {"CheckBox10", &TForm1::CheckBox10},
    {"CheckBox11", &TForm1::CheckBox11}, {"CheckBox12", &TForm1::CheckBox12},
};
const RadioCase kRadios[] = {
    {"RadioGroup1", &TForm1::RadioGroup1}, {"RadioGroup2", &TForm1::RadioGroup2},
    {"RadioGroup3", &TForm1::RadioGroup3}, {"RadioGroup4", &TForm1::RadioGroup4},
    {"RadioGroup5", &TForm1::RadioGroup5}, {"RadioGroup6", &TForm1::RadioGroup6},
};
const GroupCase kGroups[] = {
    {"GroupBoxIdo", &TForm1::GroupBoxIdo},
    {"GroupBoxTouji", &TForm1::GroupBoxTouji},
    {"GroupBoxHekimen", &TForm1::GroupBoxHekimen},
    {"GroupBoxTypeA", &TForm1::GroupBoxTypeA},
    {"GroupBoxTypeB", &TForm1::GroupBoxTypeB},
    {"GroupBoxLayer", &TForm1::GroupBoxLayer},
    {"GroupBoxCommon", &TForm1::GroupBoxCommon},
    {"GroupBoxSmoothing", &TForm1::GroupBoxSmoothing},
    {"GroupBoxEval", &TForm1::GroupBoxEval},
    {"GroupBoxJikoku", &TForm1::GroupBoxJikoku},
    {"GroupBox15", &TForm1::GroupBox15},
};
const LabelCase kLabels[] = {
    {"Label22", &TForm1::Label22},
    {"Label2", &TForm1::Label2},
    {"Label24", &TForm1::Label24},
    {"Label26", &TForm1::Label26},
    {"LabelAboutName", &TForm1::LabelAboutName},
    {"LabelAboutBuild", &TForm1::LabelAboutBuild},
};
const UpDownCase kUpDowns[] = {
    {"UpDown2", &TForm1::UpDown2}, {"UpDown3", &TForm1::UpDown3}, {"UpDown4", &TForm1::UpDown4},
    {"UpDown5", &TForm1::UpDown5}, {"UpDown6", &TForm1::UpDown6},
};
const GridCase kGrids[] = {
    {"StringGrid1", &TForm1::StringGrid1},
    {"StringGrid2", &TForm1::StringGrid2},
};

class MainWindowView : public WindowTest {};

TEST_F(MainWindowView, ShowsTheFirstStartStateOfEveryControl) {
  Start();
  // A form started on its own is what the window must show.
  const std::unique_ptr<TForm1> expected = NewForm();
  EXPECT_EQ(window->windowTitle(), Q(expected->Caption));
  EXPECT_EQ(window->size(), QSize(expected->ClientWidth, expected->ClientHeight));
  EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);

  for (const auto& c : kEdits) {
    SCOPED_TRACE(c.name);
    const TEdit& model = (*expected).*c.member;
    auto* edit = Widget<QLineEdit>(c.name);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), Q(model.Text));
    EXPECT_EQ(edit->isEnabled(), model.Enabled);
    EXPECT_EQ(edit->isReadOnly(), model.ReadOnly);
    EXPECT_EQ(edit->toolTip(), Q(model.Hint));
  }
  for (const auto& c : kButtons) {
    SCOPED_TRACE(c.name);
    const TButton& model = (*expected).*c.member;
    auto* button = Widget<QAbstractButton>(c.name);
    ASSERT_NE(button, nullptr);
    if (!model.Caption.empty()) {
      EXPECT_EQ(button->text(), Q(model.Caption));
    }
    EXPECT_EQ(button->isEnabled(), model.Enabled);
    EXPECT_EQ(!button->isHidden(), model.Visible);
    EXPECT_EQ(button->toolTip(), Q(model.Hint));
  }
  for (const auto& c : kChecks) {
    SCOPED_TRACE(c.name);
    const TCheckBox& model = (*expected).*c.member;
    auto* box = Widget<QCheckBox>(c.name);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), Q(model.Caption));
    EXPECT_EQ(box->isChecked(), model.Checked);
    EXPECT_EQ(box->isEnabled(), model.Enabled);
    EXPECT_EQ(box->toolTip(), Q(model.Hint));
  }
  for (const auto& c : kRadios) {
    SCOPED_TRACE(c.name);
    const TRadioGroup& model = (*expected).*c.member;
    auto* group = Widget<QGroupBox>(c.name);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), Q(model.Caption));
    const auto radios = group->findChildren<QRadioButton*>();
    ASSERT_EQ(radios.size(), static_cast<qsizetype>(model.Items.size()));
    for (int i = 0; i < static_cast<int>(model.Items.size()); ++i) {
      auto* radio =
          group->findChild<QRadioButton*>(Q(std::string(c.name) + "_" + std::to_string(i)));
      ASSERT_NE(radio, nullptr);
      EXPECT_EQ(radio->text(), Q(model.Items[i]));
      EXPECT_EQ(radio->isChecked(), i == model.ItemIndex) << i;
    }
  }
  for (const auto& c : kGroups) {
    SCOPED_TRACE(c.name);
    auto* group = Widget<QGroupBox>(c.name);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), Q(((*expected).*c.member).Caption));
  }
  for (const auto& c : kLabels) {
    SCOPED_TRACE(c.name);
    auto* label = Widget<QLabel>(c.name);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), Q(((*expected).*c.member).Caption));
  }
  for (const auto& c : kUpDowns) {
    SCOPED_TRACE(c.name);
    QWidget* upDown = window->Control(c.name);
    ASSERT_NE(upDown, nullptr);
    EXPECT_EQ(upDown->toolTip(), Q(((*expected).*c.member).Hint));
  }
  for (const auto& c : kGrids) {
    SCOPED_TRACE(c.name);
    const TStringGrid& model = (*expected).*c.member;
    auto* table = Widget<QTableWidget>(c.name);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->columnCount(), model.ColCount());
    EXPECT_EQ(table->rowCount(), model.RowCount() - 1);
    for (int col = 0; col < model.ColCount(); ++col) {
      EXPECT_EQ(table->horizontalHeaderItem(col)->text(), Q(model.Cells(col, 0))) << col;
      EXPECT_EQ(table->columnWidth(col), model.ColWidths[col]) << col;
    }
    EXPECT_EQ(table->toolTip(), Q(model.Hint));
  }

  auto* combo = Widget<QComboBox>("ComboBox1");
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->currentText(), Q(expected->ComboBox1.Text));
  ASSERT_EQ(combo->count(), static_cast<int>(expected->ComboBox1.Items.size()));
  for (int i = 0; i < combo->count(); ++i) {
    EXPECT_EQ(combo->itemText(i), Q(expected->ComboBox1.Items[i]));
  }
  EXPECT_EQ(combo->maxVisibleItems(), expected->ComboBox1.DropDownCount);
  EXPECT_EQ(combo->toolTip(), Q(expected->ComboBox1.Hint));

  auto* list = Widget<QListWidget>("CheckListBox1");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->count(), static_cast<int>(expected->CheckListBox1.Items.size()));
  for (int i = 0; i < list->count(); ++i) {
    EXPECT_EQ(list->item(i)->text(), Q(expected->CheckListBox1.Items[i]));
    EXPECT_EQ(list->item(i)->checkState() == Qt::Checked, expected->CheckListBox1.Checked[i]);
  }

  auto* pages = Widget<QTabWidget>("PageControl1");
  ASSERT_NE(pages, nullptr);
  ASSERT_EQ(pages->count(), static_cast<int>(expected->PageControl1.Pages.size()));
  for (int i = 0; i < pages->count(); ++i) {
    EXPECT_EQ(pages->tabText(i), Q(expected->PageControl1.Pages[i]));
  }
  EXPECT_EQ(pages->currentIndex(), 0);
  auto* progress = Widget<QProgressBar>("ProgressBar1");
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->maximum(), expected->ProgressBar1.Max);
  EXPECT_EQ(progress->value(), expected->ProgressBar1.Position);

  // Every fixed text of a page is on that page.
  for (const TStaticText& text : expected->StaticTexts) {
    bool found = false;
    for (QLabel* label : pages->widget(text.Page)->findChildren<QLabel*>()) {
      found = found || (label->text() == Q(text.Caption) && !label->isHidden());
    }
    EXPECT_TRUE(found) << text.Page << " " << text.Caption;
  }
}

TEST_F(MainWindowView, LettersDoNotReachTheLatitudeBoxAndEnterMovesTheFocusOn) {
  Start();
  auto* edit3 = Widget<QLineEdit>("Edit3");
  auto* edit5 = Widget<QLineEdit>("Edit5");
  auto* edit23 = Widget<QLineEdit>("Edit23");
  ASSERT_TRUE(edit3 && edit5 && edit23);
  edit3->setFocus();
  edit3->selectAll();
  QTest::keyClicks(edit3, "3a4b");
  EXPECT_EQ(edit3->text(), QStringLiteral("34"));
  EXPECT_EQ(form->Edit3.Text, "34");
  QTest::keyClicks(edit3, "x.-");
  EXPECT_EQ(edit3->text(), QStringLiteral("34"));

  QTest::keyClick(edit3, Qt::Key_Return);
  EXPECT_EQ(QApplication::focusWidget(), edit5);
  EXPECT_EQ(edit3->text(), QStringLiteral("34"));
  QTest::keyClick(edit5, Qt::Key_Enter);
  EXPECT_EQ(QApplication::focusWidget(), edit23);

  // Backspace gets through; the true-north box takes a sign and a point, Enter goes to Edit2.
  QTest::keyClick(edit3, Qt::Key_Backspace);
  auto* edit12 = Widget<QLineEdit>("Edit12");
  edit12->setFocus();
  edit12->selectAll();
  QTest::keyClicks(edit12, "-12.5e");
  EXPECT_EQ(form->Edit12.Text, "-12.5");
  QTest::keyClick(edit12, Qt::Key_Return);
  EXPECT_EQ(QApplication::focusWidget(), Widget<QLineEdit>("Edit2"));
}

TEST_F(MainWindowView, TheGridMenuCopiesTheGridAsTabSeparatedTextAndReversesItsRows) {
  Start();
  form->StringGrid2.SetRowCount(3);
  form->StringGrid2.SetCell(0, 1, "1");
  form->StringGrid2.SetCell(1, 1, "100.000");
  form->StringGrid2.SetCell(3, 1, "A");
  form->StringGrid2.SetCell(0, 2, "2");
  form->StringGrid2.SetCell(1, 2, "-5.5");
  form->StringGrid2.SetCell(4, 2, "2:30");
  window->Refresh();
  Widget<QTabWidget>("PageControl1")->setCurrentIndex(2);
  EXPECT_EQ(form->PageControl1.ActivePageIndex, 2);

  QAction* copy = window->GridMenu()->findChild<QAction*>(QStringLiteral("N1"));
  if (copy == nullptr) {
    for (QAction* a : window->GridMenu()->actions()) {
      if (a->objectName() == QStringLiteral("N1")) copy = a;
    }
  }
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->text(), QStringLiteral("すべてをクリップボードにコピー"));
  copy->trigger();

  // The text built cell by cell: tabs between the cells, CRLF after every row.
  std::string expected;
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 11; ++col) {
      if (col > 0) expected += '\t';
      expected += form->StringGrid2.Cells(col, row);
    }
    expected += "\r\n";
  }
  EXPECT_EQ(QGuiApplication::clipboard()->text(), Q(expected));
  EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(QStringLiteral("\t-5.5\t")));

  QAction* reverse = nullptr;
  for (QAction* a : window->GridMenu()->actions()) {
    if (a->objectName() == QStringLiteral("N2")) reverse = a;
  }
  ASSERT_NE(reverse, nullptr);
  reverse->trigger();
  auto* table = Widget<QTableWidget>("StringGrid2");
  EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("-5.5"));
  EXPECT_EQ(table->item(1, 3)->text(), QStringLiteral("A"));
}

TEST_F(MainWindowView, ClickingAGridRowFillsTheNameBoxAndTypingRenamesThePoint) {
  Start();
  form->StringGrid1.SetRowCount(3);
  form->StringGrid1.SetCell(1, 1, "10");
  form->StringGrid1.SetCell(2, 1, "20");
  form->StringGrid1.SetCell(3, 1, "P1");
  form->StringGrid1.SetCell(4, 1, "1.5");
  form->StringGrid1.SetCell(1, 2, "30");
  form->StringGrid1.SetCell(2, 2, "40");
  form->StringGrid1.SetCell(3, 2, "P2");
  form->StringGrid1.SetCell(4, 2, "2.5");
  Widget<QTabWidget>("PageControl1")->setCurrentIndex(4);
  window->Refresh();
  auto* table = Widget<QTableWidget>("StringGrid1");
  const QRect cell = table->visualItemRect(table->item(1, 2));
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(form->StringGrid1.Row, 2);
  EXPECT_EQ(Widget<QLineEdit>("Edit10")->text(), QStringLiteral("P2"));
  EXPECT_EQ(Widget<QLineEdit>("Edit26")->text(), QStringLiteral("2.5"));

  auto* edit10 = Widget<QLineEdit>("Edit10");
  edit10->setFocus();
  edit10->selectAll();
  TypeText(edit10, QStringLiteral("南側"));
  EXPECT_EQ(table->item(1, 3)->text(), QStringLiteral("南側"));
  EXPECT_EQ(form->StringGrid1.Cells(3, 2), "南側");
}

TEST_F(MainWindowView, TheUpDownBesideABoxStepsFromTheTypedNumberWithinItsRange) {
  Start();
  auto* box = Widget<QLineEdit>("Edit9");
  auto* upDown = dynamic_cast<ui::UpDownButtons*>(window->Control("UpDown5"));
  ASSERT_NE(upDown, nullptr);
  form->Edit9.Text = "19";
  window->Refresh();
  upDown->UpButton()->click();
  EXPECT_EQ(box->text(), QStringLiteral("20"));
  upDown->UpButton()->click();
  EXPECT_EQ(box->text(), QStringLiteral("20"));  // the range ends at 20
  EXPECT_EQ(form->UpDown5.Position, 20);
  upDown->DownButton()->click();
  EXPECT_EQ(box->text(), QStringLiteral("19"));
}

TEST_F(MainWindowView, ThePreviewShowsTheFormsPixels) {
  Start();
  form->Image2.Pixels[0] = 0xff0000;                // top-left red
  form->Image2.Pixels[148 * 147 + 147] = 0x00c0c0;  // bottom-right
  window->Refresh();
  const QImage& picture = window->Preview()->Picture();
  ASSERT_EQ(picture.size(), QSize(148, 148));
  EXPECT_EQ(picture.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(picture.pixel(147, 147), qRgb(0, 0xc0, 0xc0));
  EXPECT_EQ(picture.pixel(1, 0), qRgb(0, 0, 0));
}

}  // namespace
}  // namespace vorn::testing
