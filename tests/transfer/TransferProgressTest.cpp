// The progress figures with a substituted tick: when the display is updated
// and what it shows.
#include <gtest/gtest.h>

#include "platform/Time.h"
#include "resources/StringTables.h"
#include "transfer/TransferProgress.h"

namespace {

using Step = TransferProgress::Step;

TEST(TransferProgressTest, UpdatesComeEvery500MillisecondsOrAtOnceAndShowKilobytesAndSpeed) {
  InstallStringTables();
  uint32_t now = 10000;
  platform::SetTickSource([&] { return now; });
  TransferProgress progress;
  TransferProgress::Display shown;
  TransferRequest request{};
  request.total = 3000000;
  progress.StartRun();
  progress.StartFile();
  ASSERT_EQ(progress.Advance(request, &shown), Step::FileStarted);
  EXPECT_EQ(shown.range, 2929);

  now += 499;
  request.done = 400000;
  EXPECT_EQ(progress.Advance(request, &shown), Step::Quiet) << "under 500 ms after the run started";
  now += 1;
  ASSERT_EQ(progress.Advance(request, &shown), Step::Update);
  EXPECT_EQ(std::string(SpeedText(shown).Chars()), "speed : 401KB/sec") << "the first second: D / 1000 + 1";

  now += 2000;
  request.done = 1500000;
  ASSERT_EQ(progress.Advance(request, &shown), Step::Update);
  EXPECT_EQ(std::string(AmountText(shown).Chars()), "1464KB / 2929KB");
  EXPECT_EQ(std::string(SpeedText(shown).Chars()), "speed : 750KB/sec");
  now += 1;
  EXPECT_EQ(progress.Advance(request, &shown), Step::Quiet);
  request.flags |= TransferRequest::UpdateNow;
  EXPECT_EQ(progress.Advance(request, &shown), Step::Update) << "the plug-in's bit of value 2";

  // A small file across the wrap of the counter: 512 ms, not 4 billion.
  now = 0xFFFFFF00;
  progress.StartRun();
  progress.StartFile();
  request = TransferRequest{};
  request.total = 700;
  ASSERT_EQ(progress.Advance(request, &shown), Step::FileStarted);
  EXPECT_EQ(shown.range, 0);
  now += 0x10;
  EXPECT_EQ(progress.Advance(request, &shown), Step::Quiet);
  now = 0x100;
  request.done = 700;
  ASSERT_EQ(progress.Advance(request, &shown), Step::Update);
  EXPECT_EQ(std::string(AmountText(shown).Chars()), "1KB / 1KB") << "never 0KB";
  EXPECT_EQ(std::string(SpeedText(shown).Chars()), "speed : 001KB/sec");
  platform::SetTickSource({});
}

}  // namespace
