#include "framework/core/Text.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "framework/core/ByteStream.h"
#include "framework/core/Exception.h"
#include "platform/Errors.h"

namespace {

constexpr uint32_t RoundUp32(uint32_t n) { return (n + 31u) & ~31u; }

uint32_t CheckedLength(size_t length) {
  if (length > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    throw CException(platform::Error::NotEnoughMemory);
  return static_cast<uint32_t>(length);
}

}  // namespace

CText::Block* CText::EmptyBlock() {
  // Never counted and never freed; its one character stays 0.
  struct alignas(Block) EmptyStorage {
    Block header;
    char terminator[sizeof(Block)];
  };
  static EmptyStorage empty{{{0}, 0}, {}};
  static_assert(offsetof(EmptyStorage, terminator) == sizeof(Block));
  return &empty.header;
}

CText::Block* CText::NewBlock(uint32_t capacity) {
  void* memory = std::malloc(sizeof(Block) + capacity + 1);
  if (!memory) throw CException(platform::Error::NotEnoughMemory);
  Block* block = new (memory) Block{{1}, capacity};
  block->Chars()[0] = 0;
  return block;
}

CText::CText() noexcept : block_(EmptyBlock()), length_(0) {}

CText::CText(const CText& other) noexcept : block_(other.block_), length_(other.length_) {
  if (block_ != EmptyBlock()) block_->refs.fetch_add(1);
}

CText::CText(CText&& other) noexcept : block_(other.block_), length_(other.length_) {
  other.block_ = EmptyBlock();
  other.length_ = 0;
}

CText::CText(const char* chars) : CText() {
  if (chars) AssignBytes(chars, CheckedLength(std::strlen(chars)));
}

CText::CText(std::string_view bytes) : CText() { AssignBytes(bytes.data(), CheckedLength(bytes.size())); }

CText::~CText() { Release(); }

void CText::Release() noexcept {
  if (block_ != EmptyBlock() && block_->refs.fetch_sub(1) - 1 < 1) {
    block_->~Block();
    std::free(block_);
  }
  block_ = EmptyBlock();
  length_ = 0;
}

CText& CText::operator=(const CText& other) noexcept {
  // Texts that share a block are equal already.
  if (block_ != other.block_) {
    CText copy(other);
    *this = std::move(copy);
  }
  return *this;
}

CText& CText::operator=(CText&& other) noexcept {
  if (this != &other) {
    Release();
    block_ = other.block_;
    length_ = other.length_;
    other.block_ = EmptyBlock();
    other.length_ = 0;
  }
  return *this;
}

CText& CText::operator=(const char* chars) {
  AssignBytes(chars ? chars : "", chars ? CheckedLength(std::strlen(chars)) : 0);
  return *this;
}

void CText::MakePrivate(uint32_t capacity) {
  // A shared block gives way to one of exactly the requested capacity (the
  // empty block stays when nothing is asked for); a private one is resized to
  // the capacity rounded up to 32 when that differs.
  const bool shared = block_ == EmptyBlock() || block_->refs.load() > 1;
  if (block_ == EmptyBlock() && capacity == 0) return;
  const uint32_t wanted = shared ? capacity : RoundUp32(capacity);
  const uint32_t kept = std::min(static_cast<uint32_t>(length_), capacity);
  if (shared || wanted != block_->capacity) {
    Block* fresh = NewBlock(wanted);
    std::memcpy(fresh->Chars(), Chars(), kept);
    Release();
    block_ = fresh;
  }
  length_ = static_cast<int32_t>(kept);
  block_->Chars()[kept] = 0;
}

char* CText::GetBuffer(int capacity) {
  MakePrivate(static_cast<uint32_t>(std::max(capacity, 0)));
  return block_->Chars();
}

void CText::SetLength(int length) {
  // Without GetBuffer first the terminator must still land in a block of our own.
  if (block_ == EmptyBlock() || block_->refs.load() > 1) MakePrivate(static_cast<uint32_t>(length_));
  length_ = std::clamp(length, 0, static_cast<int>(block_->capacity));
  if (block_ != EmptyBlock()) block_->Chars()[length_] = 0;
}

bool CText::Overlaps(const char* bytes) const {
  const auto at = reinterpret_cast<uintptr_t>(bytes);
  const auto begin = reinterpret_cast<uintptr_t>(Chars());
  return block_ != EmptyBlock() && at >= begin && at <= begin + static_cast<uintptr_t>(length_);
}

void CText::WriteFrom(int32_t at, const char* bytes, uint32_t count) {
  // The source may lie inside this text's own block, which is about to change.
  if (Overlaps(bytes)) {
    const std::string copy(bytes, count);
    WriteFrom(at, copy.data(), count);
    return;
  }
  length_ = at;  // only the characters before `at` need to survive
  MakePrivate(CheckedLength(static_cast<size_t>(at) + count));
  std::memcpy(block_->Chars() + at, bytes, count);
  length_ = at + static_cast<int32_t>(count);
  block_->Chars()[length_] = 0;
}

void CText::AssignBytes(const char* bytes, uint32_t count) {
  if (count == 0)
    Release();
  else
    WriteFrom(0, bytes, count);
}

void CText::AppendBytes(const char* bytes, uint32_t count) {
  if (count > 0) WriteFrom(length_, bytes, count);
}

void CText::Append(const CText& text) { AppendBytes(text.Chars(), static_cast<uint32_t>(text.length_)); }

void CText::Append(std::string_view bytes) { AppendBytes(bytes.data(), CheckedLength(bytes.size())); }

void CText::Append(const char* chars) {
  if (chars) AppendBytes(chars, CheckedLength(std::strlen(chars)));
}

void CText::Append(char c) {
  if (c != 0) AppendBytes(&c, 1);
}

CText operator+(const CText& left, const CText& right) {
  CText result;
  char* out = result.GetBuffer(left.Length() + right.Length());
  std::memcpy(out, left.Chars(), left.Length());
  std::memcpy(out + left.Length(), right.Chars(), right.Length());
  result.SetLength(left.Length() + right.Length());
  return result;
}

CText operator+(const CText& left, const char* right) { return left + CText(right); }

int CText::Compare(const char* chars) const {
  const int result = std::strcmp(Chars(), chars ? chars : "");
  return (result > 0) - (result < 0);
}

bool CText::operator==(const CText& text) const { return length_ == text.length_ && Compare(text) == 0; }

CText CText::Left(int count) const {
  if (count < 1) return CText();
  if (count >= length_) return *this;
  return CText(View().substr(0, count));
}

CText CText::Right(int count) const {
  if (count < 1) return CText();
  if (count >= length_) return *this;
  return CText(View().substr(length_ - count));
}

int CText::Find(char c, int start) const {
  const size_t at = View().find(c, static_cast<size_t>(std::max(start, 0)));
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

int CText::FindLast(char c) const {
  const size_t at = View().rfind(c);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

void CText::MakeLower() {
  char* chars = GetBuffer(length_);
  for (int i = 0; i < length_; ++i)
    if (chars[i] >= 'A' && chars[i] <= 'Z') chars[i] = static_cast<char>(chars[i] - 'A' + 'a');
}

void CText::Format(const char* pattern, ...) {
  va_list args;
  va_start(args, pattern);
  va_list measure;
  va_copy(measure, args);
  const int needed = std::vsnprintf(nullptr, 0, pattern, measure);
  va_end(measure);
  if (needed < 0) {
    va_end(args);
    throw CException(platform::Error::InvalidParameter);
  }
  // Formatted apart first: an argument may be this text's own characters.
  std::string formatted(static_cast<size_t>(needed) + 1, '\0');
  std::vsnprintf(formatted.data(), formatted.size(), pattern, args);
  va_end(args);
  AssignBytes(formatted.data(), static_cast<uint32_t>(needed));
}

void CText::Save(CByteStream& stream) const {
  const uint32_t n = static_cast<uint32_t>(length_);
  const uint8_t size[4] = {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
  stream.WriteAll(size, 4);
  stream.WriteAll(Chars(), n);
}

void CText::Load(CByteStream& stream) {
  uint8_t size[4];
  stream.ReadExact(size, 4);
  const uint32_t n = size[0] | size[1] << 8 | size[2] << 16 | uint32_t(size[3]) << 24;
  if (n > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) throw CException(platform::Error::InvalidData);
  // Read in steps so that a damaged length costs no more memory than the data
  // really present; data that ends early is damaged, not a clean end.
  std::string bytes;
  try {
    constexpr uint32_t Step = 64 * 1024;
    while (bytes.size() < n) {
      const uint32_t chunk = std::min<uint32_t>(Step, n - static_cast<uint32_t>(bytes.size()));
      const size_t at = bytes.size();
      bytes.resize(at + chunk);
      stream.ReadExact(bytes.data() + at, chunk);
    }
  } catch (const CException& e) {
    if (e.Code() == 0) throw CException(platform::Error::InvalidData);
    throw;
  }
  AssignBytes(bytes.data(), n);
}
