#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "common/alloc.h"
#include "image_builder.h"
#include "platform/file.h"
#include "tape/entry_name.h"
#include "tape/tape_image.h"
#include "tape/tape_packing.h"
#include "tape/tape_reading.h"
#include "tape_builder.h"
#include "tape_support.h"
#include "temp_dir.h"

using namespace oxtest;

namespace {

// A NUL-separated list ended by an empty name.
std::string List(std::initializer_list<std::string> names) {
  std::string list;
  for (const auto& n : names) list += n + '\0';
  return list + '\0';
}

class TapePacking : public testing::Test {
 protected:
  TapePacking() : tape_(dir_ / "t.tap"), source_(dir_ / "src") {
    std::filesystem::create_directories(source_);
  }

  void Source(const std::string& name, const std::vector<uint8_t>& bytes) { WriteWholeFile(source_ + "/" + name, bytes); }

  ox::Status Pack(const std::string& list, const char* subPath = nullptr, int32_t flags = 0) {
    return ox::tape::PackTapeFiles(tape_.c_str(), subPath, source_.c_str(), list.data(), flags);
  }
  int32_t PackResult(const std::string& list) { return ox::ToHostResult(Pack(list)); }

  CurrentDirGuard cwd_;
  TempDir dir_;
  std::string tape_, source_;
};

const std::string kScreenName = "screen.3  1B00 4000 8000 0000 FF 01";

}  // namespace

TEST_F(TapePacking, EmptyListCreatesAnEmptyTape) {
  EXPECT_EQ(PackResult(List({})), 0);
  ASSERT_TRUE(std::filesystem::exists(tape_));
  EXPECT_EQ(std::filesystem::file_size(tape_), 0u);
  EXPECT_EQ(ListTape(tape_).openResult, 0);
}

TEST_F(TapePacking, ExistingTapeIsTestedWholeBeforeAnythingIsWritten) {
  Source("f.bin", {1, 2, 3});
  struct Case {
    const char* what;
    std::vector<uint8_t> tape;
    int32_t result;
  } cases[] = {
      {"sound", TapeBuilder().File(3, "a", {1}).bytes(), 0},
      {"data with a bad checksum", TapeBuilder().File(3, "a", {1}).BreakSum().File(3, "b", {2}).bytes(), 13},
      {"stray bytes", TapeBuilder().File(3, "a", {1}).Raw({1}).bytes(), 12},
      {"header with a bad checksum", TapeBuilder().Header(3, "a", 1).BreakSum().Data({1}).bytes(), 13},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (bool withFile : {false, true}) {
      WriteWholeFile(tape_, c.tape);
      EXPECT_EQ(PackResult(withFile ? List({"f.bin"}) : List({})), c.result);
      if (c.result != 0 || !withFile) {
        EXPECT_EQ(ReadWholeFile(tape_), c.tape);
      }
    }
  }
}

TEST_F(TapePacking, HeadersAreRebuiltFromNames) {
  std::vector<uint8_t> screen = Pattern(6912), notes = Pattern(5, 2), odd = Pattern(4, 3);
  Source(kScreenName, screen);
  Source("readme.txt", notes);
  Source("a#2Fb.0  0001 0002 0003 0000 FF 01[2]", odd);
  Source("empty.bin", {});
  EXPECT_EQ(PackResult(List({kScreenName, "readme.txt", "a#2Fb.0  0001 0002 0003 0000 FF 01[2]", "empty.bin"})), 0);
  std::vector<uint8_t> expected = TapeBuilder()
                                      .File(3, "screen", screen, 16384, 32768)
                                      .File(3, "readme.txt", notes)  // no encoded shape: type 3, the file's size
                                      .Header(0, "a/b", 1, 2, 3)     // the name's numbers, not the file's size
                                      .Data(odd)
                                      .File(3, "empty.bin", {})
                                      .bytes();
  EXPECT_EQ(ReadWholeFile(tape_), expected);
  // A 0-byte file: a data block of length 2, flag 255, checksum 255.
  EXPECT_EQ(std::vector<uint8_t>(expected.end() - 4, expected.end()), (std::vector<uint8_t>{2, 0, 255, 255}));
}

TEST_F(TapePacking, FilesNamedLikeHeaderlessEntriesGetADataBlockOnly) {
  std::vector<uint8_t> old = TapeBuilder().Data({9}).bytes();
  WriteWholeFile(tape_, old);
  Source("headerless3", {1, 2});
  Source("headerless07", {3});
  EXPECT_EQ(PackResult(List({"headerless3", "headerless07"})), 0);
  std::vector<uint8_t> expected = TapeBuilder().Data({9}).Data({1, 2}).File(3, "headerless0", {3}).bytes();
  EXPECT_EQ(ReadWholeFile(tape_), expected);
  // Listed by its position among the headerless entries, not by the number it came with.
  EXPECT_EQ(ListTape(tape_).names()[1], "headerless2");
}

TEST(TapeHeaderlessName, Rule) {
  struct Case {
    const char* name;
    bool headerless;
  } cases[] = {
      {"headerless7", true},        {"headerless12.bin", true}, {"headerlessx", true},
      {"headerless123456789", true}, {"headerless07", false},    {"headerless1234567890", false},
      {"headerless", false},         {"Headerless7", false},     {"xheaderless7", false},
      {"headerless0", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ox::tape::IsHeaderlessName(c.name, static_cast<uint32_t>(strlen(c.name))), c.headerless) << c.name;
}

TEST_F(TapePacking, DirectoriesAreSkippedAndPartsDecodedByTheLastName) {
  std::filesystem::create_directories(source_ + "/sub");
  std::vector<uint8_t> screen = Pattern(6912);
  WriteWholeFile(source_ + "/sub/" + kScreenName, screen);
  EXPECT_EQ(PackResult(List({"sub\\", "sub\\" + kScreenName})), 0);
  EXPECT_EQ(ReadWholeFile(tape_), TapeBuilder().File(3, "screen", screen, 16384, 32768).bytes());
}

TEST_F(TapePacking, SubPathAndMoveFlagChangeNothing) {
  WriteWholeFile(tape_, TapeBuilder().File(3, "a", {1}).bytes());
  Source("b.bin", {2});
  EXPECT_EQ(ox::ToHostResult(Pack(List({"b.bin"}), "somewhere\\deep", ox::host::kPackMoveFiles | ox::host::kPackSavePaths)), 0);
  EXPECT_EQ(ReadWholeFile(tape_), TapeBuilder().File(3, "a", {1}).File(3, "b.bin", {2}).bytes());
  EXPECT_TRUE(std::filesystem::exists(source_ + "/b.bin"));
}

TEST_F(TapePacking, SizeLimitAndMissingSources) {
  std::vector<uint8_t> old = TapeBuilder().File(3, "a", {1}).bytes();
  Source("max.bin", Pattern(65533));
  Source("over.bin", Pattern(65534));
  WriteWholeFile(tape_, old);
  ox::Status status = Pack(List({"max.bin", "over.bin"}));
  EXPECT_EQ(ox::ToHostResult(status), 1);
  EXPECT_STREQ(status.message, "Files can not exceed 65533 bytes in size");
  EXPECT_EQ(status.show, 1);
  EXPECT_EQ(ReadWholeFile(tape_), old);  // the first file went again
  EXPECT_EQ(PackResult(List({"max.bin", "missing.bin"})), 15);
  EXPECT_EQ(ReadWholeFile(tape_), old);
  EXPECT_EQ(PackResult(List({"max.bin"})), 0);
  std::vector<uint8_t> grown = ReadWholeFile(tape_);
  ASSERT_EQ(grown.size(), old.size() + 21 + 65537);
  EXPECT_EQ(grown[old.size() + 21], 0xFF);  // block length 65,535
  EXPECT_EQ(grown[old.size() + 22], 0xFF);
  TapeListing listing = ListTape(tape_);
  EXPECT_EQ(listing.entries.back().packedSize, 65533);
}

TEST_F(TapePacking, WhatIsListedComesBackAsTheSameBlocks) {
  std::vector<uint8_t> original = TapeBuilder()
                                      .File(0, "loader", Pattern(40), 10, 40)
                                      .File(3, "screen", Pattern(6912, 2), 16384, 32768)
                                      .File(3, "screen", Pattern(6912, 3), 16384, 32768)  // listed with "[2]"
                                      .Data(Pattern(99, 4))
                                      .File(3, std::string("\x7Fx\x80\xFF/?:*", 8), Pattern(3, 5), 5, 6)
                                      .File(255, "", Pattern(2, 6))
                                      .bytes();
  WriteWholeFile(tape_, original);
  std::string list;
  {
    std::vector<char> name(tape_.begin(), tape_.end());
    name.push_back(0);
    ox::host::OpenArchiveRecord record = {};
    record.archiveName = name.data();
    ox::tape::TapeImage* image = ox::tape::OpenTapeImage(&record, ox::tape::kReadAccess);
    ASSERT_NE(image, nullptr);
    while (const ox::host::HeaderRecord* r = ox::tape::CurrentTapeRecord(image)) {
      list += std::string(r->fileName) + '\0';
      std::string target = source_ + "/" + r->fileName;
      ASSERT_EQ(ox::tape::ProcessTapeEntry(image, ox::host::kExtract, nullptr, target.c_str()), 0) << r->fileName;
    }
    ox::tape::CloseTapeImage(image);
  }
  list += '\0';
  tape_ = dir_ / "copy.tap";
  EXPECT_EQ(PackResult(list), 0);
  EXPECT_EQ(ReadWholeFile(tape_), original);
}

// A failed append leaves the tape as it was, whichever allocation or file operation fails:
// the blocks already written are cut away again.
class TapePackingFailures : public TapePacking {
 protected:
  TapePackingFailures() {
    original_ = TapeBuilder().File(0, "loader", Pattern(40), 10, 40).Data({5, 6}).bytes();
    Source(kScreenName, Pattern(6912));
    Source("headerless5", Pattern(100, 2));
    Source("notes.txt", Pattern(50, 3));
    list_ = List({kScreenName, "headerless5", "notes.txt"});
    WriteWholeFile(tape_, original_);
    EXPECT_EQ(PackResult(list_), 0);
    complete_ = ReadWholeFile(tape_);
    EXPECT_GT(complete_.size(), original_.size());
  }

  std::vector<uint8_t> original_, complete_;
  std::string list_;
};

TEST_F(TapePackingFailures, EveryAllocation) {
  WriteWholeFile(tape_, original_);
  uint64_t before = ox::AllocationCount();
  ASSERT_EQ(PackResult(list_), 0);
  uint64_t used = ox::AllocationCount() - before;
  ASSERT_GE(used, 4u);  // the test's image, list and entries, the data buffers
  for (uint64_t n = 1; n <= used; ++n) {
    SCOPED_TRACE(n);
    WriteWholeFile(tape_, original_);
    ox::ArmAllocationFailure(n);
    EXPECT_EQ(PackResult(list_), 11);
    ox::DisarmAllocationFailure();
    EXPECT_EQ(ReadWholeFile(tape_), original_);
  }
}

TEST_F(TapePackingFailures, EveryFileOperation) {
  WriteWholeFile(tape_, original_);
  uint64_t before = plat::FileOperationCount();
  ASSERT_EQ(PackResult(list_), 0);
  uint64_t used = plat::FileOperationCount() - before;
  for (plat::FileFault kind : {plat::FileFault::kFail, plat::FileFault::kShort}) {
    std::set<int32_t> seen;
    for (uint64_t n = 1; n <= used; ++n) {
      SCOPED_TRACE(testing::Message() << "operation " << n << (kind == plat::FileFault::kShort ? " short" : ""));
      WriteWholeFile(tape_, original_);
      plat::ArmFileFault(n, kind);
      int32_t result = PackResult(list_);
      plat::DisarmFileFault();
      seen.insert(result);
      if (result == 0) {
        // Only a failed release (a close) is no failure of the append.
        EXPECT_EQ(ReadWholeFile(tape_), complete_);
      } else {
        EXPECT_TRUE(result == 15 || result == 18 || result == 19) << result;
        EXPECT_EQ(ReadWholeFile(tape_), original_);
      }
    }
    EXPECT_EQ(seen, (std::set<int32_t>{0, 15, 18, 19}));
  }
}

TEST_F(TapePackingFailures, SecondOfThreeUnreadable) {
  WriteWholeFile(tape_, original_);
  std::filesystem::remove(source_ + "/headerless5");
  EXPECT_EQ(PackResult(list_), 15);
  EXPECT_EQ(ReadWholeFile(tape_), original_);
}
