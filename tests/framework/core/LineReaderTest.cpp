#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/Exception.h"
#include "framework/core/LineReader.h"
#include "tests/framework/core/CoreTesting.h"

namespace {

using Lines = std::vector<std::string>;

// Every line until the stream's end, which must come as CException 0.
Lines ReadAll(const std::string& data, uint32_t blockSize, uint32_t step = 0xFFFFFFFF) {
  MemoryStream stream(data, step);
  CLineReader reader;
  reader.Open(stream, blockSize);
  Lines lines;
  try {
    for (;;) lines.emplace_back(reader.ReadLine().View());
  } catch (const CException& e) {
    EXPECT_EQ(e.Code(), 0u);
  }
  EXPECT_EQ(reader.LinesRead(), static_cast<int>(lines.size()));
  return lines;
}

}  // namespace

TEST(LineReader, EndsLinesAtCarriageReturnLineFeedOrBoth) {
  // Block sizes smaller than a line and ones that split a CR LF pair.
  for (uint32_t block : {1u, 2u, 3u, 4u, 4096u}) {
    SCOPED_TRACE("block size " + std::to_string(block));
    EXPECT_EQ(ReadAll("a\r\nb\nc\r", block), (Lines{"a", "b", "c"}));
    EXPECT_EQ(ReadAll("\r\r", block), (Lines{"", ""}));
    EXPECT_EQ(ReadAll("\n\r\n\n", block), (Lines{"", "", ""}));
    EXPECT_EQ(ReadAll("x\n\ry", block), (Lines{"x", "", "y"})) << "LF then CR are two ends";
    EXPECT_EQ(ReadAll("", block), Lines{});
  }
}

TEST(LineReader, HandsOutAnUnterminatedLastLineAndCopesWithShortReads) {
  EXPECT_EQ(ReadAll("[General]\r\nnameFont=Arial", 4), (Lines{"[General]", "nameFont=Arial"}));
  EXPECT_EQ(ReadAll("only", 2, 1), Lines{"only"});
  EXPECT_EQ(ReadAll("ab\r\ncd\r\n", 3, 2), (Lines{"ab", "cd"}));
}
