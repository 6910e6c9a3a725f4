#include <gtest/gtest.h>

#include <cstring>

#include "common/dos_time.h"
#include "image_builder.h"
#include "platform/file.h"
#include "platform/module.h"
#include "platform/time.h"
#include "temp_dir.h"

using namespace plat;
using oxtest::TempDir;

namespace {

struct OpenCase {
  uint32_t firstAccess, firstShare, secondAccess, secondShare;
  bool secondOpens;
};

}  // namespace

TEST(PlatformFile, ShareModesAsOnWindows) {
  const OpenCase cases[] = {
      {kAccessRead, kShareRead, kAccessRead, kShareRead, true},
      {kAccessRead, kShareRead, kAccessRead | kAccessWrite, kShareRead, false},
      {kAccessRead | kAccessWrite, kShareNone, kAccessRead, kShareRead | kShareWrite, false},
      {kAccessRead, kShareRead | kShareWrite, kAccessRead | kAccessWrite, kShareRead | kShareWrite, true},
      {kAccessRead, kShareRead, kAccessRead, kShareNone, false},  // the second refuses what the first has
      {kAccessRead | kAccessWrite, kShareRead, kAccessRead, kShareRead, false},
      {kAccessRead | kAccessWrite, kShareRead, kAccessRead, kShareRead | kShareWrite, true},
  };
  TempDir dir;
  std::string path = dir / "shared.bin";
  oxtest::WriteWholeFile(path, {1, 2, 3});
  for (const auto& c : cases) {
    Handle a, b;
    ASSERT_TRUE(OpenFile(path.c_str(), c.firstAccess, c.firstShare, Disposition::kOpenExisting, 0, &a));
    bool opened = OpenFile(path.c_str(), c.secondAccess, c.secondShare, Disposition::kOpenExisting, 0, &b);
    EXPECT_EQ(opened, c.secondOpens) << c.firstAccess << "/" << c.firstShare << " then " << c.secondAccess << "/"
                                     << c.secondShare;
    if (opened) {
      CloseFile(b);
    } else {
      EXPECT_EQ(LastError(), kErrSharingViolation);
    }
    CloseFile(a);
  }
  // Once closed, the file opens without sharing again, and a refused create-always truncates nothing.
  Handle a, b;
  ASSERT_TRUE(OpenFile(path.c_str(), kAccessRead | kAccessWrite, kShareNone, Disposition::kOpenExisting, 0, &a));
  EXPECT_FALSE(OpenFile(path.c_str(), kAccessWrite, kShareNone, Disposition::kCreateAlways, 0, &b));
  CloseFile(a);
  EXPECT_EQ(oxtest::ReadWholeFile(path).size(), 3u);
}

TEST(PlatformFile, MissingFileAndFolderErrors) {
  TempDir dir;
  Handle h;
  EXPECT_FALSE(OpenFile((dir / "none.bin").c_str(), kAccessRead, kShareRead, Disposition::kOpenExisting, 0, &h));
  EXPECT_EQ(LastError(), kErrFileNotFound);
  EXPECT_FALSE(OpenFile((dir / "no-dir/none.bin").c_str(), kAccessRead, kShareRead, Disposition::kOpenExisting, 0, &h));
  EXPECT_EQ(LastError(), kErrPathNotFound);
}

TEST(PlatformFile, MappingRulesAsOnWindows) {
  TempDir dir;
  std::string empty = dir / "empty.bin", full = dir / "full.bin";
  oxtest::WriteWholeFile(empty, {});
  oxtest::WriteWholeFile(full, {9, 8, 7, 6});
  Handle f, m;
  ASSERT_TRUE(OpenFile(empty.c_str(), kAccessRead, kShareRead, Disposition::kOpenExisting, 0, &f));
  EXPECT_FALSE(CreateMapping(f, false, &m));  // an empty file cannot be mapped
  CloseFile(f);

  ASSERT_TRUE(OpenFile(full.c_str(), kAccessRead | kAccessWrite, kShareNone, Disposition::kOpenExisting, 0, &f));
  ASSERT_TRUE(CreateMapping(f, true, &m));
  uint8_t* view;
  ASSERT_TRUE(MapView(m, true, &view));
  EXPECT_EQ(view[2], 7);
  view[0] = 42;
  ASSERT_TRUE(SeekFile(f, 2, Origin::kBegin, nullptr));
  EXPECT_FALSE(TruncateFile(f));  // refused while the mapping is open, even when unmapped
  ASSERT_TRUE(UnmapView(m, view));
  EXPECT_FALSE(TruncateFile(f));
  ASSERT_TRUE(CloseMapping(m));
  EXPECT_TRUE(TruncateFile(f));
  CloseFile(f);
  EXPECT_EQ(oxtest::ReadWholeFile(full), (std::vector<uint8_t>{42, 8}));
}

TEST(PlatformTime, DosDateTimeConversions) {
  SystemTime st = {2010, 6, 0, 30, 13, 45, 31, 0};
  uint64_t ft;
  ASSERT_TRUE(SystemTimeToFileTime(st, &ft));
  uint16_t date, time;
  ASSERT_TRUE(FileTimeToDosDateTime(ft, &date, &time));
  EXPECT_EQ(date, ((2010 - 1980) << 9) | (6 << 5) | 30);
  EXPECT_EQ(time, (13 << 11) | (45 << 5) | 15);  // odd seconds truncate
  uint64_t back;
  ASSERT_TRUE(DosDateTimeToFileTime(date, time, &back));
  EXPECT_EQ(ft - back, 10000000u);

  SystemTime old = {1979, 12, 0, 31, 23, 59, 59, 0};
  ASSERT_TRUE(SystemTimeToFileTime(old, &ft));
  EXPECT_FALSE(FileTimeToDosDateTime(ft, &date, &time));
  SystemTime bad = {2010, 2, 0, 30, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToFileTime(bad, &ft));
  EXPECT_FALSE(DosDateTimeToFileTime(0, 0, &ft));  // month 0, day 0

  SystemTime round;
  ASSERT_TRUE(SystemTimeToFileTime(st, &ft));
  ASSERT_TRUE(FileTimeToSystemTime(ft, &round));
  EXPECT_EQ(round.year, 2010);
  EXPECT_EQ(round.day, 30);
  EXPECT_EQ(round.dayOfWeek, 3);  // a Wednesday
  EXPECT_EQ(round.second, 31);
}

TEST(PlatformTime, CurrentDosDateTimeIsToday) {
  SystemTime now;
  GetLocalTime(&now);
  uint32_t dos = ox::CurrentDosDateTime();
  ASSERT_NE(dos, 0u);
  EXPECT_EQ((dos >> 25) + 1980, now.year);
  EXPECT_EQ((dos >> 21) & 15, now.month);
}

TEST(PlatformFile, LastWriteTimeRoundTrips) {
  TempDir dir;
  std::string path = dir / "t.bin";
  Handle f;
  ASSERT_TRUE(OpenFile(path.c_str(), kAccessWrite, kShareNone, Disposition::kCreateAlways, kHintSequential, &f));
  uint64_t ft;
  ASSERT_TRUE(ox::DosDateTimeToUtcFileTime((((2010 - 1980) << 9 | 6 << 5 | 30u) << 16) | (12 << 11), &ft));
  ASSERT_TRUE(SetFileLastWriteTime(f, ft));
  uint64_t got;
  ASSERT_TRUE(GetFileLastWriteTime(f, &got));
  EXPECT_EQ(got, ft);
  CloseFile(f);
}

TEST(PlatformFile, FindsFilesByWildcard) {
  TempDir dir;
  oxtest::WriteWholeFile(dir / "a.txt", {1});
  oxtest::WriteWholeFile(dir / "B.TXT", {1, 2});
  oxtest::WriteWholeFile(dir / "c.bin", {});
  ASSERT_TRUE(MakeDir((dir / "sub").c_str()));
  auto find = [&](const std::string& pattern) {
    std::vector<std::string> names;
    FindData d;
    Handle h;
    if (!FindFirst((dir / pattern).c_str(), &d, &h)) return names;
    do {
      names.push_back(d.name + std::string((d.attributes & kAttrDirectory) ? "/" : ""));
    } while (FindNext(h, &d));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
  };
  EXPECT_EQ(find("*.txt"), (std::vector<std::string>{"B.TXT", "a.txt"}));
  EXPECT_EQ(find("*.*"), (std::vector<std::string>{"../", "./", "B.TXT", "a.txt", "c.bin", "sub/"}));
  EXPECT_TRUE(find("*.zip").empty());
}

TEST(PlatformModule, OwnPathIsAbsoluteAndCutsLikeWindows) {
  char path[261];
  uint32_t n = GetModulePath(nullptr, path, sizeof path);
  ASSERT_GT(n, 0u);
  ASSERT_LT(n, sizeof path);
  EXPECT_NE(strstr(path, "unit_tests"), nullptr) << path;
  char small[5];
  EXPECT_EQ(GetModulePath(nullptr, small, sizeof small), 5u);  // cut: callers must not trust a terminator
}
