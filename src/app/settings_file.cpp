#include "app/settings_file.h"

#include <array>
#include <cstdint>

#include "app/main_form.h"

namespace vorn {

namespace {

enum class Kind { Left, Top, Text, Bool, Radio, Checks, Smoothing, RadioWrittenOnly, Area, Target };

struct Setting {
  const char* section;
  const char* key;
  Kind kind;
  TEdit TForm1::*edit = nullptr;
  TCheckBox TForm1::*check = nullptr;
  TRadioGroup TForm1::*radio = nullptr;
  const char* text = "";  // default of a text key
  int number = 0;         // default of an integer or Boolean key
};

constexpr Setting Str(const char* s, const char* k, TEdit TForm1::*e, const char* d) {
  return {s, k, Kind::Text, e, nullptr, nullptr, d, 0};
}
constexpr Setting Flag(const char* s, const char* k, TCheckBox TForm1::*c, bool d) {
  return {s, k, Kind::Bool, nullptr, c, nullptr, "", d ? 1 : 0};
}
constexpr Setting Radio(const char* s, const char* k, TRadioGroup TForm1::*r, int d) {
  return {s, k, Kind::Radio, nullptr, nullptr, r, "", d};
}
constexpr Setting Special(const char* s, const char* k, Kind kind, int d = 0) {
  return {s, k, kind, nullptr, nullptr, nullptr, "", d};
}

// Every key in the order the file is written.
constexpr std::array kSettings = {
    Special("Form", "Left", Kind::Left),
    Special("Form", "Top", Kind::Top),
    Str("Common", "ido1", &TForm1::Edit3, "36"),
    Str("Common", "ido2", &TForm1::Edit5, "0"),
    Str("Common", "ido3", &TForm1::Edit23, "0"),
    Str("Common", "makita", &TForm1::Edit12, "90.0"),
    Str("Common", "takasa", &TForm1::Edit4, "4.0"),
    Str("Tokutei", "takasa", &TForm1::Edit6, "0.0"),
    Str("Common", "takasa2", &TForm1::Edit38, "300.0"),
    Radio("Common", "kisetsu", &TForm1::RadioGroup1, 0),
    Flag("Jikoku", "NotHoui", &TForm1::CheckBox11, true),
    Str("Jikoku", "kaishi", &TForm1::Edit2, "8.0"),
    Str("Jikoku", "owari", &TForm1::Edit7, "16.0"),
    Str("Jikoku", "kankaku", &TForm1::Edit11, "1.0"),
    Special("Touji", "chk", Kind::Checks, 1),
    Radio("Touji", "kankaku", &TForm1::RadioGroup3, 1),
    Radio("Touji", "kankaku2", &TForm1::RadioGroup5, 1),
    Radio("Touji", "kankaku3", &TForm1::RadioGroup6, 1),
    Special("Touji", "tyokusen", Kind::Smoothing, 4),
    Flag("Touji", "tyokuchk", &TForm1::CheckBox8, true),
    Setting{"Nini", "kankaku", Kind::RadioWrittenOnly, nullptr, nullptr, &TForm1::RadioGroup3},
    Flag("Hekimen", "senjou", &TForm1::CheckBox4, true),
    Flag("Hekimen", "block", &TForm1::CheckBox12, false),
    Str("Tenku", "Takasa", &TForm1::Edit17, "0"),
    Special("Tenku", "Menseki", Kind::Area, 0),
    Str("Tenku", "Hankei", &TForm1::Edit15, "25"),
    Flag("Tenku", "Kyuseki", &TForm1::CheckBox3, true),
    Str("Tenku", "Syakudo", &TForm1::Edit19, "200"),
    Str("Tenku", "Moji", &TForm1::Edit20, "3.0"),
    Flag("Tenku", "tateiti", &TForm1::CheckBox5, true),
    Str("Tenku", "HankeiB", &TForm1::Edit21, "100"),
    Flag("Tenku", "KyusekiB", &TForm1::CheckBox6, true),
    Str("Tenku", "MojiB", &TForm1::Edit22, "10.0"),
    Flag("Tenku", "tateitiB", &TForm1::CheckBox7, true),
    Flag("Tenku", "NextRow", &TForm1::CheckBox9, false),
    Str("Tenku", "MemoriB", &TForm1::Edit24, "10"),
    Str("Tenku", "HatchB", &TForm1::Edit25, "2"),
    Str("Tenku", "Memori", &TForm1::Edit13, "0"),
    Str("Tenku", "Hatch", &TForm1::Edit18, "0"),
    Str("Layer", "Jikoku", &TForm1::Edit27, "VORN_JIKOKU"),
    Str("Layer", "Touji", &TForm1::Edit28, "VORN_TOUJI"),
    Str("Layer", "Hekimen", &TForm1::Edit29, "VORN_HEKIMEN"),
    Str("Layer", "Hwaku", &TForm1::Edit30, "VORN_HWAKU"),
    Str("Layer", "Htouji", &TForm1::Edit31, "VORN_HTOJI"),
    Str("Layer", "Nini", &TForm1::Edit32, "VORN_NINI"),
    Str("Layer", "Tenku", &TForm1::Edit33, "VORN_TENKU"),
    Str("Layer", "Tmemori", &TForm1::Edit34, "VORN_TMEMORI"),
    Str("Layer", "Thatch", &TForm1::Edit35, "VORN_THATCH"),
    Str("Layer", "Tsansya", &TForm1::Edit36, "VORN_TSANSYA"),
    Str("Layer", "Ttateiti", &TForm1::Edit37, "VORN_TTATEITI"),
    Str("Tenku", "IkkatsuA", &TForm1::Edit8, "75"),
    Str("Tenku", "IkkatsuB", &TForm1::Edit40, "300"),
    Flag("Tenku", "Kaiten", &TForm1::CheckBox10, true),
    Special("Target", "ProgID", Kind::Target),
};

std::string CheckKey(std::size_t index) { return "chk" + std::to_string(index); }

// Centred when stored past the far edge; 64-bit so that a huge stored value cannot overflow.
int PlaceOnScreen(int stored, int size, int screen) {
  const int centred = (screen - size) / 2;
  return static_cast<int64_t>(stored) + size > screen ? centred : stored;
}

void ReadOne(TForm1& f, const IniFile& ini, const Setting& s, ScreenSize screen) {
  switch (s.kind) {
    case Kind::Left:
      f.Left = PlaceOnScreen(ini.ReadInteger(s.section, s.key, (screen.width - f.Width) / 2),
                             f.Width, screen.width);
      break;
    case Kind::Top:
      f.Top = PlaceOnScreen(ini.ReadInteger(s.section, s.key, (screen.height - f.Height) / 2),
                            f.Height, screen.height);
      break;
    case Kind::Text:
      (f.*s.edit).Text = ini.ReadString(s.section, s.key, s.text);
      break;
    case Kind::Bool:
      (f.*s.check).Checked = ini.ReadBool(s.section, s.key, s.number != 0);
      break;
    case Kind::Radio:
      (f.*s.radio).SetItemIndex(ini.ReadInteger(s.section, s.key, s.number));
      break;
    case Kind::Checks:
      for (std::size_t i = 0; i < f.CheckListBox1.Checked.size(); ++i) {
        f.CheckListBox1.Checked[i] = ini.ReadBool(s.section, CheckKey(i), s.number != 0);
      }
      break;
    case Kind::Smoothing:
      f.UpDown5.SetPosition(ini.ReadInteger(s.section, s.key, s.number));
      f.Edit9.Text = std::to_string(f.UpDown5.Position);
      break;
    case Kind::RadioWrittenOnly:
      break;
    case Kind::Area:
      f.RadioGroup2.SetItemIndex(ini.ReadInteger(s.section, s.key, s.number));
      f.RadioGroup4.SetItemIndex(f.RadioGroup2.ItemIndex);
      break;
    case Kind::Target:
      f.TargetProgID = ini.ReadString(s.section, s.key, kDefaultTargetProgID);
      break;
  }
}

void WriteOne(const TForm1& f, IniFile& ini, const Setting& s) {
  switch (s.kind) {
    case Kind::Left:
      ini.WriteInteger(s.section, s.key, f.Left);
      break;
    case Kind::Top:
      ini.WriteInteger(s.section, s.key, f.Top);
      break;
    case Kind::Text:
      ini.WriteString(s.section, s.key, (f.*s.edit).Text);
      break;
    case Kind::Bool:
      ini.WriteBool(s.section, s.key, (f.*s.check).Checked);
      break;
    case Kind::Radio:
    case Kind::RadioWrittenOnly:
      ini.WriteInteger(s.section, s.key, (f.*s.radio).ItemIndex);
      break;
    case Kind::Checks:
      for (std::size_t i = 0; i < f.CheckListBox1.Checked.size(); ++i) {
        ini.WriteBool(s.section, CheckKey(i), f.CheckListBox1.Checked[i]);
      }
      break;
    case Kind::Smoothing:
      ini.WriteInteger(s.section, s.key, f.UpDown5.Position);
      break;
    case Kind::Area:
      ini.WriteInteger(s.section, s.key, f.RadioGroup2.ItemIndex);
      break;
    case Kind::Target:
      ini.WriteString(s.section, s.key, f.TargetProgID);
      break;
  }
}

}  // namespace

std::string SettingsFileName(const std::filesystem::path& executable) {
  std::filesystem::path name = executable.filename();
  if (name.empty()) name = "vorn";
  name.replace_extension(".ini");
  return name.string();
}

void ReadSettings(TForm1& form, const IniFile& ini, ScreenSize screen) {
  for (const Setting& s : kSettings) ReadOne(form, ini, s, screen);
}

IniFile WriteSettings(const TForm1& form, IniFile ini) {
  for (const Setting& s : kSettings) WriteOne(form, ini, s);
  return ini;
}

}  // namespace vorn
