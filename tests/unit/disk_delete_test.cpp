#include <gtest/gtest.h>

#include <map>
#include <set>

#include "common/bytes.h"
#include "disk_write.h"
#include "image_builder.h"
#include "temp_dir.h"

using namespace ox;
using oxtest::FileSpec;
using oxtest::ImageBuilder;
using oxtest::Outcome;
using Names = std::vector<std::string>;

namespace {

constexpr int kSimple = 1, kTree = 2;

// How the image builder's files are listed: type 3, every header value 0.
std::string Listed(const std::string& name) { return name + ".3  0000 0000 0000 0000 FF 00"; }

FileSpec File(const std::string& name, size_t size) {
  FileSpec f;
  f.name = name;
  f.data = oxtest::Pattern(size, static_cast<uint8_t>(name[0]));
  return f;
}

struct Fixture {
  ImageBuilder b;
  uint32_t gone = 0, empty = 0, same1 = 0, same2 = 0;
};

// Directory 0 (ROOT, its own parent) holding SUB, which holds DEEP; files in all three.
Fixture Sample() {
  Fixture f;
  f.b.AddDirectory(0, 0, "ROOT");
  f.b.AddDirectory(1, 0, "SUB");
  f.b.AddDirectory(2, 1, "DEEP");
  f.b.AddFile(0, File("keep", 100));
  f.gone = f.b.AddFile(0, File("gone", 3000));
  f.empty = f.b.AddFile(0, File("empty", 0));
  f.same1 = f.b.AddFile(0, File("same", 10));
  f.same2 = f.b.AddFile(0, File("same", 20));
  f.b.AddFile(1, File("s1", 1500));
  f.b.AddFile(2, File("d1", 2100));
  return f;
}

std::set<size_t> Changed(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  std::set<size_t> offsets;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (a[i] != b[i]) offsets.insert(i);
  return offsets;
}

std::vector<uint32_t> ChainOf(const std::vector<uint8_t>& image, uint32_t entryOffset) {
  std::vector<uint32_t> chain;
  for (uint32_t s = ReadU16(image.data() + entryOffset + 30);; s = oxtest::FatOf(image, s) & 0x3FFF) {
    chain.push_back(s);
    if (!(oxtest::FatOf(image, s) & 0x4000)) return chain;
  }
}

class DiskDeleting : public testing::Test {
 protected:
  void Write(ImageBuilder& b) {
    oxtest::WriteWholeFile(image_, b.Build());
    before_ = oxtest::ReadWholeFile(image_);
  }
  Outcome Delete(int view, const Names& names) {
    module_ = oxtest::ModuleIn(dir_, view);
    return oxtest::Delete(module_, image_, names);
  }
  std::vector<uint8_t> Image() const { return oxtest::ReadWholeFile(image_); }

  oxtest::TempDir dir_;
  std::string image_ = dir_ / "disk.mbd";
  std::vector<uint8_t> before_;
  disk::DiskModule module_;
};

}  // namespace

// Deletion marks: the entry's in-use bit and the in-use bits of its chain, in both FAT
// copies, with the update counter and the checksum; nothing else.
TEST_F(DiskDeleting, AFileLosesOnlyItsInUseBits) {
  struct Case {
    const char* name;
    uint32_t Fixture::*entry;
  } cases[] = {{"gone", &Fixture::gone}, {"empty", &Fixture::empty}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f = Sample();
    Write(f.b);
    const uint32_t entry = f.*c.entry;
    ASSERT_EQ(Delete(kTree, {Listed(c.name)}), (Outcome{0, ""}));
    std::vector<uint8_t> after = Image();
    std::set<size_t> expected = {entry, 2048, 6144};
    if (ReadU32(before_.data() + entry + 24)) {
      std::vector<uint32_t> chain = ChainOf(before_, entry);
      EXPECT_EQ(chain.size(), 3u);
      for (uint32_t s : chain) {
        expected.insert(2048 + 2 * s + 1);
        expected.insert(6144 + 2 * s + 1);
        EXPECT_EQ(oxtest::FatOf(after, s), oxtest::FatOf(before_, s) & 0x7FFF);
      }
      expected.insert({2049, 6145});  // the checksum
    }
    EXPECT_EQ(Changed(before_, after), expected);
    EXPECT_EQ(after[entry], 0x30);
    EXPECT_EQ(after[2048], before_[2048] + 1);
  }
}

TEST_F(DiskDeleting, AWholeDirectoryGoesWithEverythingBelowIt) {
  Fixture f = Sample();
  Write(f.b);
  ASSERT_EQ(Delete(kTree, {"SUB\\*.*"}), (Outcome{0, ""}));
  std::vector<uint8_t> after = Image();
  for (int d : {1, 2}) {
    const uint8_t* slot = after.data() + 10 * 1024 + 4 * d;
    const uint8_t* was = before_.data() + 10 * 1024 + 4 * d;
    EXPECT_EQ(slot[0], 0);
    EXPECT_EQ(ReadU16(slot + 2), ReadU16(was + 2) & 0x7FFF);  // the sector number stays
    uint32_t sector = ReadU16(was + 2) & 0x3FFF;
    EXPECT_EQ(oxtest::FatOf(after, sector), 0x0400);
    EXPECT_EQ(memcmp(after.data() + sector * 1024, before_.data() + sector * 1024, 32), 0);  // its record stays
  }
  EXPECT_EQ(oxtest::ListNames(image_, kTree),
            (Names{Listed("keep"), Listed("gone"), Listed("empty"), Listed("same"), Listed("same") + "[2]"}));
}

TEST_F(DiskDeleting, DuplicateNamesAreReachedOnlyByTheirOwnListedName) {
  struct Case {
    std::string name;
    uint32_t Fixture::*deleted;
    uint32_t Fixture::*kept;
  } cases[] = {{Listed("same"), &Fixture::same1, &Fixture::same2},
               {Listed("same") + "[2]", &Fixture::same2, &Fixture::same1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f = Sample();
    Write(f.b);
    ASSERT_EQ(Delete(kTree, {c.name}).code, 0);
    std::vector<uint8_t> after = Image();
    EXPECT_EQ(after[f.*c.deleted], 0x30);
    EXPECT_EQ(after[f.*c.kept], 0xB0);
  }
}

// "*.*" alone names what the top of the listing is: directory 0 when the Tree view
// enters it, the root in the Simple view, which holds nothing that could be deleted.
TEST_F(DiskDeleting, StarDotStarAloneAndTheEmptyList) {
  struct Case {
    int view;
    Names names;
    bool everythingGone;
  } cases[] = {{kTree, {"*.*"}, true}, {kSimple, {"*.*"}, false}, {kTree, {}, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.view * 10 + static_cast<int>(c.names.size()));
    Fixture f = Sample();
    Write(f.b);
    ASSERT_EQ(Delete(c.view, c.names), (Outcome{0, ""}));
    std::vector<uint8_t> after = Image();
    if (c.everythingGone) {
      for (int d = 0; d < 3; ++d) EXPECT_EQ(after[10 * 1024 + 4 * d], 0);
      for (uint32_t s = 11; s < 128; ++s) EXPECT_EQ(oxtest::FatOf(after, s) & 0x8000, 0) << s;
    } else {
      EXPECT_EQ(Changed(before_, after), (std::set<size_t>{2048, 6144}));
    }
  }
}

// Where the tree does not hold a directory's subdirectories (the Simple view, a cycle),
// they move up to the deleted directory's parent, or become top-level directories.
TEST_F(DiskDeleting, SubdirectoriesOfADeletedDirectoryMoveUp) {
  struct Case {
    int view;
    std::string name;
    std::map<int, int> parents;  // directory number: parent afterwards
  } cases[] = {
      {kSimple, " 005 FIVE\\*.*", {{7, 2}, {3, 0}, {4, 0}}},
      {kSimple, " 000 ZERO\\*.*", {{3, 3}, {4, 4}, {5, 2}, {7, 5}}},
      {kTree, "CYCLE1\\EIGHT\\*.*", {{9, 9}, {10, 9}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ImageBuilder b;
    b.AddDirectory(0, 0, "ZERO");
    b.AddDirectory(2, 2, "TWO");
    b.AddDirectory(3, 0, "THREE");
    b.AddDirectory(4, 0, "FOUR");
    b.AddDirectory(5, 2, "FIVE");
    b.AddDirectory(7, 5, "SEVEN");
    b.AddDirectory(8, 9, "EIGHT");  // 8 and 9 name each other: a cycle
    b.AddDirectory(9, 8, "NINE");
    b.AddDirectory(10, 9, "TEN");
    Write(b);
    ASSERT_EQ(Delete(c.view, {c.name}), (Outcome{0, ""}));
    std::vector<uint8_t> after = Image();
    for (const auto& [number, parent] : c.parents) {
      uint32_t sector = ReadU16(after.data() + 10 * 1024 + 4 * number + 2) & 0x3FFF;
      EXPECT_EQ(after[sector * 1024 + 5], parent) << "directory " << number;
    }
  }
}

TEST_F(DiskDeleting, ACycleGroupGoesWithAllItsMembers) {
  ImageBuilder b;
  b.AddDirectory(0, 0, "ZERO");
  b.AddDirectory(3, 5, "THREE");
  b.AddDirectory(5, 3, "FIVE");
  b.AddDirectory(7, 5, "SEVEN");
  b.AddFile(3, File("f3", 10));
  b.AddFile(7, File("f7", 10));
  Write(b);
  ASSERT_EQ(Delete(kTree, {"CYCLE1\\*.*"}), (Outcome{0, ""}));
  std::vector<uint8_t> after = Image();
  for (int d : {0, 3, 5, 7}) EXPECT_EQ(after[10 * 1024 + 4 * d], d == 0 ? 0x80 : 0) << d;
  EXPECT_EQ(oxtest::ListNames(image_, kTree), Names{});  // directory 0, alone now, is entered
}

// Any failing name leaves the file as it was, whatever the names before it did in memory.
TEST_F(DiskDeleting, FailuresLeaveTheImageUnchanged) {
  struct Case {
    Names names;
    Outcome outcome;
  } cases[] = {
      {{Listed("gone"), Listed("gone")}, {1, "File or directory not found\n"}},
      {{Listed("keep"), "SUB\\*.*", "SUB\\" + Listed("s1")}, {1, "File or directory not found\n"}},
      {{Listed("keep"), "SUB"}, {1, "File or directory not found\n"}},  // a directory is no file
      {{"*.*\\" + Listed("keep")}, {1, "Invalid path\n"}},
      {{Listed("keep"), "SUB\\"}, {1, "Invalid path\n"}},  // would leave the directory's files behind
      {{Listed("keep"), Listed("broken")}, {12, ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.names.back());
    Fixture f = Sample();
    uint32_t broken = f.b.AddFile(0, File("broken", 2000));
    f.b.SetFat(ReadU16(f.b.bytes().data() + broken + 30), 0xC000 | 2000);  // links beyond the image
    Write(f.b);
    EXPECT_EQ(Delete(kTree, c.names), c.outcome);
    EXPECT_EQ(Image(), before_);
  }
}

TEST_F(DiskDeleting, ADeletedEntryKeepsItsSlot) {
  Fixture f = Sample();
  Write(f.b);
  ASSERT_EQ(Delete(kTree, {Listed("gone")}).code, 0);
  oxtest::KeepCurrentDir cwd;
  std::string src = dir_ / "src";
  oxtest::MakeFile(src + "/new", {1, 2, 3});
  ASSERT_EQ(oxtest::Pack(module_, image_, src, {"new"}).code, 0);
  std::vector<uint8_t> after = Image();
  EXPECT_EQ(after[f.gone], 0x30);
  EXPECT_EQ(after[f.same2 + 32], 0xB0);  // the first all-zero slot
  EXPECT_EQ(after[f.same2 + 38], 'n');
}
