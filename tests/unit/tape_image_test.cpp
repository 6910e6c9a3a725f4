#include <gtest/gtest.h>

#include <cstring>

#include "common/alloc.h"
#include "common/settings.h"
#include "image_builder.h"
#include "tape/tape_format.h"
#include "tape/tape_image.h"
#include "tape/tape_module.h"
#include "tape_builder.h"
#include "tape_support.h"
#include "temp_dir.h"

using namespace oxtest;

namespace {

// No data: the entry's sizes are 0.
constexpr int32_t kNone = -1;

struct Expected {
  std::string name;
  int32_t size;
};

struct ScanCase {
  const char* what;
  std::vector<uint8_t> bytes;
  int32_t openResult;
  std::vector<Expected> entries;
};

const std::string kScreen = "screen.3  1B00 4000 8000 0000 FF 01";

std::vector<ScanCase> ScanCases() {
  auto screen = [] { return TapeBuilder().File(3, "screen", Pattern(6912), 16384, 32768); };
  return {
      {"an empty file is an empty tape", {}, 0, {}},
      {"1 byte", {2}, 12, {}},
      {"3 bytes", {2, 0, 255}, 12, {}},
      {"stray byte after the last block", screen().Raw({0}).bytes(), 12, {}},
      {"3 stray bytes after the last block", screen().Raw({2, 0, 255}).bytes(), 12, {}},
      {"length 0", TapeBuilder().Raw({0, 0, 255, 0}).bytes(), 12, {}},
      {"length 1", screen().Raw({1, 0, 255, 0}).bytes(), 12, {}},
      {"header and data", screen().bytes(), 0, {{kScreen, 6912}}},
      {"two headers, then data",
       TapeBuilder().Header(0, "first", 5).File(3, "screen", Pattern(6912), 16384, 32768).bytes(),
       0,
       {{"first.0  0005 0000 0000 0000 FF 01", kNone}, {kScreen, 6912}}},
      {"tape ends with a header", screen().Header(3, "last", 1).bytes(), 12, {}},
      {"header alone", TapeBuilder().Header(3, "last", 1).bytes(), 12, {}},
      {"header with a wrong checksum", TapeBuilder().Header(3, "bad", 1).BreakSum().Data({1}).bytes(), 13, {}},
      {"data with a wrong checksum still opens", screen().BreakSum().bytes(), 0, {{kScreen, 6912}}},
      {"data runs past the end", TapeBuilder().Header(3, "x", 9).Raw({11, 0, 255, 1, 2}).bytes(), 12, {}},
      {"header runs past the end", TapeBuilder().Raw({19, 0, 0, 1, 2, 3}).bytes(), 12, {}},
      {"two blocks without headers",
       TapeBuilder().Data({1, 2}).Block(0x42, {}).bytes(),
       0,
       {{"headerless1", 2}, {"headerless2", 0}}},
      {"flag 0 block of another length is headerless",
       TapeBuilder().Block(0, Pattern(34)).Data({7}).bytes(),
       0,
       {{"headerless1", 34}, {"headerless2", 1}}},
      {"header followed by a flag 0 block that is no header",
       TapeBuilder().Header(3, "lonely", 0).Block(0, {1, 2, 3}).bytes(),
       0,
       {{"lonely.3  0000 0000 0000 0000 FF 01", kNone}, {"headerless1", 3}}},
      {"equal names are numbered; headerless entries do not count",
       TapeBuilder()
           .File(3, "twin", {1})
           .Data({9})
           .File(3, "twin", {2})
           .File(3, "other", {3})
           .File(3, "twin", {4})
           .bytes(),
       0,
       {{"twin.3  0001 0000 0000 0000 FF 01", 1},
        {"headerless1", 1},
        {"twin.3  0001 0000 0000 0000 FF 01[2]", 1},
        {"other.3  0001 0000 0000 0000 FF 01", 1},
        {"twin.3  0001 0000 0000 0000 FF 01[3]", 1}}},
  };
}

}  // namespace

TEST(TapeScan, BlocksBecomeEntries) {
  TempDir dir;
  for (const auto& c : ScanCases()) {
    SCOPED_TRACE(c.what);
    std::string path = dir / "t.tap";
    WriteWholeFile(path, c.bytes);
    TapeListing listing = ListTape(path);
    EXPECT_EQ(listing.openResult, c.openResult);
    ASSERT_EQ(listing.entries.size(), c.entries.size());
    for (size_t i = 0; i < c.entries.size(); ++i) {
      const auto& got = listing.entries[i];
      const auto& want = c.entries[i];
      EXPECT_EQ(got.name, want.name);
      int32_t size = want.size == kNone ? 0 : want.size;
      EXPECT_EQ(got.packedSize, size);
      EXPECT_EQ(got.unpackedSize, size);
      // The time the data block was attached; none without data.
      EXPECT_EQ(got.fileTime == 0, want.size == kNone) << got.fileTime;
    }
  }
}

TEST(TapeScan, RecordsCarryThePathAndNothingElse) {
  TempDir dir;
  std::string path = dir / "t.tap";
  WriteWholeFile(path, TapeBuilder().File(3, "a", {1, 2}).bytes());
  std::vector<char> name(path.begin(), path.end());
  name.push_back(0);
  ox::host::OpenArchiveRecord record = {};
  record.archiveName = name.data();
  ox::tape::TapeImage* image = ox::tape::OpenTapeImage(&record, ox::tape::kReadAccess);
  ASSERT_NE(image, nullptr);
  const ox::host::HeaderRecord& r = image->entry(0)->record;
  EXPECT_STREQ(r.archiveName, path.c_str());
  EXPECT_EQ(r.flags | r.hostSystem | r.crc | r.unpackingVersion | r.method | r.fileAttributes, 0);
  EXPECT_EQ(r.commentBuffer, nullptr);
  const ox::tape::TapeEntry& e = *image->entry(0);
  EXPECT_EQ(e.headerBlock, image->view);
  EXPECT_EQ(e.header, image->view + 3);
  EXPECT_EQ(e.data, image->view + 21 + 3);
  EXPECT_EQ(ox::tape::CloseTapeImage(image), 0);
}

TEST(TapeScan, PathLengthLimit) {
  TempDir dir;
  std::string base = dir / "";
  for (size_t length : {259u, 260u}) {
    SCOPED_TRACE(length);
    ASSERT_LT(base.size() + 4, length);
    std::string path = base + std::string(length - base.size() - 4, 'p') + ".tap";
    ASSERT_EQ(path.size(), length);
    WriteWholeFile(path, TapeBuilder().Data({1}).bytes());
    TapeListing listing;
    std::string boxes = ShownBoxes([&] { listing = ListTape(path); });
    if (length == 259) {
      EXPECT_EQ(listing.openResult, 0);
      EXPECT_EQ(boxes, "");
    } else {
      EXPECT_EQ(listing.openResult, 15);
      EXPECT_EQ(boxes, "Vorkel Error: Error 291\n");
    }
  }
}

TEST(TapeScan, MissingFileIsAnOpenError) {
  TempDir dir;
  EXPECT_EQ(ListTape(dir / "none.tap").openResult, 15);
}

TEST(TapeScan, EveryFailedAllocationIsOutOfMemoryAndLeavesNothing) {
  TempDir dir;
  std::string path = dir / "t.tap";
  TapeBuilder tape;
  for (int i = 0; i < 12; ++i) tape.File(3, std::string(1, static_cast<char>('a' + i % 3)), {static_cast<uint8_t>(i)}).Data({1});
  WriteWholeFile(path, tape.bytes());
  uint64_t before = ox::AllocationCount();
  ASSERT_EQ(ListTape(path).entries.size(), 24u);
  uint64_t used = ox::AllocationCount() - before;
  ASSERT_GT(used, 3u);
  for (uint64_t n = 1; n <= used; ++n) {
    SCOPED_TRACE(n);
    ox::ArmAllocationFailure(n);
    EXPECT_EQ(ListTape(path).openResult, 11);
  }
  ox::DisarmAllocationFailure();
  // The file stays free to be opened for writing: every handle went.
  plat::Handle h;
  ASSERT_TRUE(plat::OpenFile(path.c_str(), plat::kAccessRead | plat::kAccessWrite, plat::kShareNone,
                             plat::Disposition::kOpenExisting, 0, &h));
  plat::CloseFile(h);
}

TEST(TapeScan, EveryFailedFileOperationIsAnOpenError) {
  TempDir dir;
  std::string path = dir / "t.tap";
  WriteWholeFile(path, TapeBuilder().File(3, "a", {1}).bytes());
  uint64_t before = plat::FileOperationCount();
  ASSERT_EQ(ListTape(path).openResult, 0);
  uint64_t opening = 4;  // open, size, mapping, view; the releases after them do not count
  ASSERT_GE(plat::FileOperationCount() - before, opening);
  for (uint64_t n = 1; n <= opening; ++n) {
    SCOPED_TRACE(n);
    plat::ArmFileFault(n);
    EXPECT_EQ(ListTape(path).openResult, 15);
  }
  plat::DisarmFileFault();
}

TEST(TapeEntryList, CreationLimit) {
  ox::PointerList list;
  ox::Status s = ox::tape::CreateTapeEntryList(&list, ox::PointerList::kMaxCapacity + 1);
  EXPECT_TRUE(s.failed());
  EXPECT_STREQ(s.message, "Capacity of list is too large");
  EXPECT_EQ(s.show, 0);
  EXPECT_EQ(ox::ToHostResult(s), 1);
  EXPECT_TRUE(ox::tape::CreateTapeEntryList(&list, 10).ok);
  EXPECT_EQ(list.capacity(), 10u);
}

TEST(TapeSum, XorOfTheRun) {
  uint8_t bytes[5] = {0xFF, 0x0F, 0xF0, 0x55, 0};
  EXPECT_TRUE(ox::tape::TapeSumIsZero(bytes, 0));
  EXPECT_TRUE(ox::tape::TapeSumIsZero(bytes, 3));
  EXPECT_FALSE(ox::tape::TapeSumIsZero(bytes, 4));
  ox::tape::PutTapeSum(bytes, 4);
  EXPECT_EQ(bytes[4], 0x55);
  EXPECT_TRUE(ox::tape::TapeSumIsZero(bytes, 5));
}

// Long prefixes bring names near their limit: a suffix that does not fit is the
// tape plugin's own "022", and the whole open fails with it.
TEST(TapeNames, SuffixThatDoesNotFitFailsTheOpen) {
  ox::tape::TapeModule& module = ox::tape::Module();
  ox::NamingMode saved = module.naming;
  for (auto& prefix : module.naming.FieldPrefix) strcpy(prefix, "0123456789abcdefghi");
  TempDir dir;
  std::string path = dir / "t.tap";
  WriteWholeFile(path, TapeBuilder().File(3, "abc", {1}).bytes());
  TapeListing single = ListTape(path);
  ASSERT_EQ(single.openResult, 0);
  EXPECT_EQ(single.entries[0].name.size(), 140u);
  WriteWholeFile(path, TapeBuilder().File(3, "abc", {1}).File(3, "abc", {1}).bytes());
  TapeListing twice;
  std::string boxes = ShownBoxes([&] { twice = ListTape(path); });
  EXPECT_EQ(twice.openResult, 1);
  EXPECT_EQ(boxes, "Vorkel Error: 022\n");
  module.naming = saved;
}

TEST(TapeNames, FollowTheLiveNamingMode) {
  ox::tape::TapeModule& module = ox::tape::Module();
  ox::NamingMode saved = module.naming;
  TempDir dir;
  std::string path = dir / "t.tap";
  WriteWholeFile(path, TapeBuilder().File(3, "screen", Pattern(6912), 16384, 32768).bytes());
  module.naming.ParamsInDecimal = 1;
  EXPECT_EQ(ListTape(path).names(), std::vector<std::string>{"screen.3  06912 16384 32768 00000 255 001"});
  module.naming = saved;
  EXPECT_EQ(ListTape(path).names(), std::vector<std::string>{kScreen});
}
