// The window's parts on their own: the font stand-ins, the preview picture, typed points of
// the stand-in interaction, and the target-CAD dialog.
#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <fstream>

#include "ui/japanese_font.h"
#include "ui/preview_image.h"
#include "ui/target_cad_dialog.h"
#include "ui/text.h"
#include "window_fixture.h"

namespace vorn::testing {
namespace {

using ui::Q;

TEST(JapaneseFamily, TheWantedFontWhenInstalledElseAStandInOfTheSameKind) {
  struct Case {
    const char* wanted;
    QStringList installed;
    const char* chosen;
  };
  const Case cases[] = {
      {"ＭＳ Ｐゴシック", {"DejaVu Sans", "ＭＳ Ｐゴシック", "IPAPGothic"}, "ＭＳ Ｐゴシック"},
      {"ＭＳ Ｐゴシック", {"DejaVu Sans", "IPAGothic", "IPAPGothic"}, "IPAPGothic"},
      {"ＭＳ ゴシック", {"DejaVu Sans", "IPAPGothic", "IPAGothic"}, "IPAGothic"},
      {"ＭＳ Ｐゴシック", {"Noto Sans CJK JP", "DejaVu Sans"}, "Noto Sans CJK JP"},
      {"ＭＳ ゴシック", {"IPAPGothic"}, "IPAPGothic"},  // another kind beats none
      {"ＭＳ Ｐゴシック", {"DejaVu Sans"}, "ＭＳ Ｐゴシック"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ui::ChooseJapaneseFamily(Q(c.wanted), c.installed), Q(c.chosen)) << c.wanted;
  }
}

TEST(PreviewPicture, PixelsThatDoNotFitTheSizeGiveNoPicture) {
  EXPECT_TRUE(ui::ToQImage(TImage{2, 2, {0, 0, 0}}).isNull());
  EXPECT_TRUE(ui::ToQImage(TImage{0, 0, {}}).isNull());
  const QImage picture = ui::ToQImage(TImage{2, 1, {0x123456, 0xff808080}});
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.pixel(0, 0), qRgb(0x12, 0x34, 0x56));
  EXPECT_EQ(picture.pixel(1, 0), qRgb(0x80, 0x80, 0x80));
}

class TargetDialog : public WindowTest {
 protected:
  void WriteList(const std::string& text) {
    std::ofstream(Exe().parent_path() / "TargetCAD_APIVersion.txt", std::ios::binary) << text;
  }
};

TEST_F(TargetDialog, AddingAnEntrySavesTheListAndOkMakesItTheTarget) {
  WriteList("ZWCAD\tZWCAD.Application\n");
  Start();
  // The dialog as "変更" opens it: the user adds a CAD and presses OK.
  QTimer::singleShot(0, [] {
    auto* dialog = dynamic_cast<ui::TargetCadDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    auto* list = dialog->findChild<QListWidget*>(QStringLiteral("ListBox1"));
    EXPECT_EQ(list->count(), 1);
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("Edit1"));
    auto* progId = dialog->findChild<QLineEdit*>(QStringLiteral("Edit2"));
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, "BricsCAD");
    progId->setFocus();
    progId->selectAll();
    QTest::keyClicks(progId, "BricscadApp.AcadApplication");
    dialog->findChild<QAbstractButton*>(QStringLiteral("SpeedButton1"))->click();
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("BricsCAD\tBricscadApp.AcadApplication"));
    dialog->findChild<QAbstractButton*>(QStringLiteral("Button1"))->click();
  });
  Widget<QAbstractButton>("SpeedButton4")->click();

  EXPECT_EQ(form->TargetProgID, "BricscadApp.AcadApplication");
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Vorn2023 [ BricsCAD ]"));
  EXPECT_EQ(Widget<QLineEdit>("Edit42")->text(), QStringLiteral("BricscadApp.AcadApplication"));
  std::ifstream saved(Exe().parent_path() / "TargetCAD_APIVersion.txt", std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(saved)), {});
  EXPECT_NE(content.find("BricsCAD\tBricscadApp.AcadApplication"), std::string::npos);
}

TEST_F(TargetDialog, ClosingTheDialogKeepsTheTarget) {
  WriteList("ZWCAD\tZWCAD.Application\n");
  Start();
  const std::string before = form->TargetProgID;
  QTimer::singleShot(0, [] {
    auto* dialog = dynamic_cast<ui::TargetCadDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    auto* list = dialog->findChild<QListWidget*>(QStringLiteral("ListBox1"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("Edit2"))->text(),
              QStringLiteral("ZWCAD.Application"));
    dialog->close();
  });
  Widget<QAbstractButton>("SpeedButton4")->click();
  EXPECT_EQ(form->TargetProgID, before);
  EXPECT_EQ(form->TargetCADForm.ModalResult, TTargetCADForm::Result::Cancel);
}

}  // namespace
}  // namespace vorn::testing
