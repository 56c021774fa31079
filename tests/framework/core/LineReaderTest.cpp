#include "framework/core/LineReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/core/DiskFile.h"
#include "framework/core/Exception.h"
#include "tests/framework/core/MemoryStream.h"

using namespace std::string_literals;

namespace {

// Every line until the stream's end, which must come as CException 0.
std::vector<std::string> ReadAll(CByteStream& stream, uint32_t blockSize) {
  CLineReader reader;
  reader.Open(stream, blockSize);
  std::vector<std::string> lines;
  try {
    for (;;) lines.emplace_back(reader.ReadLine().View());
  } catch (const CException& e) {
    EXPECT_EQ(e.Code(), 0u);
  }
  EXPECT_EQ(reader.LinesRead(), static_cast<int>(lines.size()));
  return lines;
}

std::vector<std::string> ReadAll(const std::string& data, uint32_t blockSize, uint32_t step = 0xFFFFFFFF) {
  MemoryStream stream(data, step);
  return ReadAll(stream, blockSize);
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(LineReader, EndsLinesAtCarriageReturnLineFeedOrBoth) {
  // Block sizes smaller than a line and ones that split a CR LF pair.
  for (uint32_t block : {1u, 2u, 3u, 4u, 4096u}) {
    SCOPED_TRACE("block size " + std::to_string(block));
    EXPECT_EQ(ReadAll("a\r\nb\nc\r", block), (Lines{"a", "b", "c"}));
    EXPECT_EQ(ReadAll("\r\r", block), (Lines{"", ""}));
    EXPECT_EQ(ReadAll("\n\r\n\n", block), (Lines{"", "", ""}));
    EXPECT_EQ(ReadAll("x\n\ry", block), (Lines{"x", "", "y"})) << "LF then CR are two ends";
    EXPECT_EQ(ReadAll("first line\r\nsecond one\n", block), (Lines{"first line", "second one"}));
    EXPECT_EQ(ReadAll("", block), Lines{});
  }
}

TEST(LineReader, HandsOutAnUnterminatedLastLine) {
  EXPECT_EQ(ReadAll("[General]\r\nnameFont=Arial", 4), (Lines{"[General]", "nameFont=Arial"}));
  EXPECT_EQ(ReadAll("only", 2, 1), Lines{"only"});
}

TEST(LineReader, CopesWithShortReads) {
  EXPECT_EQ(ReadAll("ab\r\ncd\r\n", 4096, 1), (Lines{"ab", "cd"}));
  EXPECT_EQ(ReadAll("ab\r\ncd\r\n", 3, 2), (Lines{"ab", "cd"}));
}

TEST(LineReader, ReadsADiskFileToItsEnd) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "tw_line_reader.txt";
  std::string data;
  Lines expected;
  for (int i = 0; i < 1000; ++i) {
    expected.push_back(std::string(i % 50, 'a' + i % 26));
    data += expected.back() + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
  }
  std::ofstream(path, std::ios::binary) << data;
  CDiskFile file;
  file.Open(CText(path.c_str()), platform::OpenFlag::Read);
  EXPECT_EQ(ReadAll(file, 4096), expected);
  std::filesystem::remove(path);
}

namespace {

// A stream that fails with an error, to reach the reader's error path.
class FakeFailingStream final : public CByteStream {
 public:
  uint32_t Read(void*, uint32_t) override { throw CException(5); }
  uint32_t Write(const void*, uint32_t) override { return 0; }
};

}  // namespace

TEST(LineReader, PassesStreamErrorsThrough_FakeFailingStream) {
  FakeFailingStream stream;
  CLineReader reader;
  reader.Open(stream, 16);
  try {
    reader.ReadLine();
    FAIL();
  } catch (const CException& e) {
    EXPECT_EQ(e.Code(), 5u);
  }
}
