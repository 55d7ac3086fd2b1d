// The conversion between UTF-8 and the code pages, which is the platform's own (iconv, or the
// Win32 code-page functions): the same bytes and the same refusals on every platform. The
// expected bytes are those of the code pages' published tables.
#include "dxf/code_page.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace vorn {
namespace {

using ::testing::HasSubstr;

struct Encoded {
  const char* encoding;
  std::string utf8;
  std::string bytes;
};

class CodePageTable : public ::testing::TestWithParam<Encoded> {};

TEST_P(CodePageTable, EncodesToTheTableBytesAndBack) {
  const Encoded& c = GetParam();
  EXPECT_EQ(Utf8ToEncoding(c.utf8, c.encoding), c.bytes);
  EXPECT_EQ(EncodingToUtf8(c.bytes, c.encoding), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, CodePageTable,
    ::testing::Values(Encoded{"CP932", "建物 日影", "\x8C\x9A\x95\xA8 \x93\xFA\x89\x65"},
                      Encoded{"CP932", "ｱｲ", "\xB1\xB2"},           // half-width katakana
                      Encoded{"CP932", "①～", "\x87\x40\x81\x60"},  // the Windows additions
                      Encoded{"CP1252", "café €", "caf\xE9 \x80"},
                      Encoded{"ISO-8859-1", "é", "\xE9"}, Encoded{"UTF-8", "天空率", "天空率"},
                      Encoded{"CP932", "", ""}));

// A character the page cannot hold is refused where it stands, never replaced by a look-alike
// ("é" is not "e" in a Japanese drawing).
TEST(CodePage, UnencodableCharacterIsRefusedAtItsByte) {
  struct Case {
    const char* encoding;
    std::string utf8;
    const char* where;
  };
  for (const Case& c : {Case{"CP1252", "ab日", "at byte 2"}, Case{"CP932", "x é", "at byte 2"},
                        Case{"CP932", "日影€", "at byte 6"}}) {
    try {
      const std::string bytes = Utf8ToEncoding(c.utf8, c.encoding);
      ADD_FAILURE() << c.utf8 << " became " << bytes << " in " << c.encoding;
    } catch (const CodePageError& e) {
      EXPECT_THAT(e.what(), HasSubstr(c.where)) << c.utf8 << " in " << c.encoding;
    }
  }
}

TEST(CodePage, InvalidBytesAreRefusedAtTheirByte) {
  struct Case {
    const char* encoding;
    std::string bytes;
    const char* where;
  };
  for (const Case& c :
       {Case{"UTF-8", "ok\xFF", "at byte 2"}, Case{"UTF-8", "a\xE6\x97", "at byte 1"},
        Case{"CP932", "\x93\xFA\x81", "at byte 2"}}) {
    try {
      const std::string utf8 = EncodingToUtf8(c.bytes, c.encoding);
      ADD_FAILURE() << "invalid " << c.encoding << " read as " << utf8;
    } catch (const CodePageError& e) {
      EXPECT_THAT(e.what(), HasSubstr(c.where)) << c.encoding;
    }
  }
}

TEST(CodePage, UnknownEncodingIsRefused) {
  EXPECT_THROW(Utf8ToEncoding("a", "NO-SUCH-PAGE"), CodePageError);
  EXPECT_THROW(EncodingToUtf8("a", "NO-SUCH-PAGE"), CodePageError);
}

TEST(CodePage, UserTextFilesInUtf8OrTheCadPage) {
  EXPECT_EQ(TextFileToUtf8("建物"), "建物");
  EXPECT_EQ(TextFileToUtf8("\x8C\x9A\x95\xA8"), "建物");
}

}  // namespace
}  // namespace vorn
