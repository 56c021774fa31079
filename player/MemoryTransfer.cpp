#include "player/MemoryTransfer.h"

#include <cstring>

namespace {

MemoryCursor* Take(TransferRequest* request, uint32_t length) {
  auto* cursor = static_cast<MemoryCursor*>(request->context);
  if (length > cursor->left) return nullptr;
  return cursor;
}

void Advance(MemoryCursor* cursor, uint32_t length) {
  cursor->next += length;
  cursor->left -= length;
}

}  // namespace

uint32_t CopyOutOfMemory(TransferRequest* request, void* buffer, uint32_t length) {
  MemoryCursor* cursor = Take(request, length);
  if (cursor == nullptr) return 0;
  std::memcpy(buffer, cursor->next, length);
  Advance(cursor, length);
  return 1;
}

uint32_t CopyIntoMemory(TransferRequest* request, void* buffer, uint32_t length) {
  MemoryCursor* cursor = Take(request, length);
  if (cursor == nullptr) return 0;
  std::memcpy(cursor->next, buffer, length);
  Advance(cursor, length);
  return 1;
}
