#include "framework/core/OwnedArray.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/core/Exception.h"

namespace {

// Records its id when destroyed, through a virtual destructor only.
class Tracked final : public CRoot {
 public:
  Tracked(int id, std::vector<int>* destroyed) : id_(id), destroyed_(destroyed) {}
  ~Tracked() override { destroyed_->push_back(id_); }
  int Id() const { return id_; }

 private:
  int id_;
  std::vector<int>* destroyed_;
};

}  // namespace

TEST(OwnedArray, GrowsInStepsOfSixteenItems) {
  std::vector<int> destroyed;
  COwnedArray array;
  EXPECT_EQ(array.StorageBytes(), 0u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(array.Add(new Tracked(i, &destroyed)), i);
  EXPECT_EQ(array.StorageBytes(), 16 * sizeof(CRoot*));
  array.Add(new Tracked(16, &destroyed));
  EXPECT_EQ(array.StorageBytes(), 32 * sizeof(CRoot*)) << "the 17th item doubles the storage";
  for (int i = 17; i < 33; ++i) array.Add(new Tracked(i, &destroyed));
  EXPECT_EQ(array.StorageBytes(), 48 * sizeof(CRoot*));
  EXPECT_EQ(array.Count(), 33);
  EXPECT_TRUE(destroyed.empty());
}

TEST(OwnedArray, RemovalDestroysAndShiftsDown) {
  std::vector<int> destroyed;
  COwnedArray array;
  for (int i = 0; i < 5; ++i) array.Add(new Tracked(i, &destroyed));
  array.Remove(1);
  EXPECT_EQ(destroyed, std::vector<int>{1});
  ASSERT_EQ(array.Count(), 4);
  std::vector<int> left;
  for (int i = 0; i < array.Count(); ++i) left.push_back(array.Get<Tracked>(i).Id());
  EXPECT_EQ(left, (std::vector<int>{0, 2, 3, 4}));

  array.Remove(3);
  EXPECT_EQ(destroyed, (std::vector<int>{1, 4}));
  EXPECT_THROW(array.Remove(3), CException);
  EXPECT_THROW(array.At(-1), CException);

  array.RemoveAll();
  EXPECT_EQ(destroyed, (std::vector<int>{1, 4, 0, 2, 3})) << "in index order";
  EXPECT_EQ(array.Count(), 0);
  EXPECT_EQ(array.StorageBytes(), 0u);

  array.Add(new Tracked(9, &destroyed));
  EXPECT_EQ(array.StorageBytes(), 16 * sizeof(CRoot*)) << "usable again after RemoveAll";
}

TEST(OwnedArray, DestructionDestroysEveryItem) {
  std::vector<int> destroyed;
  {
    COwnedArray array;
    for (int i = 0; i < 20; ++i) array.Add(new Tracked(i, &destroyed));
  }
  EXPECT_EQ(destroyed.size(), 20u);
}
