// A small INI reader and writer in the profile format: "[Section]" lines followed by
// "key=value" lines. Section and key names compare without regard to ASCII letter case, as
// the platform's profile functions do. Text is UTF-8; a line that is not UTF-8 is taken as
// CP932 (files written by the older ANSI program), and dropped when it is neither.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

class IniFile {
 public:
  // Parses INI text. Never fails: lines that are not a section, a key or a comment are
  // skipped, and keys before the first section are ignored.
  static IniFile Parse(std::string_view text);
  // Reads a file; a missing or unreadable file gives an empty IniFile. Only the first
  // kMaxFileBytes are looked at, so a huge stray file cannot exhaust memory.
  static IniFile Load(const std::filesystem::path& path);
  static constexpr std::size_t kMaxFileBytes = 4u << 20;

  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  // The fallback when the key is missing or its value is not a whole decimal number that
  // fits in 32 bits.
  int ReadInteger(std::string_view section, std::string_view key, int fallback) const;
  // Any non-zero integer is true.
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

  // Adds or replaces a key, creating the section at the end when it is new. Line breaks in
  // a value would break the file and are replaced by spaces.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // The text with CRLF line ends, sections and keys in the order they were first written.
  std::string Serialize() const;
  // Writes to a temporary file beside the target and renames it over the target, so that a
  // failed write never leaves half a file. Returns an error text, empty on success.
  std::string Save(const std::filesystem::path& path) const;

  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  const std::vector<Section>& Sections() const { return sections_; }

 private:
  const Section* FindSection(std::string_view name) const;
  Section& SectionFor(std::string_view name);

  std::vector<Section> sections_;
};

// Parses a whole decimal integer (blanks around it allowed, optional sign) in 32 bits.
std::optional<int> ParseInt32(std::string_view text);

}  // namespace vorn
