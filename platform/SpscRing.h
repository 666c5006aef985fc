// A fixed ring of values passed from one thread to another without locks
// or allocation: one producer, one consumer.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>

template <class T, std::size_t Capacity>
class SpscRing {
  static_assert((Capacity & (Capacity - 1)) == 0, "capacity must be a power of two");

 public:
  bool Push(T value) {
    const std::size_t tail = Tail.load(std::memory_order_relaxed);
    if (tail - Head.load(std::memory_order_acquire) == Capacity) return false;
    Slots[tail & (Capacity - 1)] = value;
    Tail.store(tail + 1, std::memory_order_release);
    return true;
  }
  // The oldest value, left in place; false when empty.
  bool Front(T& value) const {
    const std::size_t head = Head.load(std::memory_order_relaxed);
    if (head == Tail.load(std::memory_order_acquire)) return false;
    value = Slots[head & (Capacity - 1)];
    return true;
  }
  bool Pop(T& value) {
    if (!Front(value)) return false;
    Head.store(Head.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    return true;
  }
  bool Empty() const { return Head.load(std::memory_order_acquire) == Tail.load(std::memory_order_acquire); }

 private:
  std::array<T, Capacity> Slots{};
  std::atomic<std::size_t> Head{0};
  std::atomic<std::size_t> Tail{0};
};
