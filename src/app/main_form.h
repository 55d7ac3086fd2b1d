// TForm1, the main window as a form model: every control of the seven pages as a value, the
// GB_ fields the commands fill, the run control and the handlers. A view renders the controls,
// forwards the user's input to the handlers and redraws after each one (and inside
// Shell::ProcessMessages during long runs). The form reaches the world only through the Shell
// and the CAD link.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "app/controls.h"
#include "app/data_folders.h"
#include "app/ini_file.h"
#include "app/shell.h"
#include "app/target_cad.h"
#include "cad/cad_interface.h"
#include "cad/cad_operations.h"
#include "cad/cad_services.h"
#include "cad/command_line.h"
#include "cad/message_filter.h"
#include "geometry/progress.h"
#include "geometry/records.h"
#include "geometry/sun_position.h"
#include "geometry/workspace.h"

namespace vorn {

inline constexpr std::string_view kApplicationTitle = "Vorn2023";
inline constexpr std::string_view kBuiltInCaption = "Vorn2023.07.28 Beta";

// The CAD side of the form: the running-object lookup and the desktop services the CAD
// operations need. Off Windows the drawing host supplies them. The COM backend also gives the
// system's message-filter registry and the handle of its filter object; without them (the
// drawing host) no filter is needed. The desktop's windows for the command-line path to
// AutoCAD exist only on Windows; without them that path reports itself unavailable.
struct CadEnvironment {
  cad::CadConnector& connector;
  cad::DesktopWindows& windows;
  cad::CadClock& clock;
  cad::MessageFilterRegistry* filterRegistry = nullptr;
  std::uintptr_t filterHandle = 0;
  cad::WindowSystem* commandLineWindows = nullptr;
};

class TForm1 {
 public:
  // The shell and the CAD environment must outlive the form.
  TForm1(Shell& shell, DataFolders folders, CadEnvironment cad);
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // ---- Window ----
  std::string Caption{kBuiltInCaption};
  std::string Title{kApplicationTitle};  // the application title, caption of message boxes
  int ClientWidth = 336;
  int ClientHeight = 261;
  // The outer size with a single fixed border and a caption bar, used to centre the window.
  int Width = 342;
  int Height = 290;
  int Left = 0;
  int Top = 0;
  std::string FontName = "ＭＳ Ｐゴシック";
  int FontHeight = 12;
  bool StayOnTop = false;
  std::string ActiveControl;  // the control with the keyboard focus

  TProgressBar ProgressBar1;
  TPageControl PageControl1;

  // Fixed texts beside the boxes, by page, for the view to lay out.
  std::vector<TStaticText> StaticTexts;

  // ---- Page " 時刻" ----
  TImage Image2;  // the wireframe preview, in Panel1; pixels 0xRRGGBB row by row from the top
  TButton SpeedButton2;
  TUpDown UpDown3;
  TUpDown UpDown4;
  TCheckBox CheckBox1;
  TComboBox ComboBox1;
  TGroupBox GroupBoxIdo;
  TEdit Edit3, Edit5, Edit23;  // latitude degrees, minutes, seconds
  TEdit Edit12;                // true north, degrees
  TButton SpeedButton1;
  TRadioGroup RadioGroup1;     // season
  TEdit Edit2, Edit7, Edit11;  // hours from, to, step
  TEdit Edit4;                 // plane height of the hourly shadows, m
  TButton Button2, Button17, Button3, Button10;

  // ---- Page "等時間" ----
  TGroupBox GroupBoxTouji;
  TCheckListBox CheckListBox1;
  TRadioGroup RadioGroup5;
  TLabel Label22, Label2;
  TButton Button6;
  TGroupBox GroupBoxHekimen;
  TCheckBox CheckBox4, CheckBox12;
  TRadioGroup RadioGroup6;
  TLabel Label24, Label26;
  TButton Button5, Button7;

  // ---- Page "特定点" ----
  TButton Button21, Button22;
  TEdit Edit41, Edit6;
  TRadioGroup RadioGroup3;
  TStringGrid StringGrid2;
  TButton Button15, Button23;
  TButton Button4;  // "特定点": not shown, but switched with the command set

  // ---- Page "天空１" ----
  TEdit Edit19;  // drawing scale
  TButton SpeedButton8;
  TEdit Edit17;  // sky-factor plane height, m
  TRadioGroup RadioGroup2;
  TGroupBox GroupBoxTypeA, GroupBoxTypeB;
  TCheckBox CheckBox3, CheckBox6;  // area tables A, B
  TCheckBox CheckBox5, CheckBox7;  // position tables A, B
  TEdit Edit16, Edit14;            // point numbers A, B
  TUpDown UpDown2, UpDown6;
  TEdit Edit15, Edit21;  // radius A, B
  TEdit Edit13, Edit24;  // scale marks A, B
  TEdit Edit20, Edit22;  // text A, B
  TEdit Edit18, Edit25;  // hatch A, B
  TEdit Edit8, Edit40;   // batch X pitch A, B
  TCheckBox CheckBox10;
  TButton Button8, Button11;

  // ---- Page "天空２" ----
  TButton Button12, Button16;
  TEdit Edit10, Edit26;
  TRadioGroup RadioGroup4;
  TStringGrid StringGrid1;
  TButton Button13, Button14;
  TCheckBox CheckBox9;
  TButton Button18, Button24, Button9;

  // ---- Page " 設定１" ----
  TGroupBox GroupBoxLayer, GroupBoxCommon, GroupBoxSmoothing;
  TEdit Edit27, Edit28, Edit29, Edit30, Edit31, Edit32, Edit33, Edit34, Edit36, Edit35, Edit37;
  TEdit Edit38;  // text height
  TCheckBox CheckBox8;
  TEdit Edit9;
  TUpDown UpDown5;

  // ---- Page "設定２" ----
  TGroupBox GroupBoxEval, GroupBoxJikoku;
  TButton Button20, Button19;
  TCheckBox CheckBox2, CheckBox11;
  TGroupBox GroupBox15;
  TEdit Edit42;
  TButton SpeedButton4;
  TLabel LabelAboutName, LabelAboutBuild;

  // ---- Menus ----
  TMenuItem N2{.Name = "N2", .Caption = "順位を反転"};
  TMenuItem N3{.Name = "N3", .Caption = "-"};
  TMenuItem N1{.Name = "N1", .Caption = "すべてをクリップボードにコピー"};
  TMenuItem N4{.Name = "N4", .Caption = "-"};
  TMenuItem N8{.Name = "N8", .Caption = "直前に取得した図形を採用"};
  TMenuItem N6{.Name = "N6", .Caption = "その１つ前に取得した図形を採用"};
  TMenuItem N5{.Name = "N5", .Caption = "取り消し"};

  // ---- Fields the commands fill ----
  double GB_kita = 0.0;
  int GB_kisetu = 0;
  double GB_idodo = 0.0, GB_idohun = 0.0, GB_idobyou = 0.0;
  double GB_takasa = 0.0;
  double GB_kaisi = 0.0, GB_owari = 0.0;
  int GB_toujiidx = -1, GB_hyoukaidx = -1;
  double GB_cvsc = 0.0, GB_xcen = 0.0, GB_ycen = 0.0;
  int GB_Draw3dHdeg = 315, GB_Draw3dVdeg = 60;
  TStringGrid* sg = nullptr;  // the grid the grid menu acted on last
  std::string GB_TenMeiA, GB_TenMeiB;
  TAcadPoint IDPOINT1, IDPOINT2;
  std::string MENTAKA;
  double gbzmax = 0.0;

  // ---- Shared state of the runs ----
  Workspace workspace;
  std::string TargetProgID{kDefaultTargetProgID};
  bool RunningFlag = false;

  TTargetCADForm TargetCADForm;
  // Retries calls that a busy CAD rejects; registered from start-up to shut-down.
  cad::TMessageFilter MessageFilter;

  // ---- Life cycle ----
  // Start-up, in order: target default, city list, isochrone indices, first page, grid
  // headers, season and first isochrone item, status labels, settings, target caption,
  // stay-on-top, season and area handlers, message filter, top-most placement. The settings
  // come from the settings file.
  void FormCreate();
  // The same start-up on settings from elsewhere (the batch tool's defaults, file and
  // overrides), so every start-up handler runs on them as it would on the file's.
  void FormCreate(const IniFile& settings);
  // Shut-down: settings written, message filter revoked.
  void FormDestroy();

  Shell& shell() { return shell_; }
  CadEnvironment& cad() { return cad_; }
  // The surroundings of the CAD operations for the current target.
  cad::CadLink MakeCadLink();
  // The main window as the CAD operations minimise and restore it.
  cad::MainWindowState& MainWindow() { return bridge_; }
  const DataFolders& folders() const { return folders_; }
  std::filesystem::path SettingsReadPath() const;
  std::filesystem::path SettingsWritePath() const;

  // ---- Commands' helpers ----
  // Runs a command body; a box that is not a number ends it with a message box.
  bool RunCommand(const std::function<void()>& body);
  void ShowMessage(std::string_view text);
  // Fills the fields the shadow runs start from (GB_kita, GB_kisetu, GB_idodo, GB_idohun,
  // GB_idobyou, GB_takasa in mm, GB_kaisi, GB_owari) and the sun values of the workspace.
  // Throws ConversionError for a box that is not a number.
  void ReadShadowParameters();
  // One polling step of a long run: progress, pending events, then whether to go on.
  bool RunStep(int progressPosition);
  // While set, the kernel steps move ProgressBar1 and let the view process pending events
  // themselves (the sky-factor runs, which have no stop button).
  void SetKernelProgress(bool on);
  bool KernelProgress() const { return workspace.KernelProgress != nullptr; }

  // ---- Key input ----
  // A key typed into a control: applies the control's filter and Enter behaviour; returns
  // whether the key reaches the box.
  bool KeyPress(std::string_view control, char32_t key);

  // ---- Handlers of this layer ----
  void ComboBox1Change();
  void RadioGroup1Click();
  void RadioGroup2Click();
  void RadioGroup4Click();
  void UpDown5Click();  // Edit9 shows the position
  void UpDown2Click();  // Edit16 shows the position
  void UpDown6Click();  // Edit14 shows the position
  void Edit6Change();
  void Edit10Change();
  void Edit26Change();
  void Edit41Change();
  void StringGrid1Click();
  void StringGrid2Click();
  void N1Click();
  void N2Click();
  void PageControl1Change();
  void SpeedButton1Click();  // true-north pick
  void SpeedButton4Click();  // target-CAD dialog
  void Button10Click();
  void Button7Click();
  void Button23Click();
  void RunEsc();

  // Button states around the long runs.
  void BeginHourlyRun();
  void EndHourlyRun();
  void BeginIsochroneRun();  // isochrones and wall shadows
  void EndIsochroneRun();
  void BeginPointTimeRun();
  void EndPointTimeRun();

  // The start-up match of the target list: captions and Edit42.
  void ShowTargetCad();
  // Makes a name and ProgID the target (the dialog's OK).
  void ApplyTarget(const std::string& name, const std::string& progId);

  // ---- Commands of the other layers ----
  void Button2Click();  // building pick
  // A mouse button pressed on Button2: the right button enables the menu items that apply
  // and returns true, asking the view to pop PopupMenu2 up at the mouse.
  bool Button2MouseDown(bool rightButton);
  void N6Click();       // both "adopt the earlier pick" items
  void Button3Click();  // hourly shadows
  void DrawVornLine(bool animate);
  void Button17Click();  // animation
  void Button5Click();
  void Button6Click();
  void DrawToujikan5A();  // the isochrone run's body
  void Button8Click();
  void Button9Click();
  void Button11Click();
  void Button12Click();
  void Button13Click();
  void Button14Click();
  void Button15Click();
  void Button16Click();
  void Button18Click();
  void Button19Click();
  void Button20Click();
  void Button21Click();
  void Button22Click();
  void Button24Click();
  void SpeedButton2Click();
  void SpeedButton8Click();
  // The preview's turn and tilt: `up` is the right (or upper) arrow.
  void UpDown3Click(bool up);
  void UpDown4Click(bool up);
  // Redraws the wireframe preview into Image2; with makeDxf also draws it into the CAD as a
  // block that the user places.
  void DrawWaku3D(bool makeDxf);
  void CheckBox1Click();
  void CheckListBox1Click();  // mesh-size read-out
  void RadioGroup5Click();
  void RecalculatePointTimes();  // Button23 while it reads "再計算"

  // ---- Point entry and shadow time at points (point_commands.cpp) ----
  void Button21Click(const TButton& Sender);  // Button21 (mode 1) and Button12 (mode 0)
  void Button22Click(const TButton& Sender);  // Button22 (mode 1) and Button16 (mode 0)
  // Specific points picked with AutoCAD's ID command over its command-line window, then their
  // shadow times and annotation.
  void Button4Click();
  // AryPoint into StringGrid2 (sgno != 0) or StringGrid1, labelled, in order.
  void TempPointsToSG(int sgno);
  void GetTokuteiJikan();
  void DrawNiniText();

 private:
  void BuildPageJikoku();
  void BuildPageTouji();
  void BuildPageTokutei();
  void BuildPageTenku1();
  void BuildPageTenku2();
  void BuildPageSettei();
  void BuildStaticTexts();
  void Edit26Enter();
  void MirrorAreaChoice(int itemIndex);
  void SetCommandSet(bool enabled);

  // Routes the CAD operations' messages and window requests to the shell.
  class ShellBridge final : public cad::UserMessages, public cad::MainWindowState {
   public:
    explicit ShellBridge(TForm1& form) : form_(form) {}
    void ShowMessage(const std::string& text) override { form_.ShowMessage(text); }
    void Minimize() override { form_.shell_.MinimizeMainWindow(); }
    void Restore() override { form_.shell_.RestoreMainWindow(); }

   private:
    TForm1& form_;
  };

  // ProgressBar1 as the kernel steps drive it.
  class ProgressBarSink final : public ProgressSink {
   public:
    explicit ProgressBarSink(TForm1& form) : form_(form) {}
    void SetMaximum(int maximum) override { form_.ProgressBar1.Max = maximum; }
    void SetPosition(int position) override { form_.ProgressBar1.Position = position; }
    int Position() const override { return form_.ProgressBar1.Position; }
    void ProcessMessages() override { form_.shell_.ProcessMessages(); }

   private:
    TForm1& form_;
  };

  Shell& shell_;
  DataFolders folders_;
  CadEnvironment cad_;
  ShellBridge bridge_{*this};
  ProgressBarSink progressSink_{*this};
};

// The command set of the run control: Button2, 3, 17, 4, 5, 6, 8, 9, 11.
std::vector<TButton*> CommandSet(TForm1& form);

}  // namespace vorn
