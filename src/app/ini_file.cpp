#include "app/ini_file.h"

#include <charconv>
#include <fstream>
#include <system_error>

#include "app/file_io.h"
#include "dxf/code_page.h"

namespace vorn {

namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    int extra = 0;
    char32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    constexpr char32_t kMinForLength[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMinForLength[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += extra + 1;
  }
  return true;
}

// A line as UTF-8, or nothing when it is neither UTF-8 nor CP932.
std::optional<std::string> LineAsUtf8(std::string_view line) {
  if (line.find('\0') != std::string_view::npos) return std::nullopt;
  if (IsValidUtf8(line)) return std::string(line);
  try {
    return EncodingToUtf8(line, kCadEncoding);
  } catch (const CodePageError&) {
    return std::nullopt;
  }
}

std::string OneLine(std::string_view value) {
  std::string out(value);
  for (char& c : out) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

}  // namespace

std::optional<int> ParseInt32(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

IniFile IniFile::Parse(std::string_view text) {
  IniFile ini;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  Section* current = nullptr;
  while (!text.empty()) {
    const std::size_t eol = text.find('\n');
    std::string_view raw = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
    const auto decoded = LineAsUtf8(raw);
    if (!decoded) continue;
    const std::string_view line = Trim(*decoded);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      if (close == std::string_view::npos) continue;
      current = &ini.SectionFor(Trim(line.substr(1, close - 1)));
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || current == nullptr) continue;
    const std::string_view key = Trim(line.substr(0, eq));
    if (key.empty()) continue;
    std::string_view value = Trim(line.substr(eq + 1));
    // The profile functions drop one pair of enclosing quotes.
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    // A repeated key keeps its first value, the one the profile functions read.
    bool seen = false;
    for (const auto& e : current->entries) seen = seen || SameName(e.key, key);
    if (!seen) current->entries.push_back({std::string(key), std::string(value)});
  }
  return ini;
}

IniFile IniFile::Load(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::string text(kMaxFileBytes, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return Parse(text);
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  for (const auto& s : sections_) {
    if (SameName(s.name, name)) return &s;
  }
  return nullptr;
}

IniFile::Section& IniFile::SectionFor(std::string_view name) {
  for (auto& s : sections_) {
    if (SameName(s.name, name)) return s;
  }
  sections_.push_back({std::string(name), {}});
  return sections_.back();
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (s == nullptr) return std::nullopt;
  for (const auto& e : s->entries) {
    if (SameName(e.key, key)) return e.value;
  }
  return std::nullopt;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
  auto v = Find(section, key);
  return v ? *v : std::string(fallback);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int fallback) const {
  const auto v = Find(section, key);
  if (!v) return fallback;
  return ParseInt32(*v).value_or(fallback);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Section& s = SectionFor(section);
  for (auto& e : s.entries) {
    if (SameName(e.key, key)) {
      e.value = OneLine(value);
      return;
    }
  }
  s.entries.push_back({std::string(key), OneLine(value)});
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

std::string IniFile::Serialize() const {
  std::string out;
  for (const auto& s : sections_) {
    out += "[" + s.name + "]\r\n";
    for (const auto& e : s.entries) out += e.key + "=" + e.value + "\r\n";
  }
  return out;
}

std::string IniFile::Save(const std::filesystem::path& path) const {
  return WriteFileAtomically(path, Serialize());
}

}  // namespace vorn
