#include <gtest/gtest.h>

#include <filesystem>

#include "common/dos_time.h"
#include "image_builder.h"
#include "platform/file.h"
#include "platform/time.h"
#include "tape/tape_image.h"
#include "tape/tape_reading.h"
#include "tape_builder.h"
#include "tape_support.h"
#include "temp_dir.h"

using namespace oxtest;
using ox::tape::CloseTapeImage;
using ox::tape::CurrentTapeRecord;
using ox::tape::ProcessTapeEntry;
using ox::tape::TapeImage;

namespace {

class TapeReading : public testing::Test {
 protected:
  TapeImage* Open(const std::vector<uint8_t>& bytes) {
    path_ = dir_ / "t.tap";
    WriteWholeFile(path_, bytes);
    name_.assign(path_.begin(), path_.end());
    name_.push_back(0);
    ox::host::OpenArchiveRecord record = {};
    record.archiveName = name_.data();
    TapeImage* image = ox::tape::OpenTapeImage(&record, ox::tape::kReadAccess);
    EXPECT_EQ(record.openResult, 0);
    return image;
  }

  TempDir dir_;
  std::string path_;
  std::vector<char> name_;
};

}  // namespace

TEST_F(TapeReading, WalksForwardOnlyAndEndsForGood) {
  TapeImage* image = Open(TapeBuilder().File(3, "a", {1}).Data({2, 3}).bytes());
  ASSERT_NE(image, nullptr);
  const ox::host::HeaderRecord* first = CurrentTapeRecord(image);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(CurrentTapeRecord(image), first);  // twice without ProcessFile: the same entry
  EXPECT_EQ(ProcessTapeEntry(image, ox::host::kSkip, nullptr, nullptr), 0);
  EXPECT_STREQ(CurrentTapeRecord(image)->fileName, "headerless1");
  EXPECT_EQ(ProcessTapeEntry(image, ox::host::kTest, nullptr, nullptr), 0);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(CurrentTapeRecord(image), nullptr);
    // Outside the host's order: nothing past the list is touched.
    EXPECT_EQ(ProcessTapeEntry(image, ox::host::kExtract, nullptr, (dir_ / "x").c_str()), 10);
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ / "x"));
  EXPECT_EQ(CloseTapeImage(image), 0);
}

TEST_F(TapeReading, ExtractsExactlyTheBodyWithTheTimeOfExtraction) {
  std::vector<uint8_t> body = Pattern(300);
  TapeImage* image = Open(TapeBuilder().Header(0, "nodata", 0).File(3, "a", body).Block(7, {}).bytes());
  ASSERT_NE(image, nullptr);
  std::string nodata = dir_ / "nodata", full = dir_ / "full", empty = dir_ / "empty";
  auto now = [] {
    plat::SystemTime st;
    plat::GetSystemTime(&st);
    uint64_t t = 0;
    plat::SystemTimeToFileTime(st, &t);
    return t;
  };
  uint64_t before = now();
  EXPECT_EQ(ProcessTapeEntry(image, ox::host::kExtract, nullptr, nodata.c_str()), 0);
  EXPECT_EQ(ProcessTapeEntry(image, ox::host::kExtract, nullptr, full.c_str()), 0);
  EXPECT_EQ(ProcessTapeEntry(image, ox::host::kExtract, nullptr, empty.c_str()), 0);
  uint64_t after = now();
  EXPECT_EQ(ReadWholeFile(nodata), std::vector<uint8_t>{});
  EXPECT_EQ(ReadWholeFile(full), body);
  EXPECT_EQ(ReadWholeFile(empty), std::vector<uint8_t>{});
  for (const std::string& p : {nodata, full}) {
    plat::Handle h;
    ASSERT_TRUE(plat::OpenFile(p.c_str(), plat::kAccessRead, plat::kShareRead, plat::Disposition::kOpenExisting, 0, &h));
    uint64_t t;
    ASSERT_TRUE(plat::GetFileLastWriteTime(h, &t));
    plat::CloseFile(h);
    // The time of extraction, cut to an even second.
    EXPECT_LE(t, after);
    EXPECT_GE(t + 20000000ULL, before);
    EXPECT_EQ(t % 10000000ULL, 0u);
  }
  EXPECT_EQ(CloseTapeImage(image), 0);
}

TEST_F(TapeReading, BadDataShowsOnTestAndExtractOnly) {
  TapeImage* image = Open(TapeBuilder().File(3, "a", {1, 2}).BreakSum().File(3, "b", {3}).BreakSum()
                              .File(3, "c", {4}).BreakSum().bytes());
  ASSERT_NE(image, nullptr);
  std::string target = dir_ / "out";
  EXPECT_EQ(ProcessTapeEntry(image, ox::host::kSkip, nullptr, nullptr), 0);
  EXPECT_EQ(ProcessTapeEntry(image, ox::host::kTest, nullptr, nullptr), 13);
  EXPECT_EQ(ProcessTapeEntry(image, ox::host::kExtract, nullptr, target.c_str()), 13);
  EXPECT_FALSE(std::filesystem::exists(target));
  CloseTapeImage(image);
}

TEST_F(TapeReading, DestinationPathIsRefusedExceptOnSkip) {
  TapeImage* image = Open(TapeBuilder().Data({1}).Data({2}).Data({3}).Data({4}).bytes());
  ASSERT_NE(image, nullptr);
  std::string target = dir_ / "out";
  char path[] = "somewhere";
  int32_t result = -1;
  EXPECT_EQ(ShownBoxes([&] { result = ProcessTapeEntry(image, ox::host::kSkip, path, nullptr); }), "");
  EXPECT_EQ(result, 0);
  const std::string box = "Vorkel error: DestPath is not null.\nPlease report this error to plugin author.\n";
  EXPECT_EQ(ShownBoxes([&] { result = ProcessTapeEntry(image, ox::host::kTest, path, nullptr); }), box);
  EXPECT_EQ(result, 24);
  EXPECT_EQ(ShownBoxes([&] { result = ProcessTapeEntry(image, ox::host::kExtract, path, target.c_str()); }), box);
  EXPECT_EQ(result, 24);
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_STREQ(CurrentTapeRecord(image)->fileName, "headerless4");  // the refused entries were consumed
  CloseTapeImage(image);
}

TEST_F(TapeReading, ExtractionFailures) {
  struct Case {
    const char* what;
    uint64_t fault;  // the n-th file operation of the extraction fails; 0: none
    plat::FileFault kind;
    bool badTarget;
    int32_t result;
  } cases[] = {
      {"target cannot be created", 0, plat::FileFault::kFail, true, 16},
      {"create fails", 1, plat::FileFault::kFail, false, 16},
      {"write fails", 2, plat::FileFault::kFail, false, 19},
      {"write moves less than asked", 2, plat::FileFault::kShort, false, 19},
      {"setting the time fails: ignored", 3, plat::FileFault::kFail, false, 0},
      {"close fails", 4, plat::FileFault::kFail, false, 17},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TapeImage* image = Open(TapeBuilder().File(3, "a", Pattern(10)).bytes());
    ASSERT_NE(image, nullptr);
    std::string target = c.badTarget ? dir_ / "no-such-dir/out" : dir_ / "out";
    if (c.fault) plat::ArmFileFault(c.fault, c.kind);
    EXPECT_EQ(ProcessTapeEntry(image, ox::host::kExtract, nullptr, target.c_str()), c.result);
    plat::DisarmFileFault();
    EXPECT_EQ(CloseTapeImage(image), 0);
  }
}

TEST_F(TapeReading, CloseReportsFailedReleasesAndNotMissingOnes) {
  TapeImage* empty = Open({});
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->view, nullptr);
  EXPECT_EQ(CloseTapeImage(empty), 0);  // nothing failed: there was nothing to unmap
  for (uint64_t n = 1; n <= 3; ++n) {
    SCOPED_TRACE(n);
    TapeImage* image = Open(TapeBuilder().Data({1}).bytes());
    ASSERT_NE(image, nullptr);
    plat::ArmFileFault(n);  // unmapping, closing the mapping, closing the file
    EXPECT_EQ(CloseTapeImage(image), 17);
    plat::DisarmFileFault();
  }
}
