// A reference-counted 8-bit string in the program's code page. Copies share one
// block until one of them writes; all empty texts share a static block.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

#include "framework/core/Root.h"

class CText : public CRoot {
 public:
  CText() noexcept;
  CText(const CText& other) noexcept;
  CText(CText&& other) noexcept;
  CText(const char* chars);  // NOLINT: a text stands wherever characters do
  explicit CText(std::string_view bytes);
  ~CText() override;

  CText& operator=(const CText& other) noexcept;
  CText& operator=(CText&& other) noexcept;
  CText& operator=(const char* chars);

  const char* Chars() const { return block_->Chars(); }
  int Length() const { return length_; }
  bool IsEmpty() const { return length_ == 0; }
  std::string_view View() const { return {Chars(), static_cast<size_t>(length_)}; }
  uint32_t Capacity() const { return block_->capacity; }

  // Makes the block private with the given capacity and returns it for writing;
  // SetLength then fixes the length (at most the capacity) and writes the terminator.
  char* GetBuffer(int capacity);
  void SetLength(int length);

  void Append(const CText& text);
  void Append(const char* chars);
  void Append(std::string_view bytes);
  void Append(char c);  // the character 0 appends nothing
  CText& operator+=(const CText& text) {
    Append(text);
    return *this;
  }
  CText& operator+=(const char* chars) {
    Append(chars);
    return *this;
  }
  CText& operator+=(char c) {
    Append(c);
    return *this;
  }

  // Unsigned byte order up to the first difference or terminator: -1, 0 or 1.
  int Compare(const char* chars) const;
  int Compare(const CText& text) const { return Compare(text.Chars()); }
  bool operator==(const char* chars) const { return Compare(chars) == 0; }
  bool operator==(const CText& text) const;

  CText Left(int count) const;
  CText Right(int count) const;
  int Find(char c, int start = 0) const;  // -1 when absent
  int FindLast(char c) const;             // -1 when absent
  void MakeLower();                       // A-Z only

  void Format(const char* pattern, ...) __attribute__((format(printf, 2, 3)));

  // Stream form: 4-byte little-endian length, then the bytes, no terminator.
  void Load(CByteStream& stream) override;
  void Save(CByteStream& stream) const override;

 private:
  // Header of a block; capacity + 1 characters follow it.
  struct Block {
    std::atomic<int32_t> refs;
    uint32_t capacity;
    char* Chars() { return reinterpret_cast<char*>(this + 1); }
  };
  static Block* EmptyBlock();
  static Block* NewBlock(uint32_t capacity);
  void Release() noexcept;
  void MakePrivate(uint32_t capacity);
  bool Overlaps(const char* bytes) const;
  void WriteFrom(int32_t at, const char* bytes, uint32_t count);
  void AssignBytes(const char* bytes, uint32_t count);
  void AppendBytes(const char* bytes, uint32_t count);

  Block* block_;
  int32_t length_;
};

CText operator+(const CText& left, const CText& right);
CText operator+(const CText& left, const char* right);
