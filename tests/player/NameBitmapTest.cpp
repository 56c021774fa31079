#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "player/NameBitmap.h"

namespace player {
namespace {

using platform::MonoBitmap;

struct Rendered {
  std::vector<uint8_t> bytes;
  uint16_t width = 0xFFFF;
};

Rendered Render(std::string_view text, std::string_view face = "MS Gothic") {
  std::array<uint8_t, NameBitmapSize> buffer{};
  Rendered result;
  size_t count = RenderNameBitmap(buffer, text, &result.width, face);
  result.bytes.assign(buffer.begin(), buffer.begin() + count);
  return result;
}

// The expected picture, worked out apart from the code under test: the text
// drawn on a canvas one row taller than its cell, shifted down two rows, read
// column by column in two pages with bit 0 on top.
std::vector<uint8_t> ExpectedBytes(std::string_view text, std::string_view face) {
  std::unique_ptr<platform::Font> font = platform::Font::Create(face, 12);
  platform::TextExtent extent = font->Measure(text);
  MonoBitmap canvas(extent.width, extent.height + 1);
  font->Draw(text, &canvas);
  std::vector<uint8_t> bytes;
  for (int page = 0; page < 2; ++page) {
    for (int x = 0; x < canvas.Width(); ++x) {
      uint8_t byte = 0;
      for (int bit = 0; bit < 8; ++bit) {
        int y = page * 8 + bit - 2;
        if (y >= 0 && y < canvas.Height() && canvas.IsInk(x, y)) byte |= uint8_t(1 << bit);
      }
      bytes.push_back(byte);
    }
  }
  return bytes;
}

int InkCount(const std::vector<uint8_t>& bytes) {
  int count = 0;
  for (uint8_t byte : bytes) count += __builtin_popcount(byte);
  return count;
}

class NameBitmapTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetActiveCodePage(platform::CodePageUtf8); }
  void TearDown() override { platform::SetActiveCodePage(0); }
};

TEST_F(NameBitmapTest, PackedBytesMatchAnIndependentDrawing) {
  struct Case {
    const char* face;
    const char* text;
  };
  for (const Case& c : {Case{"MS Gothic", "Hello, World - Artist"}, Case{"MS Gothic", "日本語の曲名"},
                        Case{"Gulim", "한국어 노래"}, Case{"SimSun", "中文歌曲"}, Case{"Arial", "Ærøskøbing"}}) {
    Rendered rendered = Render(c.text, c.face);
    std::vector<uint8_t> expected = ExpectedBytes(c.text, c.face);
    EXPECT_EQ(rendered.width, expected.size() / 2) << c.text;
    EXPECT_EQ(rendered.bytes, expected) << c.text;
    // Non-Latin scripts really drew (no blank or missing-glyph result).
    EXPECT_GT(InkCount(rendered.bytes), 40) << c.text;
  }
}

TEST_F(NameBitmapTest, FirstTwoRowsAreBackgroundCapitalsStartBelowAndNarrowTextsFit) {
  for (const char* text : {"ÉTÀ", "Tunewarden", "漢字", "|"}) {
    Rendered rendered = Render(text);
    ASSERT_GT(rendered.width, 0) << text;
    for (int x = 0; x < rendered.width; ++x) {
      EXPECT_FALSE(IsNameBitmapInk(rendered.bytes, rendered.width, x, 0)) << text;
      EXPECT_FALSE(IsNameBitmapInk(rendered.bytes, rendered.width, x, 1)) << text;
    }
  }
  // "T" is at least two rows tall, so ink starts at row 2 or a little below.
  Rendered t = Render("T");
  int top = NameBitmapHeight;
  for (int y = NameBitmapHeight - 1; y >= 0; --y) {
    for (int x = 0; x < t.width; ++x) {
      if (IsNameBitmapInk(t.bytes, t.width, x, y)) top = y;
    }
  }
  EXPECT_GE(top, 2);
  EXPECT_LE(top, 5);

  Rendered dot = Render(".");
  EXPECT_GE(dot.width, 1);
  EXPECT_LE(dot.width, 6);
  EXPECT_EQ(dot.bytes.size(), 2u * dot.width);
  Rendered empty = Render("");
  EXPECT_EQ(empty.bytes.size(), 0u);
  EXPECT_EQ(empty.width, 0);
}

// A long text is cut from its end until it fits in 256 pixels: the stored
// width is that of the longest run of whole characters that fits, also under
// a double-byte code page, where a cut never leaves a lead byte at the end.
TEST_F(NameBitmapTest, LongTextIsShortenedToAtMost256PixelsOfWholeCharacters) {
  const std::pair<uint32_t, const char*> cases[] = {
      {platform::CodePageUtf8, "The quick brown fox jumps over the lazy dog - 日本語のとても長い曲名がここに続きます"},
      {932, "a日本語の曲名はとても長いのでここで切られますがどこで切れるでしょうかね"}};
  for (const auto& [codePage, utf8] : cases) {
    platform::SetActiveCodePage(codePage);
    std::string text;
    ASSERT_TRUE(platform::Utf8ToCodePage(utf8, &text));
    const platform::Font* font = NameFont("MS Gothic", NameFontHeight);
    ASSERT_GT(font->Measure(text).width, MaxNameBitmapWidth);

    size_t fits = 0;
    for (size_t end = 0; end < text.size(); end += platform::CharLength(text, end)) {
      if (font->Measure(text.substr(0, end)).width <= MaxNameBitmapWidth) fits = end;
    }
    const std::string kept = text.substr(0, fits);

    Rendered rendered = Render(text);
    EXPECT_GT(rendered.width, MaxNameBitmapWidth - 12) << codePage;
    EXPECT_EQ(rendered.width, font->Measure(kept).width) << codePage;
    EXPECT_EQ(rendered.bytes, ExpectedBytes(kept, "MS Gothic")) << codePage;
  }
}

TEST_F(NameBitmapTest, PackKeepsTwoPagesAndRefusesImpossibleImages) {
  // Taller than the record's two pages: rows below them are dropped.
  MonoBitmap tall(4, 20);
  tall.SetInk(1, 13);  // work row 15: the last one kept
  tall.SetInk(2, 14);  // work row 16: dropped
  std::array<uint8_t, NameBitmapSize> out{};
  ASSERT_EQ(PackNameBitmap(out, tall), 8u);
  EXPECT_EQ(out[4 + 1], 0x80);
  EXPECT_EQ(out[4 + 2], 0x00);

  // Widest and narrowest allowed; no rows, or too wide, gives 0.
  MonoBitmap widest(MaxNameBitmapWidth, 13);
  widest.SetInk(MaxNameBitmapWidth - 1, 0);
  ASSERT_EQ(PackNameBitmap(out, widest), NameBitmapSize);
  EXPECT_EQ(out[MaxNameBitmapWidth - 1], 0x04);
  EXPECT_EQ(PackNameBitmap(out, MonoBitmap(MaxNameBitmapWidth + 1, 13)), 0u);
  EXPECT_EQ(PackNameBitmap(out, MonoBitmap(5, 0)), 0u);
}

}  // namespace
}  // namespace player
