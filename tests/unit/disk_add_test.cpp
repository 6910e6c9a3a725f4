#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "common/alloc.h"
#include "common/bytes.h"
#include "common/host_api.h"
#include "disk_write.h"
#include "image_builder.h"
#include "temp_dir.h"

using namespace ox;
using oxtest::FileSpec;
using oxtest::ImageBuilder;
using oxtest::Outcome;
using Names = std::vector<std::string>;

namespace fs = std::filesystem;

namespace {

constexpr int kSimple = 1, kTree = 2;
constexpr int kSavePaths = host::kPackSavePaths, kMove = host::kPackMoveFiles;
const char kNoHeader[] = ".3  0000 0000 0000 0000 FF 00";  // what follows a 0-byte file's name

// The listed name of a file added without an encoded header.
std::string Plain(const std::string& name, uint16_t length) {
  char fields[40];
  snprintf(fields, sizeof fields, ".3  %04X 0000 0000 0000 FF 00", length);
  return name + fields;
}

uint8_t* EntryAt(std::vector<uint8_t>& image, uint32_t sector, uint32_t slot) {
  return image.data() + sector * 1024 + slot * 32;
}

// An image with directory 0 ("ROOT", its own parent), which the Tree view enters.
ImageBuilder WithRoot() {
  ImageBuilder b;
  b.AddDirectory(0, 0, "ROOT");
  return b;
}

class DiskAdding : public testing::Test {
 protected:
  void Write(ImageBuilder& b) {
    oxtest::WriteWholeFile(image_, b.Build());
    before_ = oxtest::ReadWholeFile(image_);
  }
  void Source(const std::string& name, size_t size = 3) { oxtest::MakeFile(src_ + "/" + name, oxtest::Pattern(size, 1)); }
  Outcome Pack(int view, const Names& names, int flags = 0, const char* subPath = nullptr) {
    module_ = oxtest::ModuleIn(dir_, view);
    return oxtest::Pack(module_, image_, src_, names, flags, subPath);
  }
  std::vector<uint8_t> Image() const { return oxtest::ReadWholeFile(image_); }

  oxtest::TempDir dir_;
  oxtest::KeepCurrentDir cwd_;  // the plugin enters the source folder; left before dir_ goes
  std::string image_ = dir_ / "disk.mbd";
  std::string src_ = dir_ / "src";
  std::vector<uint8_t> before_;
  disk::DiskModule module_;
};

}  // namespace

TEST_F(DiskAdding, FirstFileOfAFreshImageMakesDirectoryZeroNamedAfterTheImage) {
  ImageBuilder fresh;
  Write(fresh);
  const time_t when = 981173106;  // 2001-02-03 04:05:06 UTC
  oxtest::MakeFile(src_ + "/f.txt", oxtest::Pattern(1500, 9), when);
  ASSERT_EQ(Pack(kTree, {"f.txt"}), (Outcome{0, ""}));

  std::vector<uint8_t> image = Image();
  const uint8_t* slot = image.data() + 10 * 1024;
  const char kName[] = "disk.mbd  ";
  uint8_t check = 0;
  for (int i = 0; i < 10; ++i) check ^= static_cast<uint8_t>(kName[i]);
  EXPECT_EQ(slot[0], 0x80);
  EXPECT_EQ(slot[1], check);
  EXPECT_EQ(ReadU16(slot + 2), 0x800B);
  const uint8_t* record = image.data() + 11 * 1024;
  EXPECT_EQ(record[0], 0x80);
  EXPECT_NE(ReadU32(record + 1), 0u);
  EXPECT_EQ(record[5], 0);  // its own parent
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record + 6), 26), "disk.mbd" + std::string(18, ' '));
  EXPECT_EQ(oxtest::FatOf(image, 11), 0x8400);

  uint8_t* e = EntryAt(image, 11, 1);
  struct tm local = *localtime(&when);
  uint32_t dos = ((local.tm_year - 80) << 25) | ((local.tm_mon + 1) << 21) | (local.tm_mday << 16) |
                 (local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2);
  EXPECT_EQ(e[0], 0xB0);
  EXPECT_EQ(ReadU32(e + 1), dos);
  EXPECT_EQ(e[5], 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(e + 6), 10), "f.txt     ");
  EXPECT_EQ(ReadU16(e + 16), 1500);
  EXPECT_EQ(ReadU16(e + 18), 0);
  EXPECT_EQ(ReadU16(e + 20), 0);
  EXPECT_EQ(ReadU16(e + 22), 0);
  EXPECT_EQ(ReadU32(e + 24), 1500u);
  EXPECT_EQ(e[28], 0xFF);
  EXPECT_EQ(e[29], 0);
  EXPECT_EQ(ReadU16(e + 30), 128);
  EXPECT_EQ(oxtest::FatOf(image, 128), 0xC081);
  EXPECT_EQ(oxtest::FatOf(image, 129), 0x8000 + 476);
  EXPECT_EQ(std::vector<uint8_t>(image.begin() + 128 * 1024, image.begin() + 128 * 1024 + 1500),
            oxtest::Pattern(1500, 9));
  EXPECT_EQ(image[2048], 1);  // the FAT was written once
  EXPECT_EQ(memcmp(image.data() + 2048, image.data() + 6144, 4096), 0);
  // The Tree view enters directory 0, so the file is at the top.
  EXPECT_EQ(oxtest::ListNames(image_, kTree), (Names{Plain("f.txt", 1500)}));
}

// A file aimed at the top of the listing: the Tree view's top is directory 0 when it is
// alone, the Simple view's always the root, so there the directory named after the image
// is found or made, whatever directory 0 is called.
TEST_F(DiskAdding, TopOfTheListingPerView) {
  struct Case {
    int view;
    Names listed;
  } cases[] = {
      {kTree, {Plain("a", 3), Plain("b", 3)}},
      {kSimple, {" 001 disk.mbd\\" + Plain("a", 3), " 001 disk.mbd\\" + Plain("b", 3)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.view);
    ImageBuilder b;
    b.AddDirectory(0, 0, "OTHER");
    Write(b);
    Source("a");
    Source("b");
    ASSERT_EQ(Pack(c.view, {"a"}).code, 0);
    ASSERT_EQ(Pack(c.view, {"b"}).code, 0);  // a second call finds the same directory
    Names listed = oxtest::ListNames(image_, c.view), files;
    for (const std::string& n : listed)
      if (n.back() != '\\') files.push_back(n);
    EXPECT_EQ(files, c.listed);
  }
}

TEST_F(DiskAdding, SavePathsRecreatesTheDirectoryParts) {
  struct Case {
    int flags;
    Names listed;
  } cases[] = {
      {0, {Plain("F.TXT", 3)}},
      {kSavePaths, {"A\\", "A\\B\\", "A\\B\\" + Plain("F.TXT", 3)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    ImageBuilder b = WithRoot();
    Write(b);
    Source("A/B/F.TXT");
    ASSERT_EQ(Pack(kTree, {"A\\", "A\\B\\", "A\\B\\F.TXT"}, c.flags), (Outcome{0, ""}));
    EXPECT_EQ(oxtest::ListNames(image_, kTree), c.listed);
  }
}

TEST_F(DiskAdding, ADirectoryNamedWithoutBackslashIsMadeEvenWithoutSavePaths) {
  ImageBuilder b = WithRoot();
  Write(b);
  fs::create_directories(src_ + "/D");
  ASSERT_EQ(Pack(kTree, {"D"}), (Outcome{0, ""}));
  EXPECT_EQ(oxtest::ListNames(image_, kTree), (Names{"D\\"}));
}

TEST_F(DiskAdding, FindsDirectoriesByListedAndStoredNamesCaseSensitively) {
  ImageBuilder b = WithRoot();
  b.AddDirectory(1, 0, "GAMES");
  Write(b);
  Source("GAMES/x");
  Source("games/y");
  ASSERT_EQ(Pack(kTree, {"GAMES\\x", "games\\y"}, kSavePaths).code, 0);
  EXPECT_EQ(oxtest::ListNames(image_, kTree), (Names{"GAMES\\", "GAMES\\" + Plain("x", 3), "games\\",
                                                     "games\\" + Plain("y", 3)}));
}

TEST_F(DiskAdding, SubPathDirectoriesMustExist) {
  struct Case {
    const char* subPath;
    Outcome outcome;
    Names listed;  // empty: the image is unchanged
  } cases[] = {
      {"GAMES", {0, ""}, {"GAMES\\", "GAMES\\D\\", "GAMES\\D\\" + Plain("f", 3)}},
      {"GAMES\\NOPE", {1, "Destination directory not found\n"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.subPath);
    ImageBuilder b = WithRoot();
    b.AddDirectory(1, 0, "GAMES");
    Write(b);
    Source("D/f");
    EXPECT_EQ(Pack(kTree, {"D\\", "D\\f"}, kSavePaths, c.subPath), c.outcome);
    if (c.listed.empty()) EXPECT_EQ(Image(), before_);
    else EXPECT_EQ(oxtest::ListNames(image_, kTree), c.listed);
  }
}

// Failures of the walk leave the image file as it was, whatever was done in memory before.
TEST_F(DiskAdding, FailuresLeaveTheImageUnchanged) {
  ImageBuilder root = WithRoot();
  ImageBuilder full = WithRoot();
  for (int d = 1; d < 256; ++d) full.AddDirectory(d, 0, oxtest::Numbered("D", d));
  ImageBuilder cycle = WithRoot();
  cycle.AddDirectory(3, 5, "THREE");
  cycle.AddDirectory(5, 3, "FIVE");
  struct Case {
    const char* what;
    ImageBuilder* image;
    int view;
    Names names;
    int flags;
    const char* subPath;
    Outcome outcome;
  } cases[] = {
      {"257th directory", &full, kTree, {"a", "NEW\\"}, kSavePaths, nullptr, {1, "Too many directories\n"}},
      {"missing source", &root, kTree, {"a", "missing"}, 0, nullptr, {15, ""}},
      {"absent directory number", &root, kSimple, {"a", "012\\a"}, kSavePaths, nullptr,
       {1, "Destination directory does not exist\n"}},
      {"file into a cycle group", &cycle, kTree, {"a"}, 0, "CYCLE1", {1, "Invalid target directory\n"}},
      {"directory in a cycle group", &cycle, kTree, {"NEW\\"}, kSavePaths, "CYCLE1", {1, "Invalid target directory\n"}},
  };
  Source("a");
  fs::create_directories(src_ + "/NEW");
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    Write(*c.image);
    EXPECT_EQ(Pack(c.view, c.names, c.flags, c.subPath), c.outcome);
    EXPECT_EQ(Image(), before_);
  }
}

TEST_F(DiskAdding, AnEmptyListRewritesTheImageWithOnlyTheUpdateCounterRaised) {
  ImageBuilder b = WithRoot();
  FileSpec f;
  f.data = oxtest::Pattern(100, 2);
  b.AddFile(0, f);
  Write(b);
  fs::create_directories(src_);
  ASSERT_EQ(Pack(kTree, {}), (Outcome{0, ""}));
  std::vector<uint8_t> after = Image();
  ASSERT_EQ(after.size(), before_.size());
  std::vector<size_t> changed;
  for (size_t i = 0; i < after.size(); ++i)
    if (after[i] != before_[i]) changed.push_back(i);
  EXPECT_EQ(changed, (std::vector<size_t>{2048, 6144}));
  EXPECT_EQ(after[2048], before_[2048] + 1);
}

TEST_F(DiskAdding, EntriesTakeTheirHeaderFromTheName) {
  struct Case {
    std::string name;
    size_t size;
    uint8_t type;
    uint16_t length, param1, param2, bodyAddress;
    uint8_t bodyFlags, attributes;
  } cases[] = {
      {"hello.0  1A2B 000A 1A2B 0123 45 67", 6699, 0, 0x1A2B, 0x000A, 0x1A2B, 0x0123, 0x45, 0x67},
      {"screen.3  06912 16384 32768 00000 255 001", 6912, 3, 6912, 16384, 32768, 0, 255, 1},
      {"big", 70000, 3, 4464, 0, 0, 0, 0xFF, 0},
      {"empty", 0, 3, 0, 0, 0, 0, 0xFF, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ImageBuilder b = WithRoot();
    Write(b);
    Source(c.name, c.size);
    ASSERT_EQ(Pack(kTree, {c.name}).code, 0);
    std::vector<uint8_t> image = Image();
    const uint8_t* e = EntryAt(image, 11, 1);
    std::string stored(reinterpret_cast<const char*>(e + 6), 10);
    EXPECT_EQ(stored.substr(0, stored.find_last_not_of(' ') + 1), c.name.substr(0, c.name.find('.')));
    EXPECT_EQ(e[5], c.type);
    EXPECT_EQ(ReadU16(e + 16), c.length);
    EXPECT_EQ(ReadU16(e + 18), c.param1);
    EXPECT_EQ(ReadU16(e + 20), c.param2);
    EXPECT_EQ(ReadU16(e + 22), c.bodyAddress);
    EXPECT_EQ(ReadU32(e + 24), c.size);
    EXPECT_EQ(e[28], c.bodyFlags);
    EXPECT_EQ(e[29], c.attributes);
    EXPECT_EQ(ReadU16(e + 30), c.size ? 128 : 0);
    if (!c.size) {
      EXPECT_EQ(oxtest::FatOf(image, 128), 0);  // no sector for an empty file
    }
  }
}

TEST_F(DiskAdding, AFullDirectoryGrowsByASectorAndEqualNamesGetTwoEntries) {
  ImageBuilder b = WithRoot();
  for (int i = 0; i < 31; ++i) {
    FileSpec f;
    f.name = oxtest::Numbered("f", i);
    b.AddFile(0, f);
  }
  Write(b);
  Source("x", 0);
  ASSERT_EQ(Pack(kTree, {"x", "x"}).code, 0);
  std::vector<uint8_t> image = Image();
  EXPECT_EQ(oxtest::FatOf(image, 11), 0xC00C);  // the first free sector after the full one
  EXPECT_EQ(oxtest::FatOf(image, 12), 0x8400);
  EXPECT_EQ(EntryAt(image, 12, 0)[0], 0xB0);
  EXPECT_EQ(EntryAt(image, 12, 1)[0], 0xB0);
  Names listed = oxtest::ListNames(image_, kTree);
  ASSERT_EQ(listed.size(), 33u);
  EXPECT_EQ(listed[31], std::string("x") + kNoHeader);
  EXPECT_EQ(listed[32], std::string("x") + kNoHeader + "[2]");
}

TEST_F(DiskAdding, MovingDeletesTheSourcesAndReportsOnesThatStay) {
  ImageBuilder b = WithRoot();
  Write(b);
  Source("a");
  Source("D/c");
  Source("D/keep");  // not in the list, so D cannot be removed
  Source("b");
  EXPECT_EQ(Pack(kTree, {"a", "D\\", "D\\c", "b"}, kMove),
            (Outcome{1, "Could not delete source files/directories\n"}));
  EXPECT_EQ(oxtest::ListNames(image_, kTree), (Names{Plain("a", 3), Plain("c", 3), Plain("b", 3)}));
  EXPECT_FALSE(fs::exists(src_ + "/a"));
  EXPECT_FALSE(fs::exists(src_ + "/b"));
  EXPECT_FALSE(fs::exists(src_ + "/D/c"));
  EXPECT_TRUE(fs::exists(src_ + "/D/keep"));

  fs::remove(src_ + "/D/keep");
  Source("D/e");
  EXPECT_EQ(Pack(kTree, {"D\\", "D\\e"}, kMove | kSavePaths), (Outcome{0, ""}));
  EXPECT_FALSE(fs::exists(src_ + "/D"));
}

// The reading side's limits hold before anything is allocated or written.
TEST_F(DiskAdding, OversizedImageFilesAreRefusedFirst) {
  struct Case {
    uint64_t size;
    int code;
  } cases[] = {{64u * 1024 * 1024 + 1024, 14}, {uint64_t(1) << 31, 15}};
  Source("a");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    { std::ofstream(image_, std::ios::binary | std::ios::trunc); }
    fs::resize_file(image_, c.size);
    ArmAllocationFailure(1);
    EXPECT_EQ(Pack(kTree, {"a"}), (Outcome{c.code, ""}));
    EXPECT_EQ(oxtest::Delete(module_, image_, {"a"}), (Outcome{c.code, ""}));
    DisarmAllocationFailure();
    EXPECT_EQ(fs::file_size(image_), c.size);
  }
}
