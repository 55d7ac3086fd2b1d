// The list of known target CADs (display name, tab, ProgID per line in
// "TargetCAD_APIVersion.txt"), the start-up match against TargetProgID, and the dialog
// TTargetCADForm as a form model.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/controls.h"
#include "app/data_folders.h"

namespace vorn {

class Shell;

inline constexpr std::string_view kTargetListFileName = "TargetCAD_APIVersion.txt";
inline constexpr std::string_view kDefaultTargetProgID = "PCAD_AC_X.AcadApplication";

// The list file's lines (UTF-8; a CP932 file is converted), or nothing when the file does not
// exist. Blank lines are not entries and are dropped.
std::optional<std::vector<std::string>> ReadTargetList(const std::filesystem::path& path);
// Writes the lines with the platform's line breaks; returns an error text, empty on success.
std::string WriteTargetList(const std::filesystem::path& path,
                            const std::vector<std::string>& lines);

struct TargetMatch {
  std::string name;    // the line's text before the tab
  std::string progId;  // the line from where TargetProgID was found to its end
};

// The first line containing progId without regard to ASCII letter case. An empty ProgID
// matches nothing.
std::optional<TargetMatch> MatchTarget(const std::vector<std::string>& lines,
                                       std::string_view progId);

// A list line split at its first tab; a line without a tab is all ProgID.
struct TargetEntry {
  std::string name;
  std::string progId;
};
TargetEntry SplitTargetLine(std::string_view line);

class TTargetCADForm {
 public:
  enum class Result { None, Ok, Cancel };

  // The list file is looked up in `folders` at each use, so that edits saved into the
  // per-user folder are what the next showing reads.
  TTargetCADForm(Shell& shell, std::string title, DataFolders folders);

  std::string Caption = "ターゲット CAD";
  int ClientWidth = 315;
  int ClientHeight = 307;
  std::string FontName = "Tahoma";
  TListBox ListBox1;
  TEdit Edit1;
  TEdit Edit2;
  TLabel Label1{"名称 （説明）"};
  TLabel Label2{"ProgID （クラス文字列）"};
  TButton SpeedButton1{.Caption = "追加"};
  TButton SpeedButton2{.Caption = "削除"};
  TButton SpeedButton3{.Caption = "変更"};
  TButton Button1{.Caption = "OK"};
  TButton Button2{.Caption = "取り消し"};
  Result ModalResult = Result::None;

  void FormShow(std::string_view TargetProgID);
  void ListBox1Click();
  void SpeedButton1Click();  // add
  void SpeedButton2Click();  // delete
  void SpeedButton3Click();  // change
  // Enter in Edit1 or Edit2 changes the selected entry; returns whether the key reaches the box.
  bool EditKeyPress(char32_t key);
  void Button1Click();  // OK: the edit boxes become the choice
  void Button2Click();  // cancel

 private:
  void InsertSorted(std::string line);
  void Save();

  Shell& shell_;
  std::string title_;
  DataFolders folders_;
};

}  // namespace vorn
