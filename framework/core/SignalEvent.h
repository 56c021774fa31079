// An auto-reset event, created not signalled. Events created with the same
// name share one state.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/Root.h"

class CSignalEvent : public CRoot {
 public:
  static constexpr uint32_t Infinite = 0xFFFFFFFF;

  void Create(const char* name = nullptr);
  void Set();
  // Throws CException (time-out) when the wait times out.
  void Wait(uint32_t milliseconds);
  void Close() { state_.reset(); }

 private:
  struct State;
  std::shared_ptr<State> state_;
};
