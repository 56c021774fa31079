#include "framework/core/SignalEvent.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>

#include "framework/core/Exception.h"
#include "platform/Errors.h"

struct CSignalEvent::State {
  std::mutex mutex;
  std::condition_variable changed;
  bool signalled = false;
};

void CSignalEvent::Create(const char* name) {
  if (!name) {
    state_ = std::make_shared<State>();
    return;
  }
  static std::mutex namesMutex;
  static std::map<std::string, std::weak_ptr<State>> names;
  std::lock_guard lock(namesMutex);
  std::weak_ptr<State>& shared = names[name];
  state_ = shared.lock();
  if (!state_) {
    state_ = std::make_shared<State>();
    shared = state_;
  }
}

void CSignalEvent::Set() {
  if (!state_) throw CException(platform::Error::InvalidHandle);
  {
    std::lock_guard lock(state_->mutex);
    state_->signalled = true;
  }
  state_->changed.notify_one();
}

void CSignalEvent::Wait(uint32_t milliseconds) {
  if (!state_) throw CException(platform::Error::InvalidHandle);
  std::unique_lock lock(state_->mutex);
  const auto signalled = [this] { return state_->signalled; };
  if (milliseconds == Infinite) {
    state_->changed.wait(lock, signalled);
  } else if (!state_->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), signalled)) {
    platform::SetLastError(platform::Error::Timeout);
    throw CException(platform::Error::Timeout);
  }
  state_->signalled = false;  // auto-reset: one waiter takes the signal
}
