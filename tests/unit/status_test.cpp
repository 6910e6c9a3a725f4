#include <gtest/gtest.h>

#include "common/alloc.h"
#include "common/pointer_list.h"
#include "common/status.h"

using namespace ox;

TEST(Status, MapsToHostResults) {
  struct Case {
    Status status;
    int32_t host;
  } cases[] = {
      {Success(), 0},
      {Status{12, 1, 2, "ignored", 1}, 0},  // a success ignores every other field
      {OutOfMemory(), 11},
      {HostCode(12), 12},
      {HostCode(15), 15},
      {ShownMessage("x"), 1},
      {SilentMessage("x"), 1},
      {PathTooLongForOpen(), 15},
      {NoSpace(), 1},
      {Status{7, 0, 5, nullptr, 0}, 1},  // an unknown kind
  };
  for (const auto& c : cases) EXPECT_EQ(ToHostResult(c.status), c.host);
}

TEST(Status, ShowsOnlyFailuresThatAskForIt) {
  struct Case {
    Status status;
    const char* stderrText;
  } cases[] = {
      {Success(), ""},
      {Status{0, 1, 0, "hidden", 1}, ""},
      {SilentMessage("Overflow of Stack"), ""},
      {OutOfMemory(), ""},
      {HostCode(12), ""},
      {PathTooLongForOpen(), "Vorkel Error: Error 291\n"},
      {NoSpace(), "Vorkel Error: Not enough space in image\n"},
  };
  for (const auto& c : cases) {
    testing::internal::CaptureStderr();
    ShowStatusMessage(c.status);
    std::string shown = testing::internal::GetCapturedStderr();
#ifndef _WIN32
    EXPECT_EQ(shown, c.stderrText);
#endif
  }
}

TEST(Status, KeepFirstFailureKeepsTheFirst) {
  Status a = HostCode(18), b = HostCode(19);
  EXPECT_EQ(KeepFirstFailure(a, b).code, 18);
  EXPECT_EQ(KeepFirstFailure(Success(), b).code, 19);
  EXPECT_TRUE(KeepFirstFailure(Success(), Success()).ok);
  EXPECT_EQ(KeepFirstFailure(a, Success()).code, 18);
}

TEST(PointerList, GrowsByDoublingFromEmpty) {
  PointerList list;
  ASSERT_TRUE(list.Init().ok);
  EXPECT_EQ(list.capacity(), 0u);
  std::vector<uint32_t> capacities;
  for (uintptr_t i = 0; i < 9; ++i) {
    ASSERT_TRUE(list.Append(i * 3).ok);
    capacities.push_back(list.capacity());
  }
  EXPECT_EQ(capacities, (std::vector<uint32_t>{1, 2, 4, 4, 8, 8, 8, 8, 16}));
  for (uint32_t i = 0; i < 9; ++i) EXPECT_EQ(list.at(i), i * 3);
}

TEST(PointerList, FailedGrowthIsOutOfMemoryAndKeepsItems) {
  PointerList list;
  ASSERT_TRUE(list.Init(2).ok);
  ASSERT_TRUE(list.Append(1).ok);
  ASSERT_TRUE(list.Append(2).ok);
  ArmAllocationFailure(1);
  Status s = list.Append(3);
  EXPECT_EQ(s.kind, kKindOutOfMemory);
  EXPECT_EQ(ToHostResult(s), 11);
  EXPECT_EQ(list.count(), 2u);
  EXPECT_EQ(list.at(1), 2u);
  ASSERT_TRUE(list.Append(3).ok);  // the failure was armed once
  EXPECT_EQ(list.capacity(), 4u);
}

TEST(PointerList, InitFailureIsOutOfMemory) {
  PointerList list;
  ArmAllocationFailure(1);
  EXPECT_EQ(list.Init(10).kind, kKindOutOfMemory);
  EXPECT_FALSE(list.initialized());
}
