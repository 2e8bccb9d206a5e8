#pragma once
// GoogleTest on GCC's win32 thread model, which has no std::mutex nor
// std::condition_variable: its Notification (for its own tests' threads,
// never started here) waits on a flag instead.
#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {
struct Notification {
    std::atomic<bool> notified{false};
    void Notify() { notified = true; }
    void WaitForNotification() { while (!notified) {} }
};
}  // namespace testing::internal
