#include <gtest/gtest.h>

#include <string>

#include "framework/core/Text.h"
#include "platform/Errors.h"
#include "tests/framework/core/CoreTesting.h"

using namespace std::string_literals;

TEST(Text, EmptyTextsShareTheStaticBlock) {
  const CText none;
  CText emptied("abc");
  emptied = "";
  for (const CText& text : {CText(""), CText(static_cast<const char*>(nullptr)), emptied, CText("a").Left(0)}) {
    EXPECT_EQ(text.Chars(), none.Chars());
    EXPECT_TRUE(text == none);
    EXPECT_EQ(text.Length(), 0);
  }
}

TEST(Text, CopiesShareUntilOneWrites) {
  const CText original("Hello");
  CText appended = original, lowered = original, buffered = original, shortened = original;
  EXPECT_EQ(appended.Chars(), original.Chars());
  appended.Append(" world");
  lowered.MakeLower();
  buffered.GetBuffer(5)[0] = 'J';
  shortened.SetLength(2);
  EXPECT_STREQ(original.Chars(), "Hello");
  EXPECT_STREQ(appended.Chars(), "Hello world");
  EXPECT_STREQ(lowered.Chars(), "hello");
  EXPECT_STREQ(buffered.Chars(), "Jello");
  EXPECT_STREQ(shortened.Chars(), "He");
}

TEST(Text, CapacityFollowsTheSharingAndRoundingRules) {
  CText text("hello");
  EXPECT_EQ(text.Capacity(), 5u) << "a block made from the empty block is exact";
  CText copy = text;
  copy.Append('!');
  EXPECT_EQ(copy.Capacity(), 6u) << "a shared block is replaced by an exact one";
  copy.Append('?');
  EXPECT_EQ(copy.Capacity(), 32u) << "a private block is rounded up to 32";
  const char* before = copy.Chars();
  copy.Append("abc");
  EXPECT_EQ(copy.Chars(), before) << "same rounded capacity: same block";
  copy.GetBuffer(40);
  EXPECT_EQ(copy.Capacity(), 64u);
  EXPECT_STREQ(copy.Chars(), "hello!?abc");
  copy.GetBuffer(3);
  EXPECT_EQ(copy.Capacity(), 32u) << "a private block also shrinks";
  EXPECT_STREQ(copy.Chars(), "hel");
  copy.SetLength(50);
  EXPECT_EQ(copy.Length(), 32) << "the length stays within the capacity";
  EXPECT_EQ((text + " there").Capacity(), 11u);
}

TEST(Text, LeftRightAndFind) {
  const CText text("a.b.c");
  EXPECT_TRUE(text.Left(0).IsEmpty());
  EXPECT_TRUE(text.Right(-1).IsEmpty());
  EXPECT_EQ(text.Left(text.Length() + 5).Chars(), text.Chars()) << "the whole text, shared";
  EXPECT_EQ(text.Right(5).Chars(), text.Chars());
  EXPECT_EQ(text.Left(2), CText("a."));
  EXPECT_EQ(text.Right(3), CText("b.c"));
  EXPECT_EQ(text.Find('.', 2), 3);
  EXPECT_EQ(text.Find('.', 4), -1);
  EXPECT_EQ(text.Find('.', -7), 1);
  EXPECT_EQ(text.Find('.', 99), -1);
  EXPECT_EQ(text.FindLast('.'), 3);
  EXPECT_EQ(text.FindLast('x'), -1);
}

TEST(Text, ComparisonIsUnsignedAndEqualityNeedsEqualLengths) {
  EXPECT_EQ(CText("abc").Compare("abd"), -1);
  EXPECT_EQ(CText("abc").Compare("ab"), 1);
  EXPECT_EQ(CText("\xE0").Compare("a"), 1) << "bytes above 0x7F sort after ASCII";
  const CText embedded(std::string_view("ab\0c", 4));
  EXPECT_EQ(embedded.Compare(CText("ab")), 0);
  EXPECT_FALSE(embedded == CText("ab"));
  EXPECT_TRUE(embedded == "ab") << "comparison with characters stops at the terminator";
}

TEST(Text, AppendingAndFormattingItsOwnCharacters) {
  CText text("ab");
  text.Append('\0');
  EXPECT_EQ(text.Length(), 2) << "appending the character 0 does nothing";
  text.Append(text);
  text.Append(text.Chars() + 1);
  EXPECT_EQ(text, CText("ababbab"));
  text = text.Chars() + 2;
  EXPECT_EQ(text, CText("abbab"));
  text.Format("%s-%s", text.Chars(), text.Chars());
  EXPECT_EQ(text, CText("abbab-abbab"));
}

TEST(Text, FormatHasNoLengthLimit) {
  CText text;
  text.Format("TRACK%03d.%s", 7, "MP3");
  EXPECT_EQ(text, CText("TRACK007.MP3"));
  const std::string longName(100000, 'x');
  text.Format("<%s>%d", longName.c_str(), -1);
  EXPECT_EQ(text.Length(), 100004);
  EXPECT_EQ(text.Right(3), CText(">-1"));
}

TEST(Text, StreamFormRoundTrips) {
  MemoryStream stream({}, 3);
  const CText binary(std::string_view("\x00\xFF\x80z", 4));
  for (const CText& text : {CText("ab"), CText(), binary}) stream.WriteObject(text);
  EXPECT_EQ(stream.Data(), "\x02\0\0\0ab"s + "\0\0\0\0"s + "\x04\0\0\0\x00\xFF\x80z"s);

  MemoryStream input(stream.Data(), 2);
  CText a("old"), b("old"), c;
  input.ReadObject(a);
  input.ReadObject(b);
  input.ReadObject(c);
  EXPECT_EQ(a, CText("ab"));
  EXPECT_EQ(b.Chars(), CText().Chars()) << "length 0 loads as the empty text";
  EXPECT_EQ(c, binary);
  EXPECT_EQ(FailureCode([&] { c.Load(input); }), 0u) << "the end of the data";
}

TEST(Text, DamagedStreamFormIsRefused) {
  for (const std::string& data : {"\x05\0\0\0abc"s, "\0\0\0\x80"s, "\xFF\xFF\xFF\x7Fshort"s}) {
    MemoryStream stream(data);
    CText text("kept");
    EXPECT_EQ(FailureCode([&] { text.Load(stream); }), platform::Error::InvalidData);
    EXPECT_EQ(text, CText("kept"));
  }
}
