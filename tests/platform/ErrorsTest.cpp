#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <set>
#include <thread>

#include "platform/CodePage.h"
#include "platform/Errors.h"

namespace platform {
namespace {

TEST(ErrorsTest, MapsErrnoToTheProgramsNumbers) {
  const std::pair<int, uint32_t> cases[] = {{0, 0},        {ENOENT, 2},      {EISDIR, 5},    {ENOSPC, 112},
                                            {EDQUOT, 112}, {ENOTEMPTY, 145}, {EILSEQ, 1113}, {ELOOP, 1921}};
  for (auto [errnoValue, code] : cases) EXPECT_EQ(ErrorFromErrno(errnoValue), code) << errnoValue;
  // Without a counterpart the errno value survives behind the application bit.
  EXPECT_EQ(ErrorFromErrno(EPROTO), Error::FromErrno | EPROTO);
  EXPECT_NE(ErrorMessageUtf8(Error::FromErrno | EPROTO, Language::English).find("71"), std::string::npos);
}

TEST(ErrorsTest, LastErrorBelongsToItsThread) {
  errno = ENOSPC;
  EXPECT_EQ(SetLastErrorFromErrno(), Error::DiskFull);
  uint32_t seenByOther = 99;
  std::thread([&] {
    seenByOther = GetLastError();
    SetLastError(Error::AccessDenied);
  }).join();
  EXPECT_EQ(seenByOther, Error::None);
  EXPECT_EQ(GetLastError(), Error::DiskFull);
}

TEST(ErrorsTest, EveryKnownCodeHasItsOwnTextInEachLanguage) {
  const uint32_t codes[] = {2,   3,   4,   5,   6,   8,   13,  17,  18,  19,  21,  31,  32,   38,   50,   80,   87,
                            109, 112, 122, 123, 126, 127, 145, 170, 183, 206, 223, 267, 1113, 1117, 1400, 1460, 1921};
  for (Language language : {Language::English, Language::Japanese, Language::Korean, Language::Chinese}) {
    std::set<std::string> texts;
    for (uint32_t code : codes) {
      std::string text = ErrorMessageUtf8(code, language);
      EXPECT_EQ(text.find(std::to_string(code)), std::string::npos) << text;  // not the generic one
      texts.insert(text);
    }
    EXPECT_EQ(texts.size(), std::size(codes));
  }
  EXPECT_EQ(ErrorMessageUtf8(2, Language::Japanese), "ファイルが見つかりません。");
  for (Language language : {Language::English, Language::Japanese, Language::Korean, Language::Chinese}) {
    EXPECT_NE(ErrorMessageUtf8(54321, language).find("54321"), std::string::npos);
  }
}

TEST(ErrorsTest, MessageFollowsInterfaceLanguageAndCodePage) {
  setenv("TUNEWARDEN_LANG", "ja_JP", 1);
  SetActiveCodePage(932);
  SetLastError(Error::DiskFull);
  std::string expected;
  ASSERT_TRUE(Utf8ToCodePage(ErrorMessageUtf8(5, Language::Japanese), &expected));
  EXPECT_EQ(ErrorMessage(5), expected);
  SetActiveCodePage(1252);  // cannot show Japanese: English instead
  EXPECT_EQ(ErrorMessage(5), "Access is denied.");
  EXPECT_EQ(GetLastError(), Error::DiskFull);  // showing a message keeps the error
  SetActiveCodePage(0);
  setenv("TUNEWARDEN_LANG", "en", 1);
}

}  // namespace
}  // namespace platform
