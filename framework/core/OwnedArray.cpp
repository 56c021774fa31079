#include "framework/core/OwnedArray.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "framework/core/Exception.h"
#include "platform/Errors.h"

COwnedArray::~COwnedArray() { RemoveAll(); }

int COwnedArray::Add(CRoot* item) {
  // NOLINTNEXTLINE(bugprone-sizeof-expression): the array holds pointers
  const size_t needed = (static_cast<size_t>(count_) + 1) * sizeof(CRoot*);
  if (needed > storageBytes_) {
    // The smallest multiple of 64 bytes that holds one more pointer.
    constexpr size_t Step = 64;
    const size_t bytes = (needed + Step - 1) / Step * Step;
    void* grown = bytes <= std::numeric_limits<uint32_t>::max() ? std::realloc(items_, bytes) : nullptr;
    if (!grown) {
      delete item;
      throw CException(platform::Error::NotEnoughMemory);
    }
    items_ = static_cast<CRoot**>(grown);
    storageBytes_ = static_cast<uint32_t>(bytes);
  }
  items_[count_] = item;
  return count_++;
}

CRoot* COwnedArray::At(int index) const {
  if (index < 0 || index >= count_) throw CException(platform::Error::InvalidParameter);
  return items_[index];
}

void COwnedArray::Remove(int index) {
  CRoot* item = At(index);
  // NOLINTNEXTLINE(bugprone-sizeof-expression): the array holds pointers
  std::memmove(items_ + index, items_ + index + 1, (count_ - index - 1) * sizeof(CRoot*));
  --count_;
  delete item;
}

void COwnedArray::RemoveAll() {
  for (int i = 0; i < count_; ++i) delete items_[i];
  std::free(items_);
  items_ = nullptr;
  count_ = 0;
  storageBytes_ = 0;
}
