#include "app/target_cad.h"

#include <algorithm>

#include "app/file_io.h"
#include "app/key_filter.h"
#include "app/shell.h"

namespace vorn {

namespace {

#ifdef _WIN32
constexpr std::string_view kLineBreak = "\r\n";
#else
constexpr std::string_view kLineBreak = "\n";
#endif

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), LowerAscii);
  return out;
}

// The order a sorted list box shows: letter case ignored, ties kept stable by byte order.
bool ListLess(const std::string& a, const std::string& b) {
  const std::string la = Lower(a);
  const std::string lb = Lower(b);
  return la != lb ? la < lb : a < b;
}

}  // namespace

std::optional<std::vector<std::string>> ReadTargetList(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  std::optional<std::vector<std::string>> lines = ReadTextFileLines(path);
  if (!lines) return std::nullopt;
  std::erase_if(*lines, [](const std::string& line) {
    return line.find_first_not_of(" \t") == std::string::npos;
  });
  return lines;
}

std::string WriteTargetList(const std::filesystem::path& path,
                            const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) {
    text += line;
    text += kLineBreak;
  }
  return WriteFileAtomically(path, text);
}

std::optional<TargetMatch> MatchTarget(const std::vector<std::string>& lines,
                                       std::string_view progId) {
  if (progId.empty()) return std::nullopt;
  const std::string wanted = Lower(progId);
  for (const auto& line : lines) {
    const std::size_t at = Lower(line).find(wanted);
    if (at == std::string::npos) continue;
    const std::size_t tab = line.find('\t');
    return TargetMatch{tab == std::string::npos ? std::string() : line.substr(0, tab),
                       line.substr(at)};
  }
  return std::nullopt;
}

TargetEntry SplitTargetLine(std::string_view line) {
  const std::size_t tab = line.find('\t');
  if (tab == std::string_view::npos) return {{}, std::string(line)};
  return {std::string(line.substr(0, tab)), std::string(line.substr(tab + 1))};
}

TTargetCADForm::TTargetCADForm(Shell& shell, std::string title, DataFolders folders)
    : shell_(shell), title_(std::move(title)), folders_(std::move(folders)) {
  ListBox1.Sorted = true;
}

void TTargetCADForm::FormShow(std::string_view TargetProgID) {
  ModalResult = Result::None;
  auto lines = ReadTargetList(folders_.ReadPath(kTargetListFileName));
  if (!lines) return;  // without a file the list keeps what it showed last
  std::stable_sort(lines->begin(), lines->end(), ListLess);
  ListBox1.Items = std::move(*lines);
  ListBox1.ItemIndex = -1;
  // Built by appending: a literal before a temporary string makes GCC 12's optimiser report a
  // false overlap (-Wrestrict) inside std::string.
  std::string wanted = "\t";
  wanted += TargetProgID;
  for (std::size_t i = 0; i < ListBox1.Items.size(); ++i) {
    if (ListBox1.Items[i].find(wanted) != std::string::npos) {
      ListBox1.ItemIndex = static_cast<int>(i);
      ListBox1Click();
      break;
    }
  }
}

void TTargetCADForm::ListBox1Click() {
  const int i = ListBox1.ItemIndex;
  if (i < 0 || i >= static_cast<int>(ListBox1.Items.size())) return;
  const TargetEntry entry = SplitTargetLine(ListBox1.Items[i]);
  Edit1.Text = entry.name;
  Edit2.Text = entry.progId;
}

void TTargetCADForm::InsertSorted(std::string line) {
  const auto at = std::upper_bound(ListBox1.Items.begin(), ListBox1.Items.end(), line, ListLess);
  ListBox1.Items.insert(at, std::move(line));
}

void TTargetCADForm::SpeedButton1Click() {
  const std::string line = Edit1.Text + "\t" + Edit2.Text;
  InsertSorted(line);
  const auto found = std::find(ListBox1.Items.begin(), ListBox1.Items.end(), line);
  ListBox1.ItemIndex = static_cast<int>(found - ListBox1.Items.begin());
  ListBox1Click();
  Save();
}

void TTargetCADForm::SpeedButton2Click() {
  const int i = ListBox1.ItemIndex;
  if (i < 0 || i >= static_cast<int>(ListBox1.Items.size())) return;
  ListBox1.Items.erase(ListBox1.Items.begin() + i);
  Edit1.Text.clear();
  Edit2.Text.clear();
  const int count = static_cast<int>(ListBox1.Items.size());
  ListBox1.ItemIndex = i < count ? i : i - 1;
  ListBox1Click();
  Save();
}

void TTargetCADForm::SpeedButton3Click() {
  const int i = ListBox1.ItemIndex;
  if (i < 0 || i >= static_cast<int>(ListBox1.Items.size())) return;
  ListBox1.Items[i] = Edit1.Text + "\t" + Edit2.Text;
  Save();
}

bool TTargetCADForm::EditKeyPress(char32_t key) {
  if (key != kKeyEnter) return true;
  SpeedButton3Click();
  return false;
}

void TTargetCADForm::Button1Click() { ModalResult = Result::Ok; }
void TTargetCADForm::Button2Click() { ModalResult = Result::Cancel; }

void TTargetCADForm::Save() {
  const std::string error =
      WriteTargetList(folders_.WritePath(kTargetListFileName), ListBox1.Items);
  if (!error.empty()) shell_.ShowMessage(title_, error);
}

}  // namespace vorn
