// QELCritSect: re-entrant for its owner, exclusive across threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "QELBase.h"

TEST(QELCritSect, ReentrantForTheOwningThread) {
  QELCritSect lock;
  lock.Lock();
  lock.Lock();
  std::atomic<bool> entered{false};
  std::thread other([&] {
    lock.Lock();
    entered = true;
    lock.UnLock();
  });
  lock.UnLock();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(entered);  // still held once
  lock.UnLock();
  other.join();
  EXPECT_TRUE(entered);
}

TEST(QELCritSect, MutualExclusionAcrossThreads) {
  QELCritSect lock;
  long counter = 0;  // deliberately unsynchronised apart from the lock
  int inside = 0, maxInside = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        lock.Lock();
        maxInside = std::max(maxInside, ++inside);
        ++counter;
        --inside;
        lock.UnLock();
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(counter, 80000);
  EXPECT_EQ(maxInside, 1);
}

TEST(QELCritSect, AssignmentKeepsAWorkingLock) {
  QELCritSect a, b;
  a.Lock();
  QELCritSect& result = (b = a);
  EXPECT_EQ(&result, &b);
  b.Lock();  // b's own lock, not a copy of a's held one
  b.UnLock();
  a.UnLock();
}
