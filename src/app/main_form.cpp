#include "app/main_form.h"

#include <string>

#include "app/city_list.h"
#include "app/key_filter.h"
#include "app/number_box.h"
#include "app/result_grids.h"
#include "app/settings_file.h"
#include "geometry/sun_position.h"

namespace vorn {

namespace {

TButton Off(std::string caption, std::string hint = {}) {
  return TButton{std::move(caption), std::move(hint), false, true};
}

TButton On(std::string caption, std::string hint = {}) {
  return TButton{std::move(caption), std::move(hint), true, true};
}

TRadioGroup Seconds(std::string caption) {
  return TRadioGroup{std::move(caption), {"10秒", "30秒", "60秒"}, 1, -1, true};
}

TEdit Text(std::string text) { return TEdit{std::move(text), {}, true, false}; }

}  // namespace

TForm1::TForm1(Shell& shell, DataFolders folders, CadEnvironment cad)
    : TargetCADForm(shell, std::string(kApplicationTitle), folders),
      shell_(shell),
      folders_(std::move(folders)),
      cad_(cad) {
  ProgressBar1 = TProgressBar{100, 0};
  PageControl1.Pages = {" 時刻", "等時間", "特定点", "天空１", "天空２", " 設定１", "設定２"};
  BuildPageJikoku();
  BuildPageTouji();
  BuildPageTokutei();
  BuildPageTenku1();
  BuildPageTenku2();
  BuildPageSettei();
  BuildStaticTexts();
}

void TForm1::BuildStaticTexts() {
  const std::vector<std::pair<int, std::vector<std::string>>> texts = {
      {0, {"度", "分", "真北", "時刻", "～", "時", "間隔", "時間", "測定面の高さ", "ｍ"}},
      {2, {"番号修正", "測定面の高さ", "ﾒｰﾄﾙ"}},
      {3,
       {"図面の尺度", "測定面高さ", "ﾒｰﾄﾙ", "測定点No.", "半径", "(図寸)", "目盛", "（度）", "文字",
        "ﾊｯﾁ", "一括作図のXピッチ"}},
      {4, {"番号修正", "高さ修正", "ﾒｰﾄﾙ"}},
      {5,
       {"時刻", "等時間", "壁面", "(枠)", "(等時)", "特定点", "天空図", "(目盛)", "(三斜)", "(ﾊｯﾁ)",
        "(位置)", "文字高さ", "(実寸)"}},
  };
  for (const auto& [page, captions] : texts) {
    for (const auto& caption : captions) StaticTexts.push_back(TStaticText{page, caption});
  }
}

void TForm1::BuildPageJikoku() {
  Image2 = TImage{148, 148, std::vector<uint32_t>(148 * 148, 0)};
  SpeedButton2 = On("", "表示中のイメージを描画");
  UpDown3 = TUpDown{"左右に回転", 0, 1000, 315};
  UpDown4 = TUpDown{"上下に回転", 0, 1000, 60};
  CheckBox1 = TCheckBox{"直下", "仮想の直下線分を表示", true, true};
  ComboBox1.Text = "都市参照";
  ComboBox1.Hint = "主要都市の緯度を採用";
  ComboBox1.DropDownCount = 16;
  ComboBox1.FontName = "ＭＳ ゴシック";
  GroupBoxIdo.Caption = "緯度";
  SpeedButton1 = On("...", "２点指示で真北を設定");
  RadioGroup1 = TRadioGroup{"", {"冬至", "秋春", "夏至"}, 3, -1, true};
  Button2 = On("取得", "建物の図形を選択（右クリックで前回取得した建物）");
  Button17 = Off("ｱﾆﾒ", "時間ごとの日影線を表示");
  Button3 = Off("時刻", "時刻日影図を作成");
  Button10 = Off("中止", "アニメ、時刻日影の描画を中止");
}

void TForm1::BuildPageTouji() {
  GroupBoxTouji.Caption = "等時間日影図";
  CheckListBox1.Columns = 2;
  for (int i = 0; i < 14; ++i) {
    const int tenths = 15 + 5 * i;  // 1.5 … 8.0 hours
    CheckListBox1.Items.push_back(std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) +
                                  "Hr");
  }
  CheckListBox1.Checked.assign(14, false);
  RadioGroup5 = Seconds("評価時間");
  Button6 = Off("等時間日影", "等時間日影図を作成");
  GroupBoxHekimen.Caption = "壁面/壁面等時間";
  CheckBox4 = TCheckBox{"壁線上に描く", {}, false, true};
  CheckBox12 = TCheckBox{"ブロックとして作成", {}, false, true};
  RadioGroup6 = Seconds("評価時間");
  Button5 = Off("壁面/壁面等時間", "壁面線分を選択");
  Button7 = Off("中止");
}

void TForm1::BuildPageTokutei() {
  Button21 = Off("特定点連続指示", "特定点を連続で指示");
  Button22 = Off("特定点一括取得", "複数の特定点のマーク（円、番号）を一括で選択");
  Edit41 = Text("1");
  Edit6 = Text("0");
  RadioGroup3 = Seconds("");
  Button15 = On("作成");
  Button23 = On("再計算");
  Button4 = TButton{"特定点", "特定点を指示", true, false};
}

void TForm1::BuildPageTenku1() {
  SpeedButton8 = On("...", "DIMSCALEを取得");
  RadioGroup2 = TRadioGroup{"求積対象", {"AREA", "計画建物", "適合建物"}, 1, -1, true};
  GroupBoxTypeA.Caption = "type A ";
  GroupBoxTypeB.Caption = "type B ";
  CheckBox3 = TCheckBox{"求積表", {}, false, true};
  CheckBox6 = TCheckBox{"求積表", {}, false, true};
  CheckBox5 = TCheckBox{"位置表", {}, false, true};
  CheckBox7 = TCheckBox{"位置表", {}, false, true};
  Edit16 = Text("1");
  Edit14 = Text("1");
  UpDown2 = TUpDown{{}, 1, 1000, 1};
  UpDown6 = TUpDown{{}, 1, 1000, 1};
  CheckBox10 = TCheckBox{"天空図回転", "方位に合わせて天空図を回転", false, true};
  Button8 = On("測定点指示", "測定位置を指示");
  Button11 = On("測定点指示", "測定位置を指示");
}

void TForm1::BuildPageTenku2() {
  Button12 = Off("測定点連続指示", "測定点の座標を連続で指示");
  Button16 = Off("測定点一括取得", "複数の測定点のマーク（円と文字）を選択");
  Edit10 = Text("1");
  Edit26 = Text("0");
  RadioGroup4 = TRadioGroup{"", {"AREA", "計画", "適合"}, 1, -1, true};
  Button13 = On("作図(A)");
  Button14 = On("作図(B)");
  CheckBox9 = TCheckBox{"↓", {}, false, true};
  Button18 = Off("一括(A)");
  Button24 = Off("一括(B)");
  Button9 = On("再計算", "天空率の計算だけを行います");
}

void TForm1::BuildPageSettei() {
  GroupBoxLayer.Caption = "画層";
  GroupBoxCommon.Caption = "共通";
  GroupBoxSmoothing.Caption = "等時間・壁面等時間";
  GroupBoxEval.Caption = "等時間";
  GroupBoxJikoku.Caption = "時刻日影図";
  CheckBox8 = TCheckBox{"ｽﾑｰｼﾞﾝｸﾞ係数", {}, false, true};
  Edit9.ReadOnly = true;
  UpDown5 = TUpDown{{}, 2, 20, 4};
  Button20 = On("境界線作成", "敷地の線分を選択");
  Button19 = On("線分化");
  CheckBox2 = TCheckBox{"評価時間を 1/10 に", {}, false, true};
  CheckBox11 = TCheckBox{"時刻のみ記入（方位角不要）", {}, false, true};
  GroupBox15.Caption = "ターゲットCAD";
  Edit42.ReadOnly = true;
  SpeedButton4 = On("変更");
  LabelAboutName.Caption = "Vorn2023";
  LabelAboutBuild.Caption = "Build 2023.08.05 Beta";
}

std::filesystem::path TForm1::SettingsReadPath() const {
  return folders_.ReadPath(SettingsFileName(shell_.ExecutablePath()));
}

std::filesystem::path TForm1::SettingsWritePath() const {
  return folders_.WritePath(SettingsFileName(shell_.ExecutablePath()));
}

void TForm1::FormCreate() { FormCreate(IniFile::Load(SettingsReadPath())); }

void TForm1::FormCreate(const IniFile& settings) {
  TargetProgID = std::string(kDefaultTargetProgID);
  // The raster tables of the isochrones are constants of that layer; nothing to fill here.
  ComboBox1.Items = LoadCityItems(folders_.ReadPath(kCityFileName));
  GB_hyoukaidx = -1;
  GB_toujiidx = -1;
  PageControl1.ActivePageIndex = 0;
  SetupSkyGrid(StringGrid1);
  SetupPointGrid(StringGrid2);
  RadioGroup1.SetItemIndex(0);
  CheckListBox1.Checked[0] = true;
  Label22.Caption.clear();
  Label2.Caption.clear();
  Label24.Caption.clear();
  Label26.Caption.clear();
  ReadSettings(*this, settings, shell_.Screen());
  ShowTargetCad();
  StayOnTop = true;
  RadioGroup1Click();
  RadioGroup2Click();
  if (cad_.filterRegistry != nullptr) {
    MessageFilter.RegisterFilter(*cad_.filterRegistry, cad_.filterHandle);
  }
  shell_.PlaceTopMost();
}

void TForm1::FormDestroy() {
  const auto path = SettingsWritePath();
  const std::string error = WriteSettings(*this, IniFile::Load(path)).Save(path);
  if (!error.empty()) ShowMessage(error);
  if (cad_.filterRegistry != nullptr) MessageFilter.RevokeFilter(*cad_.filterRegistry);
}

cad::CadLink TForm1::MakeCadLink() {
  return cad::CadLink{TargetProgID, cad_.windows, cad_.clock, bridge_};
}

bool TForm1::RunCommand(const std::function<void()>& body) {
  return RunGuarded(shell_, Title, body);
}

void TForm1::ShowMessage(std::string_view text) { shell_.ShowMessage(Title, text); }

bool TForm1::RunStep(int progressPosition) {
  ProgressBar1.Position = progressPosition;
  shell_.ProcessMessages();
  return RunningFlag;
}

void TForm1::SetKernelProgress(bool on) {
  workspace.KernelProgress = on ? &progressSink_ : nullptr;
}

bool TForm1::KeyPress(std::string_view control, char32_t key) {
  const KeyVerdict verdict = FilterKey(control, key);
  if (control == "Edit26" && key == kKeyEnter) {
    Edit26Enter();
    return false;
  }
  if (verdict.action == KeyAction::Focus) ActiveControl = verdict.focus;
  return verdict.action == KeyAction::Pass;
}

void TForm1::ComboBox1Change() {
  const int i = ComboBox1.ItemIndex;
  if (i < 0 || i >= static_cast<int>(ComboBox1.Items.size())) return;
  const CityLatitude lat = ParseCityLatitude(ComboBox1.Items[i]);
  Edit3.Text = lat.degrees;
  Edit5.Text = lat.minutes;
  Edit23.Text = lat.seconds;
}

void TForm1::RadioGroup1Click() {
  // With no season chosen the last declination stays.
  const int item = RadioGroup1.ItemIndex;
  if (item >= 0 && item <= 2) workspace.sun.SunDeclination = SeasonDeclination(item);
}

void TForm1::ReadShadowParameters() {
  GB_kita = BoxToDouble(Edit12);
  GB_kisetu = RadioGroup1.ItemIndex;
  GB_idodo = BoxToDouble(Edit3);
  GB_idohun = BoxToDouble(Edit5);
  GB_idobyou = BoxToDouble(Edit23);
  GB_takasa = BoxToDouble(Edit4) * 1000.0;
  GB_kaisi = BoxToDouble(Edit2);
  GB_owari = BoxToDouble(Edit7);
  SetSunState(workspace.sun, workspace.sun.SunDeclination,
              LatitudeRadians(GB_idodo, GB_idohun, GB_idobyou), GB_kita);
}

void TForm1::MirrorAreaChoice(int itemIndex) {
  RadioGroup2.SetItemIndex(itemIndex);
  RadioGroup4.SetItemIndex(itemIndex);
  const bool tables = RadioGroup2.ItemIndex != 0;
  CheckBox3.Enabled = tables;
  CheckBox6.Enabled = tables;
  CheckBox5.Enabled = tables;
  CheckBox7.Enabled = tables;
}

void TForm1::RadioGroup2Click() { MirrorAreaChoice(RadioGroup2.ItemIndex); }
void TForm1::RadioGroup4Click() { MirrorAreaChoice(RadioGroup4.ItemIndex); }

void TForm1::UpDown5Click() { Edit9.Text = std::to_string(UpDown5.Position); }
void TForm1::UpDown2Click() { Edit16.Text = std::to_string(UpDown2.Position); }
void TForm1::UpDown6Click() { Edit14.Text = std::to_string(UpDown6.Position); }

void TForm1::Edit6Change() { Button15.Enabled = false; }

void TForm1::Edit10Change() {
  if (RowHasX(StringGrid1, StringGrid1.Row)) StringGrid1.SetCell(3, StringGrid1.Row, Edit10.Text);
}

void TForm1::Edit26Change() {
  if (!RowHasXY(StringGrid1, StringGrid1.Row)) return;
  StringGrid1.SetCell(4, StringGrid1.Row, Edit26.Text);
  // The diagrams would use a height the sky factors were not computed for.
  Button13.Enabled = false;
  Button14.Enabled = false;
  Button18.Enabled = false;
  Button24.Enabled = false;
}

void TForm1::Edit26Enter() {
  const int row = StringGrid1.Row;
  if (!RowHasXY(StringGrid1, row)) return;
  if (Edit26.Text.find_first_not_of(" \t") != std::string::npos) {
    StringGrid1.SetCell(4, row, Edit26.Text);
  }
  StringGrid1.Row = row + 1 < StringGrid1.RowCount() ? row + 1 : 1;
  ActiveControl = "Edit10";
}

void TForm1::Edit41Change() {
  if (RowHasX(StringGrid2, StringGrid2.Row)) StringGrid2.SetCell(3, StringGrid2.Row, Edit41.Text);
}

void TForm1::StringGrid1Click() {
  const int row = StringGrid1.Row;
  if (!RowHasX(StringGrid1, row)) return;
  Edit10.Text = StringGrid1.Cells(3, row);
  Edit26.Text = StringGrid1.Cells(4, row);
}

void TForm1::StringGrid2Click() {
  const int row = StringGrid2.Row;
  if (RowHasX(StringGrid2, row)) Edit41.Text = StringGrid2.Cells(3, row);
}

void TForm1::N2Click() {
  sg = PageControl1.ActivePageIndex == 2 ? &StringGrid2 : &StringGrid1;
  ReverseRows(*sg);
}

void TForm1::N1Click() {
  sg = PageControl1.ActivePageIndex == 2 ? &StringGrid2 : &StringGrid1;
  shell_.SetClipboardText(GridText(*sg));
}

void TForm1::ShowTargetCad() {
  const auto lines = ReadTargetList(folders_.ReadPath(kTargetListFileName));
  if (!lines) return;
  const auto match = MatchTarget(*lines, TargetProgID);
  if (!match) return;
  Caption = Title + " [ " + match->name + " ]";
  GroupBox15.Caption = "ターゲットCAD = " + match->name;
  Edit42.Text = match->progId;
}

void TForm1::ApplyTarget(const std::string& name, const std::string& progId) {
  Caption = Title + " [ " + name + " ]";
  TargetProgID = progId;
  Edit42.Text = progId;
  GroupBox15.Caption = "ターゲットCAD = " + name;
}

void TForm1::SpeedButton4Click() {
  TargetCADForm.FormShow(TargetProgID);
  shell_.ShowTargetCadDialog(TargetCADForm);
  if (TargetCADForm.ModalResult == TTargetCADForm::Result::Ok) {
    ApplyTarget(TargetCADForm.Edit1.Text, TargetCADForm.Edit2.Text);
  }
}

}  // namespace vorn
