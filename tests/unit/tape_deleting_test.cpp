#include <gtest/gtest.h>

#include <filesystem>

#include "common/alloc.h"
#include "image_builder.h"
#include "platform/file.h"
#include "platform/time.h"
#include "tape/tape_deleting.h"
#include "tape_builder.h"
#include "tape_support.h"
#include "temp_dir.h"

using namespace oxtest;

namespace {

std::string List(std::initializer_list<std::string> names) {
  std::string list;
  for (const auto& n : names) list += n + '\0';
  return list + '\0';
}

const std::string kA = "a.3  0002 0000 0000 0000 FF 01";
const std::string kB = "b.3  0003 0000 0000 0000 FF 01";
const std::string kC = "c.0  0000 0000 0000 0000 FF 01";

// a (header and data), headerless1, c (header without data), b, a[2].
TapeBuilder Sample() {
  return TapeBuilder().File(3, "a", {1, 2}).Data({3}).Header(0, "c", 0).File(3, "b", {4, 5, 6}).File(3, "a", {7, 8});
}

uint64_t LastWriteTime(const std::string& path) {
  plat::Handle h;
  uint64_t t = 0;
  if (plat::OpenFile(path.c_str(), plat::kAccessRead, plat::kShareRead, plat::Disposition::kOpenExisting, 0, &h)) {
    plat::GetFileLastWriteTime(h, &t);
    plat::CloseFile(h);
  }
  return t;
}

void SetOldTime(const std::string& path) {
  plat::Handle h;
  ASSERT_TRUE(plat::OpenFile(path.c_str(), plat::kAccessWrite, plat::kShareNone, plat::Disposition::kOpenExisting, 0, &h));
  ASSERT_TRUE(plat::SetFileLastWriteTime(h, 126000000000000000ULL));  // 2000
  plat::CloseFile(h);
}

uint64_t Now() {
  plat::SystemTime st;
  plat::GetSystemTime(&st);
  uint64_t t = 0;
  plat::SystemTimeToFileTime(st, &t);
  return t;
}

}  // namespace

TEST(TapeDeleting, DropsExactlyTheNamedEntries) {
  struct Case {
    const char* what;
    std::vector<uint8_t> tape;
    std::string list;
    int32_t result;
    std::vector<uint8_t> after;  // with result 0; otherwise the tape stays as it was
    const char* message;         // shown to the user
  } cases[] = {
      {"empty list", Sample().bytes(), List({}), 0, Sample().bytes(), nullptr},
      {"the only entry", TapeBuilder().File(3, "a", {1, 2}).bytes(), List({kA}), 0, {}, nullptr},
      {"the first of three", TapeBuilder().File(3, "a", {1, 2}).File(3, "b", {4, 5, 6}).Data({9}).bytes(), List({kA}), 0,
       TapeBuilder().File(3, "b", {4, 5, 6}).Data({9}).bytes(), nullptr},
      {"an entry without data: its header only", Sample().bytes(), List({kC}), 0,
       TapeBuilder().File(3, "a", {1, 2}).Data({3}).File(3, "b", {4, 5, 6}).File(3, "a", {7, 8}).bytes(), nullptr},
      {"a headerless entry: its data block only", Sample().bytes(), List({"headerless1"}), 0,
       TapeBuilder().File(3, "a", {1, 2}).Header(0, "c", 0).File(3, "b", {4, 5, 6}).File(3, "a", {7, 8}).bytes(), nullptr},
      {"the second of two equal names", Sample().bytes(), List({kA + "[2]"}), 0,
       TapeBuilder().File(3, "a", {1, 2}).Data({3}).Header(0, "c", 0).File(3, "b", {4, 5, 6}).bytes(), nullptr},
      {"several in tape order", Sample().bytes(), List({kA, kC, kA + "[2]"}), 0,
       TapeBuilder().Data({3}).File(3, "b", {4, 5, 6}).bytes(), nullptr},
      {"everything", Sample().bytes(), List({kA, "headerless1", kC, kB, kA + "[2]"}), 0, {}, nullptr},
      {"reverse order", Sample().bytes(), List({kB, kA}), 1, {}, "Error 920"},
      {"a name given twice", Sample().bytes(), List({kA, kA}), 1, {}, "Error 920"},
      {"other letter case", Sample().bytes(), List({"A.3  0002 0000 0000 0000 FF 01"}), 1, {}, "Error 920"},
      {"a name not on the tape", Sample().bytes(), List({"zz"}), 1, {}, "Error 920"},
      {"a kept entry with bad data", TapeBuilder().File(3, "a", {1, 2}).File(3, "b", {4, 5, 6}).BreakSum().bytes(),
       List({kA}), 13, {}, nullptr},
      {"any name on an empty tape", {}, List({kA}), 1, {}, "Error 920"},
      {"empty list on an empty tape", {}, List({}), 0, {}, nullptr},
  };
  TempDir dir;
  std::string path = dir / "t.tap";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteWholeFile(path, c.tape);
    SetOldTime(path);
    uint64_t before = Now();
    ox::Status status = ox::tape::DeleteTapeFiles(path.c_str(), c.list.data());
    int32_t result = ox::ToHostResult(status);
    EXPECT_EQ(result, c.result);
    if (c.message) {
      EXPECT_STREQ(status.message, c.message);
      EXPECT_EQ(status.show, 1);
    } else {
      EXPECT_EQ(status.show, 0);
    }
    EXPECT_EQ(ReadWholeFile(path), c.result == 0 ? c.after : c.tape);
    // The time is set to now whether or not anything changed.
    EXPECT_GE(LastWriteTime(path) + 10000000ULL, before);
    if (c.result == 0) {
      EXPECT_EQ(ListTape(path).openResult, 0);
    }
  }
}

TEST(TapeDeleting, OpenFailuresReturnTheOpenResult) {
  TempDir dir;
  std::string path = dir / "t.tap";
  std::string list = List({kA});
  EXPECT_EQ(ox::ToHostResult(ox::tape::DeleteTapeFiles(path.c_str(), list.data())), 15);  // missing
  WriteWholeFile(path, TapeBuilder().File(3, "a", {1, 2}).Raw({0}).bytes());
  EXPECT_EQ(ox::ToHostResult(ox::tape::DeleteTapeFiles(path.c_str(), list.data())), 12);
  // Held open by a listing handle: no sharing is possible.
  WriteWholeFile(path, TapeBuilder().File(3, "a", {1, 2}).bytes());
  plat::Handle reader;
  ASSERT_TRUE(plat::OpenFile(path.c_str(), plat::kAccessRead, plat::kShareRead, plat::Disposition::kOpenExisting, 0, &reader));
  EXPECT_EQ(ox::ToHostResult(ox::tape::DeleteTapeFiles(path.c_str(), list.data())), 15);
  plat::CloseFile(reader);
  EXPECT_EQ(ReadWholeFile(path), TapeBuilder().File(3, "a", {1, 2}).bytes());
}

// Nothing changes before the compaction; after it has begun, a failure is a write error.
class TapeDeletingFailures : public testing::Test {
 protected:
  TapeDeletingFailures() : path_(dir_ / "t.tap"), list_(List({kA, "headerless1", kB})) {
    original_ = Sample().bytes();
    compacted_ = TapeBuilder().Header(0, "c", 0).File(3, "a", {7, 8}).bytes();
  }
  int32_t Delete() { return ox::ToHostResult(ox::tape::DeleteTapeFiles(path_.c_str(), list_.data())); }

  TempDir dir_;
  std::string path_, list_;
  std::vector<uint8_t> original_, compacted_;
};

TEST_F(TapeDeletingFailures, EveryAllocation) {
  WriteWholeFile(path_, original_);
  uint64_t before = ox::AllocationCount();
  ASSERT_EQ(Delete(), 0);
  ASSERT_EQ(ReadWholeFile(path_), compacted_);
  uint64_t used = ox::AllocationCount() - before;
  ASSERT_GE(used, 3u);
  for (uint64_t n = 1; n <= used; ++n) {
    SCOPED_TRACE(n);
    WriteWholeFile(path_, original_);
    ox::ArmAllocationFailure(n);
    EXPECT_EQ(Delete(), 11);
    ox::DisarmAllocationFailure();
    EXPECT_EQ(ReadWholeFile(path_), original_);
  }
}

TEST_F(TapeDeletingFailures, EveryFileOperation) {
  WriteWholeFile(path_, original_);
  uint64_t before = plat::FileOperationCount();
  ASSERT_EQ(Delete(), 0);
  uint64_t used = plat::FileOperationCount() - before;
  // open, size, mapping, view | unmap, close mapping, seek, cut | time | close
  ASSERT_EQ(used, 10u);
  const int32_t expected[] = {15, 15, 15, 15, 19, 19, 19, 19, 19, 0};
  for (uint64_t n = 1; n <= used; ++n) {
    SCOPED_TRACE(n);
    WriteWholeFile(path_, original_);
    plat::ArmFileFault(n);
    int32_t result = Delete();
    plat::DisarmFileFault();
    EXPECT_EQ(result, expected[n - 1]);
    std::vector<uint8_t> after = ReadWholeFile(path_);
    if (result == 15) {
      EXPECT_EQ(after, original_);
    } else if (n == 7 || n == 8) {
      // The kept entries were moved to the start, but the file could not be cut.
      ASSERT_EQ(after.size(), original_.size());
      EXPECT_EQ(std::vector<uint8_t>(after.begin(), after.begin() + compacted_.size()), compacted_);
    } else {
      EXPECT_EQ(after, compacted_);
    }
  }
}

TEST_F(TapeDeletingFailures, ATimeFailureKeepsAnEarlierResult) {
  std::string unknown = List({"zz"});
  WriteWholeFile(path_, original_);
  uint64_t before = plat::FileOperationCount();
  EXPECT_EQ(ox::ToHostResult(ox::tape::DeleteTapeFiles(path_.c_str(), unknown.data())), 1);
  uint64_t used = plat::FileOperationCount() - before;
  ASSERT_EQ(used, 8u);  // open, size, mapping, view | time | unmap, close mapping, close
  plat::ArmFileFault(5);
  ox::Status status = ox::tape::DeleteTapeFiles(path_.c_str(), unknown.data());
  plat::DisarmFileFault();
  EXPECT_EQ(ox::ToHostResult(status), 1);
  EXPECT_STREQ(status.message, "Error 920");
  EXPECT_EQ(ReadWholeFile(path_), original_);
}
