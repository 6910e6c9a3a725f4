#include <gtest/gtest.h>

#include "image_builder.h"
#include "platform/file.h"
#include "temp_dir.h"

using namespace plat;
using oxtest::TempDir;

TEST(PlatformFileSeam, TheArmedOperationFailsOnceAndReleasesStillRelease) {
  TempDir dir;
  std::string path = dir / "f.bin";
  oxtest::WriteWholeFile(path, {1, 2, 3, 4});
  Handle f;
  ArmFileFault(2);
  ASSERT_TRUE(OpenFile(path.c_str(), kAccessRead | kAccessWrite, kShareNone, Disposition::kOpenExisting, 0, &f));
  uint64_t size = 0;
  EXPECT_FALSE(GetFileSize(f, &size));
  EXPECT_EQ(LastError(), kErrGenFailure);
  EXPECT_TRUE(GetFileSize(f, &size));  // once only
  EXPECT_EQ(size, 4u);
  ArmFileFault(1);
  EXPECT_FALSE(CloseFile(f));
  // The close that reported failure released the file: it opens without sharing again.
  ASSERT_TRUE(OpenFile(path.c_str(), kAccessRead | kAccessWrite, kShareNone, Disposition::kOpenExisting, 0, &f));
  uint8_t buffer[4];
  uint32_t done = 0;
  ArmFileFault(1, FileFault::kShort);
  EXPECT_TRUE(ReadFile(f, buffer, 4, &done));
  EXPECT_EQ(done, 3u);
  ArmFileFault(1, FileFault::kShort);
  EXPECT_FALSE(SeekFile(f, 0, Origin::kBegin, nullptr));  // short means plain failure elsewhere
  uint64_t before = FileOperationCount();
  EXPECT_TRUE(CloseFile(f));
  EXPECT_EQ(FileOperationCount(), before + 1);
  DisarmFileFault();
}

TEST(PlatformFile, OpenAlwaysTellsWhetherTheFileWasThere) {
  TempDir dir;
  std::string path = dir / "f.bin";
  for (bool existed : {false, true}) {
    Handle f;
    ASSERT_TRUE(OpenFile(path.c_str(), kAccessRead | kAccessWrite, kShareNone, Disposition::kOpenAlways, 0, &f));
    EXPECT_EQ(LastError() == kErrAlreadyExists, existed);
    CloseFile(f);
  }
}
