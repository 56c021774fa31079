// Clean-up that runs only when a scope is left by an exception: the undoing
// of half-done work, written once beside the work instead of in a catch
// clause that rethrows. Header only, so the plug-ins use it too.
#pragma once

#include <exception>
#include <utility>

namespace platform {

template <class Cleanup>
class OnFailure {
 public:
  explicit OnFailure(Cleanup cleanup) : cleanup_(std::move(cleanup)), exceptions_(std::uncaught_exceptions()) {}
  OnFailure(const OnFailure&) = delete;
  OnFailure& operator=(const OnFailure&) = delete;

  // A failure of the clean-up itself is dropped: the first error is the one
  // reported.
  ~OnFailure() {
    if (std::uncaught_exceptions() <= exceptions_) return;
    try {
      cleanup_();
    } catch (...) {
    }
  }

 private:
  Cleanup cleanup_;
  int exceptions_;
};

}  // namespace platform
