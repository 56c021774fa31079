// Which sectors of a structure held in memory changed since it was last
// written, and the range they lie in, so that asking whether anything changed
// and writing the changes need not walk every sector of a large one.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace volkit {

class DirtySectors {
 public:
  explicit DirtySectors(size_t sectors = 0) : changed_(sectors, false) {}

  size_t size() const { return changed_.size(); }
  void grow(size_t sectors) { changed_.resize(sectors, false); }

  void mark(uint32_t sector) {
    changed_[sector] = true;
    from_ = std::min(from_, sector);
    to_ = std::max(to_, sector + 1);
  }
  bool any() const { return from_ < to_; }
  // The changed sectors lie in [from, to).
  uint32_t from() const { return from_; }
  uint32_t to() const { return to_; }

  // Calls write(first, end) for each run [first, end) of changed sectors,
  // in ascending order; `joins(s)` tells whether sector s may go in one
  // write with sector s - 1.
  template <class Joins, class Write>
  void forEachRun(Joins joins, Write write) const {
    for (size_t i = from_; i < to_;) {
      if (!changed_[i]) {
        ++i;
        continue;
      }
      size_t end = i + 1;
      while (end < to_ && changed_[end] && joins(end)) ++end;
      write(i, end);
      i = end;
    }
  }

  void clear() {
    if (!any()) return;
    std::fill(changed_.begin() + long(from_), changed_.begin() + long(to_), false);
    from_ = UINT32_MAX;
    to_ = 0;
  }

 private:
  std::vector<bool> changed_;
  uint32_t from_ = UINT32_MAX, to_ = 0;
};

}  // namespace volkit
