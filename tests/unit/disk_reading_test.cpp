#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "common/alloc.h"
#include "common/bytes.h"
#include "common/dos_time.h"
#include "common/host_boundary.h"
#include "common/settings.h"
#include "disk/disk_image.h"
#include "image_builder.h"
#include "listing.h"
#include "platform/file.h"
#include "plugins.h"
#include "temp_dir.h"

using namespace ox;
using oxtest::FileSpec;
using oxtest::ImageBuilder;
using oxtest::Listed;

namespace {

constexpr uint32_t kRootDate = ((2010 - 1980) << 25) | (6 << 21) | (30 << 16) | (12 << 11) | (34 << 5) | 28;
constexpr uint32_t kSubDate = ((1999 - 1980) << 25) | (12 << 21) | (31 << 16) | (23 << 11) | (59 << 5) | 29;
constexpr uint32_t kFileDate = ((2001 - 1980) << 25) | (2 << 21) | (3 << 16) | (4 << 11) | (5 << 5) | 3;

std::vector<uint8_t> Bytes(size_t n, uint8_t seed) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + i * 13);
  return v;
}

// Directory 0 with three equal files, a headerless file, and a subdirectory named like
// that headerless file holding a directory whose only file has a broken chain.
std::vector<uint8_t> SampleImage() {
  ImageBuilder b;
  b.AddDirectory(0, 0, "ROOTDIR", kRootDate);
  b.AddDirectory(9, 0, "headerless1", kSubDate);
  b.AddDirectory(4, 9, "DEEP");
  FileSpec same;
  same.name = "same";
  same.dateTime = kFileDate;
  same.data = Bytes(1500, 1);
  b.AddFile(0, same);
  same.data = Bytes(3, 2);
  b.AddFile(0, same);
  same.data = {};
  b.AddFile(0, same);
  FileSpec raw;
  raw.flags = 0xA0;
  raw.data = Bytes(10, 3);
  b.AddFile(0, raw);
  FileSpec broken;
  broken.name = "deep";
  broken.data = Bytes(2000, 4);
  uint32_t at = b.AddFile(4, broken);
  auto bytes = b.Build();
  WriteU16(bytes.data() + at + 30, 1700);  // a free sector: the chain is bad
  return bytes;
}

const char kSame[] = "same.3  0000 0000 0000 0000 FF 00";

struct Opened {
  disk::DiskImage* image = nullptr;
  int32_t openResult = -1;
};

Opened OpenInternal(const std::string& path, int view) {
  DiskSettings settings = DefaultDiskSettings();
  settings.DirStructViewMode = view;
  std::vector<char> name(path.begin(), path.end());
  name.push_back(0);
  host::OpenArchiveRecord record = {};
  record.archiveName = name.data();
  Opened o;
  o.image = disk::OpenArchive(&record, settings);
  o.openResult = record.openResult;
  return o;
}

std::vector<Listed> ListInternal(const std::string& path, int view) {
  Opened o = OpenInternal(path, view);
  EXPECT_EQ(o.openResult, 0);
  std::vector<Listed> out;
  if (!o.image) return out;
  host::HeaderRecord h;
  while (memset(&h, 0, sizeof h), disk::ReadHeader(o.image, &h) == 0) {
    Listed e{h.fileName, false, static_cast<uint32_t>(h.packedSize), static_cast<uint32_t>(h.unpackedSize), h.fileTime};
#ifdef _WIN32
    e.directory = h.fileAttributes == 0x10;
#else
    for (char& c : e.name)
      if (c == '/') c = '\\';
    e.directory = h.fileAttributes == 040755;
#endif
    out.push_back(e);
    disk::ProcessFile(o.image, 0, nullptr, nullptr);
  }
  EXPECT_EQ(disk::CloseArchive(o.image), 0);
  return out;
}

class DiskReading : public testing::Test {
 protected:
  void SetUp() override { oxtest::WriteWholeFile(image_, SampleImage()); }
  oxtest::TempDir dir_;
  std::string image_ = dir_ / "sample.mbd";
};

}  // namespace

TEST_F(DiskReading, TreeViewEntersDirectoryZero) {
  using oxtest::HostTimeOf;
  std::vector<Listed> expected = {
      {"headerless1", true, 0, 0, HostTimeOf(kSubDate)},
      {"headerless1\\DEEP", true, 0, 0, 0},
      {"headerless1\\DEEP\\deep.3  0000 0000 0000 0000 FF 00", false, 0xFFFFFFFF, 0xFFFFFFFF, 0},
      {kSame, false, 1500, 1500, HostTimeOf(kFileDate)},
      {std::string(kSame) + "[2]", false, 3, 3, HostTimeOf(kFileDate)},
      {std::string(kSame) + "[3]", false, 0, 0, HostTimeOf(kFileDate)},
      {"headerless1", false, 10, 10, 0},
  };
  EXPECT_EQ(ListInternal(image_, 2), expected);
  // The same through the plugin as a host loads it (the Tree view is the default).
  oxtest::Listing listing = oxtest::ListArchive(oxtest::BuiltPlugin("Vorkel"), image_);
  EXPECT_EQ(listing.openResult, 0);
  EXPECT_EQ(listing.entries, expected);
  EXPECT_EQ(listing.closeResult, 0);
}

TEST_F(DiskReading, SimpleViewListsAllNumbers) {
  std::vector<Listed> listed = ListInternal(image_, 1);
  ASSERT_EQ(listed.size(), 256u + 5u);
  EXPECT_EQ(listed[0].name, " 000 ROOTDIR");
  EXPECT_EQ(listed[0].time, oxtest::HostTimeOf(kRootDate));
  EXPECT_EQ(listed[1].name, std::string(" 000 ROOTDIR\\") + kSame);
  EXPECT_EQ(listed[4].name, " 000 ROOTDIR\\headerless1");
  EXPECT_EQ(listed[5].name, "001");
  EXPECT_EQ(listed[8].name, " 004 DEEP");
  EXPECT_EQ(listed[9].name, " 004 DEEP\\deep.3  0000 0000 0000 0000 FF 00");
  EXPECT_EQ(listed[14].name, " 009 headerless1");
  EXPECT_EQ(listed.back().name, "255");
  for (const Listed& e : listed) {
    if (e.name.find('\\') == std::string::npos) {
      EXPECT_TRUE(e.directory) << e.name;
    }
  }
  EXPECT_EQ(listed[5].time, 0);
}

TEST_F(DiskReading, ReadHeaderRepeatsUntilProcessed) {
  Opened o = OpenInternal(image_, 2);
  ASSERT_NE(o.image, nullptr);
  host::HeaderRecord a = {}, b = {};
  ASSERT_EQ(disk::ReadHeader(o.image, &a), 0);
  ASSERT_EQ(disk::ReadHeader(o.image, &b), 0);
  EXPECT_STREQ(a.fileName, b.fileName);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(disk::ProcessFile(o.image, 0, nullptr, nullptr), 0);
  EXPECT_EQ(disk::ReadHeader(o.image, &a), 10);
  EXPECT_EQ(disk::ProcessFile(o.image, 0, nullptr, nullptr), 10);  // nothing past the list
  EXPECT_EQ(disk::CloseArchive(o.image), 0);
}

TEST_F(DiskReading, ExtractsBytesAndTime) {
  const oxhost::Plugin& plugin = oxtest::BuiltPlugin("Vorkel");
  std::vector<char> name(image_.begin(), image_.end());
  name.push_back(0);
  host::OpenArchiveRecord open = {};
  open.archiveName = name.data();
  void* handle = plugin.openArchive(&open);
  ASSERT_NE(handle, nullptr);
  host::HeaderRecord h;
  std::vector<std::pair<std::string, int>> results;
  int index = 0;
  while (plugin.readHeader(handle, &h) == 0) {
    std::string target = dir_ / ("out" + std::to_string(index++));
    results.emplace_back(target, plugin.processFile(handle, 2, nullptr, target.data()));
  }
  EXPECT_EQ(plugin.closeArchive(handle), 0);
  ASSERT_EQ(results.size(), 7u);
  EXPECT_EQ(results[0].second, 0);  // a directory: nothing is created
  EXPECT_FALSE(std::filesystem::exists(results[0].first));
  EXPECT_EQ(results[2].second, 12);  // the broken chain: nothing is created
  EXPECT_FALSE(std::filesystem::exists(results[2].first));
  EXPECT_EQ(oxtest::ReadWholeFile(results[3].first), Bytes(1500, 1));
  EXPECT_EQ(oxtest::ReadWholeFile(results[4].first), Bytes(3, 2));
  EXPECT_TRUE(std::filesystem::exists(results[5].first));
  EXPECT_EQ(std::filesystem::file_size(results[5].first), 0u);
  EXPECT_EQ(oxtest::ReadWholeFile(results[6].first), Bytes(10, 3));

  plat::Handle f;
  ASSERT_TRUE(plat::OpenFile(results[5].first.c_str(), plat::kAccessRead, plat::kShareRead,
                             plat::Disposition::kOpenExisting, 0, &f));
  uint64_t written, expected;
  ASSERT_TRUE(plat::GetFileLastWriteTime(f, &written));
  plat::CloseFile(f);
  ASSERT_TRUE(DosDateTimeToUtcFileTime(kFileDate, &expected));
  EXPECT_EQ(written, expected);
}

TEST_F(DiskReading, TestOperationChecksChains) {
  Opened o = OpenInternal(image_, 2);
  ASSERT_NE(o.image, nullptr);
  std::vector<int> results;
  for (int i = 0; i < 7; ++i) results.push_back(disk::ProcessFile(o.image, 1, nullptr, nullptr));
  EXPECT_EQ(results, (std::vector<int>{0, 0, 12, 0, 0, 0, 0}));
  disk::CloseArchive(o.image);
}

TEST_F(DiskReading, DestPathIsRefusedAndTheEntryConsumed) {
  Opened o = OpenInternal(image_, 2);
  ASSERT_NE(o.image, nullptr);
  for (int i = 0; i < 3; ++i) disk::ProcessFile(o.image, 0, nullptr, nullptr);
  testing::internal::CaptureStderr();
  EXPECT_EQ(disk::ProcessFile(o.image, 2, "somewhere", "x"), 24);
  std::string box = testing::internal::GetCapturedStderr();
#ifndef _WIN32
  EXPECT_EQ(box, "Vorkel error: DestPath is not null.\nPlease report this error to plugin author.\n");
#endif
  host::HeaderRecord h;
  ASSERT_EQ(disk::ReadHeader(o.image, &h), 0);
  EXPECT_NE(std::string(h.fileName).find("[2]"), std::string::npos);
  disk::CloseArchive(o.image);
}

TEST(DiskReadingOpen, FailuresGiveTheirCodes) {
  oxtest::TempDir dir;
  struct Case {
    const char* what;
    uint64_t size;
    int32_t result;
  } cases[] = {
      {"empty", 0, 15},
      {"1023 bytes", 1023, 14},
      {"64 MiB and a sector", 64u * 1024 * 1024 + 1024, 14},
      {"not formatted", 4096, 12},  // the FAT parts named by a zero boot sector are fine; the table at 0 too
  };
  for (const auto& c : cases) {
    std::string path = dir / "case.mbd";
    oxtest::WriteWholeFile(path, {});
    std::filesystem::resize_file(path, c.size);
    Opened o = OpenInternal(path, 2);
    EXPECT_EQ(o.image, nullptr) << c.what;
    if (c.size != 4096) {
      EXPECT_EQ(o.openResult, c.result) << c.what;
    }
  }
  Opened missing = OpenInternal(dir / "missing.mbd", 2);
  EXPECT_EQ(missing.openResult, 15);
}

TEST(DiskReadingOpen, PathLimit) {
  oxtest::TempDir dir;
  // Build a path of exactly 259 characters with folders short enough for every file system.
  std::string path = dir.path();
  while (path.size() < 259 - 12) {
    std::string part = std::string(std::min<size_t>(100, 259 - 12 - path.size() - 1), 'd');
    path += std::string(1, std::filesystem::path::preferred_separator) + part;
    std::filesystem::create_directory(path);
  }
  path += std::string(1, std::filesystem::path::preferred_separator);
  path += std::string(259 - path.size() - 4, 'f') + ".mbd";
  ASSERT_EQ(path.size(), 259u);
  oxtest::WriteWholeFile(path, ImageBuilder().Build());
  Opened ok = OpenInternal(path, 2);
  EXPECT_EQ(ok.openResult, 0);
  if (ok.image) disk::CloseArchive(ok.image);

  testing::internal::CaptureStderr();
  Opened tooLong = OpenInternal(path + "x", 2);
  std::string box = testing::internal::GetCapturedStderr();
  EXPECT_EQ(tooLong.openResult, 15);
#ifndef _WIN32
  EXPECT_EQ(box, "Vorkel Error: Error 291\n");
#endif
}

TEST_F(DiskReading, EveryFailedAllocationIsOutOfMemory) {
  for (int view : {1, 2}) {
    for (uint64_t n = 1;; ++n) {
      ArmAllocationFailure(n);
      Opened o = OpenInternal(image_, view);
      DisarmAllocationFailure();
      if (o.image) {
        disk::CloseArchive(o.image);
        EXPECT_GT(n, 5u);
        break;
      }
      ASSERT_EQ(o.openResult, 11) << "view " << view << ", allocation " << n;
    }
  }
}

TEST(DiskReadingSamples, RealImagesListAndTest) {
  std::string samples = oxtest::SamplesDir();
  if (samples.empty()) GTEST_SKIP() << "the sample images are not at hand";
  const oxhost::Plugin& plugin = oxtest::BuiltPlugin("Vorkel");
  for (const char* file : {"mb02plus_MB02-Boot-DMA-fix.mbd", "mb02plus_boot-dma-fix_2018-09-18.mbd"}) {
    std::string path = samples + "/mbd/" + file;
    oxtest::Listing listing = oxtest::ListArchive(plugin, path);
    ASSERT_EQ(listing.openResult, 0) << file;
    // Directory 0 is entered: its 13 files, then directory 1 with its 6.
    ASSERT_EQ(listing.entries.size(), 13u + 1u + 6u) << file;
    size_t directories = 0;
    for (const Listed& e : listing.entries) {
      directories += e.directory;
      if (!e.directory) {
        EXPECT_LT(e.unpacked, 0x10000u) << e.name;
      }
    }
    EXPECT_EQ(directories, 1u);
    // Every file's chain tests sound.
    std::vector<char> name(path.begin(), path.end());
    name.push_back(0);
    host::OpenArchiveRecord open = {};
    open.archiveName = name.data();
    void* handle = plugin.openArchive(&open);
    ASSERT_NE(handle, nullptr);
    host::HeaderRecord h;
    while (plugin.readHeader(handle, &h) == 0) EXPECT_EQ(plugin.processFile(handle, 1, nullptr, nullptr), 0) << h.fileName;
    EXPECT_EQ(plugin.closeArchive(handle), 0);
  }
}

TEST(DiskReadingOpen, PathsUpToTheHostsField) {
  // Directory names of escaped bytes (three characters each) nest to a prefix of 200
  // characters (78 + 1 + 78 + 1 + 42), under which a file name of 58 just fits: 200 + 58 + 2 = 260.
  for (bool oneMore : {false, true}) {
    oxtest::TempDir dir;
    ImageBuilder b;
    b.AddDirectory(0, 0, "ROOT");
    b.AddDirectory(1, 0, std::string(26, '\x80'));
    b.AddDirectory(2, 1, std::string(26, '\x80'));
    b.AddDirectory(3, 2, std::string(14, '\x80') + (oneMore ? "x" : ""));
    FileSpec file;
    file.type = 0x10;
    file.name = std::string(9, '\x80') + "a";
    b.AddFile(3, file);
    std::string path = dir / "deep.mbd";
    oxtest::WriteWholeFile(path, b.Build());
    testing::internal::CaptureStderr();
    Opened o = OpenInternal(path, 2);
    std::string box = testing::internal::GetCapturedStderr();
    if (oneMore) {
      EXPECT_EQ(o.openResult, 1);
#ifndef _WIN32
      EXPECT_EQ(box, "Vorkel Error: Path too long\n");
#endif
      continue;
    }
    ASSERT_EQ(o.openResult, 0);
    host::HeaderRecord h;
    std::string last;
    while (disk::ReadHeader(o.image, &h) == 0) {
      last = h.fileName;
      disk::ProcessFile(o.image, 0, nullptr, nullptr);
    }
    disk::CloseArchive(o.image);
    EXPECT_EQ(last.size(), 259u);
    EXPECT_EQ(last.substr(last.size() - 58), "#80#80#80#80#80#80#80#80#80a.10  0000 0000 0000 0000 FF 00");
  }
}
