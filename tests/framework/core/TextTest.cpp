#include "framework/core/Text.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/core/Exception.h"
#include "platform/Errors.h"
#include "tests/framework/core/MemoryStream.h"

using namespace std::string_literals;

TEST(Text, EmptyTextsShareTheStaticBlock) {
  const CText none;
  const CText fromEmpty("");
  const CText fromNull(static_cast<const char*>(nullptr));
  CText emptied("abc");
  emptied = "";
  EXPECT_TRUE(none == fromEmpty);
  EXPECT_EQ(none.Length(), 0);
  EXPECT_EQ(none.Capacity(), 0u);
  for (const CText* text : {&fromEmpty, &fromNull, static_cast<const CText*>(&emptied)}) {
    EXPECT_EQ(text->Chars(), none.Chars());
    EXPECT_STREQ(text->Chars(), "");
  }
  const CText left = CText("abc").Left(0);
  EXPECT_EQ(left.Chars(), none.Chars());
}

TEST(Text, CopiesShareUntilOneWrites) {
  const CText original("Hello");
  CText appended = original;
  CText lowered = original;
  CText buffered = original;
  EXPECT_EQ(appended.Chars(), original.Chars());

  appended.Append(" world");
  lowered.MakeLower();
  buffered.GetBuffer(5)[0] = 'J';

  EXPECT_STREQ(original.Chars(), "Hello");
  EXPECT_STREQ(appended.Chars(), "Hello world");
  EXPECT_STREQ(lowered.Chars(), "hello");
  EXPECT_STREQ(buffered.Chars(), "Jello");
  EXPECT_NE(buffered.Chars(), original.Chars());
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
  EXPECT_EQ(copy.Chars(), before) << "same rounded capacity: no new block";

  copy.GetBuffer(40);
  EXPECT_EQ(copy.Capacity(), 64u);
  EXPECT_STREQ(copy.Chars(), "hello!?abc");
  copy.GetBuffer(3);
  EXPECT_EQ(copy.Capacity(), 32u) << "a private block also shrinks";
  EXPECT_STREQ(copy.Chars(), "hel");

  CText shared = text;
  shared.GetBuffer(100);
  EXPECT_EQ(shared.Capacity(), 100u);
  EXPECT_STREQ(shared.Chars(), "hello");
}

TEST(Text, BufferAndSetLength) {
  CText text;
  char* out = text.GetBuffer(10);
  std::memcpy(out, "0123456789", 10);
  text.SetLength(4);
  EXPECT_EQ(text, CText("0123"));
  text.SetLength(50);
  EXPECT_EQ(text.Length(), 10) << "the length stays within the capacity";

  const CText other("xyz");
  CText copy = other;
  copy.SetLength(1);
  EXPECT_STREQ(other.Chars(), "xyz") << "SetLength on a shared text must not write into the shared block";
  EXPECT_STREQ(copy.Chars(), "x");
}

TEST(Text, LeftAndRightBounds) {
  const CText text("abcdef");
  EXPECT_TRUE(text.Left(0).IsEmpty());
  EXPECT_TRUE(text.Left(-3).IsEmpty());
  EXPECT_TRUE(text.Right(-1).IsEmpty());
  EXPECT_TRUE(text.Right(0).IsEmpty());
  EXPECT_EQ(text.Left(text.Length() + 5).Chars(), text.Chars());
  EXPECT_EQ(text.Right(6).Chars(), text.Chars());
  EXPECT_EQ(text.Left(2), CText("ab"));
  EXPECT_EQ(text.Right(2), CText("ef"));
  EXPECT_EQ(text.Right(5), CText("bcdef"));
}

TEST(Text, ComparisonIsUnsignedAndEqualityNeedsEqualLengths) {
  const CText text("abc");
  EXPECT_EQ(text.Compare("abc"), 0);
  EXPECT_EQ(text.Compare("abd"), -1);
  EXPECT_EQ(text.Compare("ab"), 1);
  EXPECT_EQ(text.Compare(""), 1);
  EXPECT_EQ(CText("\xE0").Compare("a"), 1) << "bytes above 0x7F sort after ASCII";
  EXPECT_EQ(CText("a").Compare(CText("\xE0")), -1);
  EXPECT_TRUE(text == "abc");
  EXPECT_FALSE(text == "abcd");

  const CText embedded(std::string_view("ab\0c", 4));
  EXPECT_EQ(embedded.Length(), 4);
  EXPECT_EQ(embedded.Compare(CText("ab")), 0);
  EXPECT_FALSE(embedded == CText("ab"));
  EXPECT_TRUE(embedded == "ab") << "comparison with characters stops at the terminator";
}

TEST(Text, FindAndFindLast) {
  const CText text("a.b.c");
  EXPECT_EQ(text.Find('.'), 1);
  EXPECT_EQ(text.Find('.', 2), 3);
  EXPECT_EQ(text.Find('.', 4), -1);
  EXPECT_EQ(text.Find('.', -7), 1);
  EXPECT_EQ(text.Find('.', 99), -1);
  EXPECT_EQ(text.Find('x'), -1);
  EXPECT_EQ(text.FindLast('.'), 3);
  EXPECT_EQ(text.FindLast('x'), -1);
  EXPECT_EQ(CText().FindLast('x'), -1);
}

TEST(Text, AppendAssignAndConcatenate) {
  CText text("ab");
  text.Append('\0');
  EXPECT_EQ(text.Length(), 2) << "appending the character 0 does nothing";
  text.Append(text);
  EXPECT_EQ(text, CText("abab"));
  text.Append(text.Chars() + 1);
  EXPECT_EQ(text, CText("ababbab"));
  text = text.Chars() + 2;
  EXPECT_EQ(text, CText("abbab"));
  text += 'Z';
  EXPECT_EQ(text, CText("abbabZ"));

  const CText left("Track");
  const CText joined = left + CText(" 1") + " of 2";
  EXPECT_EQ(joined, CText("Track 1 of 2"));
  EXPECT_EQ(joined.Capacity(), 12u);
  EXPECT_STREQ(left.Chars(), "Track");
}

TEST(Text, MakeLowerTouchesOnlyAsciiLetters) {
  CText text("ABC xyz \xC4\xD6 [@Z]");
  text.MakeLower();
  EXPECT_STREQ(text.Chars(), "abc xyz \xC4\xD6 [@z]");
}

TEST(Text, FormatHasNoLengthLimit) {
  CText text;
  text.Format("TRACK%03d.%s", 7, "MP3");
  EXPECT_EQ(text, CText("TRACK007.MP3"));

  const std::string longName(100000, 'x');
  text.Format("<%s>%d", longName.c_str(), -1);
  EXPECT_EQ(text.Length(), 100004);
  EXPECT_EQ(text.Right(3), CText(">-1"));

  CText self("ab");
  self.Format("%s-%s", self.Chars(), self.Chars());
  EXPECT_EQ(self, CText("ab-ab"));
}

TEST(Text, StreamFormRoundTrips) {
  MemoryStream stream({}, 3);
  CText("ab").Save(stream);
  CText().Save(stream);
  const CText binary(std::string_view("\x00\xFF\x80z", 4));
  binary.Save(stream);
  EXPECT_EQ(stream.Data(), "\x02\0\0\0ab"s + "\0\0\0\0"s + "\x04\0\0\0\x00\xFF\x80z"s);

  MemoryStream input(stream.Data(), 2);
  CText a("old"), b("old"), c;
  input.ReadObject(a);
  input.ReadObject(b);
  input.ReadObject(c);
  EXPECT_EQ(a, CText("ab"));
  EXPECT_EQ(b.Chars(), CText().Chars()) << "length 0 loads as the empty text";
  EXPECT_EQ(c, binary);
  try {
    c.Load(input);
    FAIL() << "no more texts";
  } catch (const CException& e) {
    EXPECT_EQ(e.Code(), 0u);
  }
}

TEST(Text, DamagedStreamFormIsRefused) {
  for (const std::string& data : {"\x05\0\0\0abc"s, "\0\0\0\x80"s, "\xFF\xFF\xFF\x7Fshort"s}) {
    MemoryStream stream(data);
    CText text("kept");
    try {
      text.Load(stream);
      FAIL() << "loaded from damaged data";
    } catch (const CException& e) {
      EXPECT_EQ(e.Code(), platform::Error::InvalidData);
    }
    EXPECT_EQ(text, CText("kept"));
  }
}
