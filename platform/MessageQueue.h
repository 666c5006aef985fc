// A plain thread-safe queue of posted messages, for programs without a window.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "MessageTarget.h"

struct PostedMessage {
  std::uint32_t Msg = 0;
  std::uintptr_t WParam = 0;
  std::intptr_t LParam = 0;
};

class MessageQueue final : public MessageTarget {
 public:
  void PostMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override {
    {
      std::lock_guard<std::mutex> guard(Lock);
      Messages.push_back({msg, wParam, lParam});
    }
    Ready.notify_one();
  }

  // The oldest message, waiting at most `timeout`; false if none came.
  bool Wait(PostedMessage& message, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> guard(Lock);
    if (!Ready.wait_for(guard, timeout, [this] { return !Messages.empty(); })) return false;
    message = Messages.front();
    Messages.pop_front();
    return true;
  }

 private:
  std::mutex Lock;
  std::condition_variable Ready;
  std::deque<PostedMessage> Messages;
};
