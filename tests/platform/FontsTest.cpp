#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "platform/Fonts.h"

namespace platform {
namespace {

std::unique_ptr<Font> MakeFont(std::string_view face, int cellHeight = 12) {
  std::unique_ptr<Font> font = Font::Create(face, cellHeight);
  EXPECT_TRUE(font) << face;
  return font;
}

// Rows of the canvas that hold any ink.
std::vector<int> InkedRows(const MonoBitmap& canvas) {
  std::vector<int> rows;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      if (canvas.IsInk(x, y)) {
        rows.push_back(y);
        break;
      }
    }
  }
  return rows;
}

MonoBitmap Drawn(const Font& font, std::string_view text, int extraRows = 0) {
  TextExtent extent = font.Measure(text);
  MonoBitmap canvas(extent.width, extent.height + extraRows);
  font.Draw(text, &canvas);
  return canvas;
}

bool SamePixels(const MonoBitmap& a, const MonoBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      if (a.IsInk(x, y) != b.IsInk(x, y)) return false;
    }
  }
  return true;
}

class FontsTest : public ::testing::Test {
 protected:
  void SetUp() override { SetActiveCodePage(CodePageUtf8); }
  void TearDown() override { SetActiveCodePage(0); }
};

TEST_F(FontsTest, WindowsFaceNamesInTheCodePageResolveThroughTheAliasTable) {
  EXPECT_EQ(MakeFont("MS Gothic")->FamilyName(), "IPAGothic");
  EXPECT_EQ(MakeFont("ms gothic")->FamilyName(), "IPAGothic");
  EXPECT_EQ(MakeFont("ＭＳ ゴシック")->FamilyName(), "IPAGothic");
  EXPECT_EQ(MakeFont("Gulim")->FamilyName(), "UnDotum");
  EXPECT_EQ(MakeFont("SimSun")->FamilyName(), "WenQuanYi Zen Hei");
  std::string arial = MakeFont("Arial")->FamilyName();
  EXPECT_TRUE(arial == "Liberation Sans" || arial == "DejaVu Sans") << arial;
  // An installed face that the table does not name is used as it is.
  EXPECT_EQ(MakeFont("DejaVu Serif")->FamilyName(), "DejaVu Serif");

  // The face name is read in the program's code page.
  SetActiveCodePage(932);
  std::string face;
  ASSERT_TRUE(Utf8ToCodePage("ＭＳ ゴシック", &face));
  EXPECT_EQ(MakeFont(face)->FamilyName(), "IPAGothic");
}

TEST_F(FontsTest, UnknownFaceIsSubstitutedAndBadHeightRefused) {
  std::unique_ptr<Font> font = MakeFont("No Such Face At All");
  EXPECT_FALSE(font->FamilyName().empty());
  EXPECT_GT(font->Measure("Abc").width, 0);

  SetLastError(Error::None);
  EXPECT_FALSE(Font::Create("MS Gothic", 0));
  EXPECT_EQ(GetLastError(), Error::InvalidParameter);
}

// The cell is the height a Windows font of height +12 has: an accent above a
// capital reaches the top rows, a descender the bottom ones, and nothing
// falls below the cell.
TEST_F(FontsTest, TextFillsATwelvePixelCell) {
  for (const char* face : {"MS Gothic", "Gulim", "SimSun", "Arial"}) {
    std::unique_ptr<Font> font = MakeFont(face);
    EXPECT_EQ(font->Measure("Égy").height, 12) << face;
    EXPECT_EQ(font->Measure("").width, 0) << face;
    std::vector<int> rows = InkedRows(Drawn(*font, "Égy", 3));
    ASSERT_FALSE(rows.empty()) << face;
    EXPECT_LE(rows.front(), 2) << face;
    EXPECT_GE(rows.back(), 9) << face;
    EXPECT_LE(rows.back(), 11) << face;
  }
}

TEST_F(FontsTest, WidthIsTheSumOfAdvancesAndDrawingStaysInside) {
  std::unique_ptr<Font> font = MakeFont("Arial");  // proportional, unlike IPAGothic
  int narrow = font->Measure("i").width;
  int wide = font->Measure("W").width;
  EXPECT_GT(narrow, 0);
  EXPECT_GT(wide, narrow);
  EXPECT_EQ(font->Measure("iWWi").width, 2 * narrow + 2 * wide);

  // Drawing and measuring agree: the ink ends near the measured width.
  MonoBitmap canvas = Drawn(*font, "WWWW");
  int rightmost = -1;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      if (canvas.IsInk(x, y)) rightmost = std::max(rightmost, x);
    }
  }
  EXPECT_GE(rightmost, canvas.Width() - 3);

  // A canvas smaller than the text clips it; ASan watches the bounds.
  MonoBitmap small(5, 4);
  font->Draw("WWWWgg", &small);
  EXPECT_FALSE(InkedRows(small).empty());
}

// IPAGothic has no Hangul: the syllables come from another installed face, so
// they differ from each other and from the box of a character no face has.
TEST_F(FontsTest, MissingGlyphComesFromAFallbackFace) {
  std::unique_ptr<Font> font = MakeFont("MS Gothic");
  ASSERT_EQ(font->FamilyName(), "IPAGothic");
  MonoBitmap han = Drawn(*font, "한");
  MonoBitmap guk = Drawn(*font, "국");
  MonoBitmap nowhere = Drawn(*font, "\xF4\x8F\xBF\xBD");  // U+10FFFD, private use
  EXPECT_FALSE(InkedRows(han).empty());
  EXPECT_FALSE(SamePixels(han, guk));
  EXPECT_FALSE(SamePixels(han, nowhere));
}

// A shared font keeps the glyphs of earlier texts, its fallback's too; they
// measure and draw as a fresh font's do.
TEST_F(FontsTest, SharedFontIsOnePerFaceAndHeightAndDrawsAsAFreshOne) {
  const Font* shared = Font::Shared("MS Gothic", 12);
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(Font::Shared("MS Gothic", 12), shared);
  EXPECT_NE(Font::Shared("MS Gothic", 16), shared);
  Drawn(*shared, "국어 Wolle");
  for (const char* text : {"Hallo 한국", "ollé Wie"}) {
    std::unique_ptr<Font> fresh = MakeFont("MS Gothic");
    EXPECT_TRUE(SamePixels(Drawn(*shared, text), Drawn(*fresh, text))) << text;
  }
}

TEST_F(FontsTest, UnconvertibleBytesDrawAsQuestionMarks) {
  std::unique_ptr<Font> font = MakeFont("Arial");
  EXPECT_TRUE(SamePixels(Drawn(*font,
                               "a\xFF"
                               "b"),
                         Drawn(*font, "a?b")));

  SetActiveCodePage(932);
  std::string japanese;
  ASSERT_TRUE(Utf8ToCodePage("日本", &japanese));
  MonoBitmap underCp932 = Drawn(*MakeFont("MS Gothic"), japanese);
  SetActiveCodePage(CodePageUtf8);
  EXPECT_TRUE(SamePixels(underCp932, Drawn(*MakeFont("MS Gothic"), "日本")));
}

}  // namespace
}  // namespace platform
