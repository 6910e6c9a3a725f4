// A failed add or delete leaves the image file byte for byte as it was: every allocation
// and every file operation of a representative call is made to fail in turn.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "common/alloc.h"
#include "common/host_api.h"
#include "disk_write.h"
#include "image_builder.h"
#include "platform/file.h"
#include "temp_dir.h"

using oxtest::FileSpec;
using oxtest::ImageBuilder;
using oxtest::Outcome;
using Names = std::vector<std::string>;

namespace fs = std::filesystem;

namespace {

constexpr int kTree = 2;

// Directory 0 with a full first sector (the next entry extends it), a subdirectory
// with a file, and a file with data.
std::vector<uint8_t> Image() {
  ImageBuilder b(256);  // small, so that the hundreds of runs stay quick
  b.AddDirectory(0, 0, "ROOT");
  b.AddDirectory(1, 0, "SUB");
  b.AddDirectory(2, 1, "DEEP");
  for (int i = 0; i < 30; ++i) {
    FileSpec f;
    f.name = oxtest::Numbered("f", i);
    b.AddFile(0, f);
  }
  FileSpec gone;
  gone.name = "gone";
  gone.data = oxtest::Pattern(3000, 4);
  b.AddFile(0, gone);
  FileSpec s1;
  s1.name = "s1";
  s1.data = oxtest::Pattern(1500, 5);
  b.AddFile(1, s1);
  return b.Build();
}

const Names kAdded = {"GAMES\\", "GAMES\\a.bin", "GAMES\\SUB\\", "GAMES\\SUB\\b.bin", "c.bin", "empty.bin"};
const Names kDeleted = {"gone.3  0000 0000 0000 0000 FF 00", "SUB\\*.*"};

enum class Call { kAdd, kDelete };

class DiskWriteFaults : public testing::Test {
 protected:
  void Reset() {
    oxtest::WriteWholeFile(image_, original_);
    fs::current_path(dir_.path());  // the plugin entered the sources, which Windows cannot remove then
    fs::remove_all(src_);
    oxtest::MakeFile(src_ + "/GAMES/a.bin", oxtest::Pattern(1500, 1));
    oxtest::MakeFile(src_ + "/GAMES/SUB/b.bin", {7});
    oxtest::MakeFile(src_ + "/c.bin", oxtest::Pattern(3000, 2));
    oxtest::MakeFile(src_ + "/empty.bin", {});
  }
  Outcome Run(Call call) {
    return call == Call::kAdd
               ? oxtest::Pack(module_, image_, src_, kAdded, ox::host::kPackSavePaths | ox::host::kPackMoveFiles)
               : oxtest::Delete(module_, image_, kDeleted);
  }
  bool SourcesKept() const {
    return fs::exists(src_ + "/GAMES/a.bin") && fs::exists(src_ + "/GAMES/SUB/b.bin") && fs::exists(src_ + "/c.bin") &&
           fs::exists(src_ + "/empty.bin");
  }
  // What a call that succeeds gives: the listing, and the sources of a move gone.
  Names Reference(Call call) {
    Reset();
    EXPECT_EQ(Run(call), (Outcome{0, ""}));
    if (call == Call::kAdd) {
      EXPECT_FALSE(fs::exists(src_ + "/GAMES"));
    }
    return oxtest::ListNames(image_, kTree);
  }

  oxtest::TempDir dir_;
  oxtest::KeepCurrentDir cwd_;
  std::string image_ = dir_ / "disk.mbd";
  std::string src_ = dir_ / "src";
  std::vector<uint8_t> original_ = Image();
  ox::disk::DiskModule module_ = oxtest::ModuleIn(dir_, kTree);
};

}  // namespace

TEST_F(DiskWriteFaults, EveryAllocationFailureLeavesTheImageAsItWas) {
  for (Call call : {Call::kAdd, Call::kDelete}) {
    SCOPED_TRACE(call == Call::kAdd ? "add" : "delete");
    const Names reference = Reference(call);
    for (uint64_t n = 1;; ++n) {
      SCOPED_TRACE(n);
      Reset();
      uint64_t before = ox::AllocationCount();
      ox::ArmAllocationFailure(n);
      Outcome outcome = Run(call);
      ox::DisarmAllocationFailure();
      if (ox::AllocationCount() - before < n) {  // the call made fewer allocations
        EXPECT_EQ(outcome, (Outcome{0, ""}));
        EXPECT_EQ(oxtest::ListNames(image_, kTree), reference);
        EXPECT_GT(n, 10u);
        break;
      }
      EXPECT_EQ(outcome, (Outcome{11, ""}));
      ASSERT_EQ(oxtest::ReadWholeFile(image_), original_);
      EXPECT_TRUE(SourcesKept());
    }
  }
}

TEST_F(DiskWriteFaults, EveryFileOperationFailureLeavesTheImageAsItWasOrIsReported) {
  const Outcome kNoSourceFolder{1, "Invalid target path\n"}, kSourceStays{1, "Could not delete source files/directories\n"};
  for (Call call : {Call::kAdd, Call::kDelete}) {
    SCOPED_TRACE(call == Call::kAdd ? "add" : "delete");
    const Names reference = Reference(call);
    std::set<int> codes;
    bool sourceStayed = false;
    for (uint64_t n = 1;; ++n) {
      SCOPED_TRACE(n);
      Reset();
      uint64_t before = plat::FileOperationCount();
      plat::ArmFileFault(n);
      Outcome outcome = Run(call);
      plat::DisarmFileFault();
      if (plat::FileOperationCount() - before < n) {
        EXPECT_EQ(outcome, (Outcome{0, ""}));
        break;
      }
      if (oxtest::ReadWholeFile(image_) == original_) {
        // Opening, sizing, mapping or reading a file, entering the source folder, positioning or writing.
        EXPECT_TRUE(outcome == kNoSourceFolder || (outcome.shown.empty() && outcome.code >= 15 && outcome.code <= 19))
            << outcome.code << " " << outcome.shown;
        EXPECT_TRUE(SourcesKept());
        codes.insert(outcome.code);
      } else {
        // Only what comes after the write may fail now: closing (not reported) or removing a source.
        EXPECT_EQ(oxtest::ListNames(image_, kTree), reference);
        EXPECT_TRUE(outcome == (Outcome{0, ""}) || (call == Call::kAdd && outcome == kSourceStays))
            << outcome.code << " " << outcome.shown;
        sourceStayed = sourceStayed || outcome == kSourceStays;
      }
    }
    std::set<int> expected = {15, 18, 19};
    if (call == Call::kAdd) expected.insert(1);
    EXPECT_EQ(codes, expected);
    EXPECT_EQ(sourceStayed, call == Call::kAdd);
  }
}
