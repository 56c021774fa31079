// A growable array of CRoot objects that it owns and destroys. Storage grows
// in steps of 64 bytes.
#pragma once

#include <cstdint>

#include "framework/core/Root.h"

class COwnedArray : public CRoot {
 public:
  COwnedArray() = default;
  COwnedArray(const COwnedArray&) = delete;
  COwnedArray& operator=(const COwnedArray&) = delete;
  ~COwnedArray() override;

  // Takes ownership (also when growing fails: the item is then destroyed and
  // CException thrown); returns the item's index.
  int Add(CRoot* item);
  int Count() const { return count_; }
  // Out-of-range indexes throw CException.
  CRoot* At(int index) const;
  CRoot* operator[](int index) const { return At(index); }
  template <class T>
  T& Get(int index) const {
    return static_cast<T&>(*At(index));
  }
  // Destroys item `index`; the following items move down by one.
  void Remove(int index);
  // Destroys every item in index order and frees the storage.
  void RemoveAll();
  uint32_t StorageBytes() const { return storageBytes_; }

 private:
  CRoot** items_ = nullptr;
  int count_ = 0;
  uint32_t storageBytes_ = 0;
};
