#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/CodePage.h"
#include "platform/Errors.h"

namespace platform {
namespace {

class CodePageTest : public ::testing::Test {
 protected:
  void TearDown() override {
    unsetenv("TUNEWARDEN_CODEPAGE");
    SetActiveCodePage(0);
  }
};

struct Sample {
  uint32_t codePage;
  std::string utf8;
  std::string encoded;
};

TEST_F(CodePageTest, RoundTripsThroughEveryPage) {
  const Sample samples[] = {
      {932, "日本語ソ", "\x93\xfa\x96\x7b\x8c\xea\x83\x5c"},  // ソ ends in a backslash byte
      {949, "한국어", "\xc7\xd1\xb1\xb9\xbe\xee"},
      {950, "中文", "\xa4\xa4\xa4\xe5"},  // CP936 is met by the Chinese string tables
      {1252, "Café €", "Caf\xe9 \x80"},
      {CodePageUtf8, "Grüße 😀", "Grüße 😀"},
  };
  for (const Sample& sample : samples) {
    SCOPED_TRACE(sample.codePage);
    SetActiveCodePage(sample.codePage);
    std::string text, back;
    ASSERT_TRUE(Utf8ToCodePage(sample.utf8, &text));
    EXPECT_EQ(text, sample.encoded);
    ASSERT_TRUE(CodePageToUtf8(text, &back));
    EXPECT_EQ(back, sample.utf8);
    std::u16string utf16;
    ASSERT_TRUE(CodePageToUtf16(text, &utf16));
    ASSERT_TRUE(Utf16ToCodePage(utf16, &back));
    EXPECT_EQ(back, sample.encoded);
  }
  SetActiveCodePage(CodePageUtf8);
  std::u16string utf16;
  ASSERT_TRUE(CodePageToUtf16("a😀", &utf16));
  EXPECT_EQ(utf16, u"a\xd83d\xde00");
}

TEST_F(CodePageTest, BadInputFailsAndKeepsWhatConvertedBefore) {
  struct Case {
    uint32_t codePage;
    bool toPage;  // Utf8ToCodePage, else CodePageToUtf8
    std::string input;
    std::string before;
  };
  const Case cases[] = {
      {932, true, "ab한", "ab"},                    // no counterpart
      {932, false, "ok\x83", "ok"},                 // a lead byte without its trail byte
      {CodePageUtf8, false, "a\xc0\xaf", "a"},      // overlong
      {CodePageUtf8, false, "a\xed\xa0\x80", "a"},  // surrogate
      {CodePageUtf8, false, "ab\xe6\x97", "ab"},    // cut short
      {932, true, "z\xf4\x90\x80\x80", "z"},        // past U+10FFFF
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    SetActiveCodePage(c.codePage);
    SetLastError(Error::None);
    std::string output;
    EXPECT_FALSE(c.toPage ? Utf8ToCodePage(c.input, &output) : CodePageToUtf8(c.input, &output));
    EXPECT_EQ(GetLastError(), Error::NoUnicodeTranslation);
    EXPECT_EQ(output, c.before);
  }
  SetActiveCodePage(949);
  std::string output;
  EXPECT_FALSE(Utf16ToCodePage(u"a\xdc00", &output));  // a lone low surrogate
  EXPECT_EQ(GetLastError(), Error::NoUnicodeTranslation);
}

// What is shown is never cut: a Latin-1 title under UTF-8 keeps the columns
// after it, a Korean name under 932 its extension.
TEST_F(CodePageTest, MarkedConversionsGoOnAfterWhatTheyLack) {
  EXPECT_EQ(CodePageToUtf8Marked("Caf\xE9\t48KB"), "Caf\xEF\xBF\xBD\t48KB");
  SetActiveCodePage(932);
  EXPECT_EQ(CodePageToUtf8Marked("\x83\x41\xFF\x83\x41"), "\xE3\x82\xA2\xEF\xBF\xBD\xE3\x82\xA2");
  EXPECT_EQ(Utf8ToCodePageMarked("\xED\x95\x9C\xEA\xB5\xAD.mp3"), "??.mp3");
}

TEST_F(CodePageTest, LeadBytesPerPage) {
  struct Case {
    uint32_t codePage;
    std::vector<uint8_t> lead, single;
  };
  const Case cases[] = {
      {932, {0x81, 0x9f, 0xe0, 0xfc}, {0x41, 0x80, 0xa0, 0xb1, 0xdf, 0xfd}},
      {949, {0x81, 0xc7, 0xfe}, {0x5c, 0x80, 0xff}},
      {1252, {}, {0x41, 0x81, 0xe9, 0xff}},
      {CodePageUtf8, {0xc2, 0xe6, 0xf0, 0xf4}, {0x41, 0x80, 0xbf, 0xc0, 0xc1, 0xf5, 0xff}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.codePage);
    SetActiveCodePage(c.codePage);
    for (uint8_t byte : c.lead) EXPECT_TRUE(IsLeadByte(byte)) << int(byte);
    for (uint8_t byte : c.single) EXPECT_FALSE(IsLeadByte(byte)) << int(byte);
  }
}

TEST_F(CodePageTest, CutsNeverSplitACharacter) {
  SetActiveCodePage(932);
  std::string sjis =
      "a\x83\x5c"
      "b\x93\xfa";  // a ソ b 日
  const size_t expected932[] = {0, 1, 1, 3, 4, 4, 6, 6};
  for (size_t max = 0; max < 8; ++max) EXPECT_EQ(CutAtCharBoundary(sjis, max), expected932[max]);
  EXPECT_EQ(CharLength("\x83", 0), 1u);  // a lead byte at the very end stands alone
  EXPECT_EQ(CharLength(sjis, 9), 0u);

  SetActiveCodePage(CodePageUtf8);
  std::string utf8 = "aé日😀";  // 1 + 2 + 3 + 4 bytes
  const size_t expected[] = {0, 1, 1, 3, 3, 3, 6, 6, 6, 6, 10, 10};
  for (size_t max = 0; max < 12; ++max) EXPECT_EQ(CutAtCharBoundary(utf8, max), expected[max]);
  EXPECT_EQ(CharLength("\xe6\x97", 0), 1u);  // a broken sequence is taken byte by byte
  EXPECT_EQ(CutAtCharBoundary("\xe6\x97", 1), 1u);
}

TEST_F(CodePageTest, PageComesFromTheEnvironment) {
  const std::pair<const char*, uint32_t> cases[] = {
      {"949", 949}, {"1252", 1252}, {"437", CodePageUtf8}, {"932x", CodePageUtf8}, {"", CodePageUtf8}};
  for (auto [value, codePage] : cases) {
    setenv("TUNEWARDEN_CODEPAGE", value, 1);
    SetActiveCodePage(0);
    EXPECT_EQ(ActiveCodePage(), codePage) << value;
  }
}

}  // namespace
}  // namespace platform
