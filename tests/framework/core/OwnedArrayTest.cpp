#include <gtest/gtest.h>

#include <vector>

#include "framework/core/Exception.h"
#include "framework/core/OwnedArray.h"

namespace {

// Records its id when destroyed, through the virtual destructor.
class Tracked final : public CRoot {
 public:
  Tracked(int id, std::vector<int>* destroyed) : id(id), destroyed_(destroyed) {}
  ~Tracked() override { destroyed_->push_back(id); }
  const int id;

 private:
  std::vector<int>* destroyed_;
};

}  // namespace

TEST(OwnedArray, GrowsToTheNextMultipleOf64Bytes) {
  std::vector<int> destroyed;
  COwnedArray array;
  const uint32_t perStep = 64 / sizeof(void*);  // pointers per 64 bytes
  for (uint32_t i = 0; i < 16; ++i) {
    EXPECT_EQ(array.Add(new Tracked(i, &destroyed)), static_cast<int>(i));
    EXPECT_EQ(array.StorageBytes(), (i / perStep + 1) * 64) << "after item " << i + 1;
  }
  const uint32_t before = array.StorageBytes();
  array.Add(new Tracked(16, &destroyed));
  EXPECT_EQ(array.StorageBytes(), before + 64) << "the 17th item grows the storage by one step";
  EXPECT_TRUE(destroyed.empty());
}

TEST(OwnedArray, RemovalDestroysAndShiftsDown) {
  std::vector<int> destroyed;
  {
    COwnedArray array;
    for (int i = 0; i < 5; ++i) array.Add(new Tracked(i, &destroyed));
    array.Remove(1);
    array.Remove(3);
    EXPECT_EQ(destroyed, (std::vector<int>{1, 4}));
    ASSERT_EQ(array.Count(), 3);
    EXPECT_EQ(array.Get<Tracked>(1).id, 2);
    EXPECT_THROW(array.Remove(3), CException);
    EXPECT_THROW(array.At(-1), CException);

    array.RemoveAll();
    EXPECT_EQ(destroyed, (std::vector<int>{1, 4, 0, 2, 3})) << "in index order";
    EXPECT_EQ(array.StorageBytes(), 0u);
    array.Add(new Tracked(9, &destroyed));
  }
  EXPECT_EQ(destroyed.back(), 9) << "destroying the array destroys its items";
}
