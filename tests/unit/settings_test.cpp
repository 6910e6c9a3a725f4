#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/settings.h"
#include "image_builder.h"
#include "platform/profile.h"
#include "temp_dir.h"

using namespace ox;
using oxtest::TempDir;

namespace {

const auto Put = oxtest::WriteTextFile;
const auto Get = oxtest::ReadTextFile;

bool SameBytes(const NamingMode& a, const NamingMode& b) { return memcmp(&a, &b, sizeof a) == 0; }

NamingMode Custom() {
  NamingMode m = DefaultNamingMode();
  m.ParamsInDecimal = 1;
  m.VariableGap = 1;
  strcpy(m.FieldPrefix[0], "len");
  strcpy(m.FieldPrefix[5], "");
  m.FieldPrefix[5][7] = 'x';  // bytes after a terminator travel with the record
  return m;
}

}  // namespace

TEST(Settings, DefaultsStandWithoutAFile) {
  TempDir dir;
  std::string path = dir / "Oxwen.cfg";
  DiskSettings s = DefaultDiskSettings();
  LoadSettings(path.c_str(), &s);
  EXPECT_EQ(s.DirStructViewMode, kViewTree);
  EXPECT_EQ(s.NewImageFormat, 0);
  EXPECT_STREQ(s.BootConfig, "");
  EXPECT_EQ(s.Naming.ParamsInDecimal, 0);
  EXPECT_EQ(s.Naming.VariableGap, 0);
  for (const auto& prefix : s.Naming.FieldPrefix) EXPECT_STREQ(prefix, " ");
  NamingMode tape = DefaultNamingMode();
  LoadSettings(path.c_str(), &tape);
  EXPECT_TRUE(SameBytes(tape, s.Naming));
  EXPECT_FALSE(NamingModesDiffer(tape, DefaultNamingMode()));
}

TEST(Settings, NumbersOutsideTheirRangeKeepTheDefault) {
  struct Row {
    const char* text;
    int32_t view, format;
  };
  const Row rows[] = {
      {"DirStructViewMode=3\r\nNewImageFormat=10", 2, 0},
      {"DirStructViewMode=0\r\nNewImageFormat=-1", 2, 0},
      {"DirStructViewMode=abc\r\nNewImageFormat=abc", 2, 0},
      {"DirStructViewMode=-1\r\nNewImageFormat=4294967296", 2, 0},
      {"DirStructViewMode=1\r\nNewImageFormat=9", 1, 9},
      {"DirStructViewMode= 2 \r\nNewImageFormat=0x5", 2, 5},
      {"DirStructViewMode=1x\r\nNewImageFormat=", 1, 0},
  };
  TempDir dir;
  std::string path = dir / "Oxwen.cfg";
  for (const Row& r : rows) {
    Put(path, std::string("[vorkel]\r\n") + r.text + "\r\n");
    DiskSettings s = DefaultDiskSettings();
    s.NewImageFormat = 0;
    LoadSettings(path.c_str(), &s);
    EXPECT_EQ(s.DirStructViewMode, r.view) << r.text;
    EXPECT_EQ(s.NewImageFormat, r.format) << r.text;
  }
}

TEST(Settings, NamingRecordIsTakenWholeOrNotAtAll) {
  TempDir dir;
  std::string path = dir / "Oxwen.cfg";
  const char* p = path.c_str();
  NamingMode stored = Custom();

  stored.Version = 2;  // an older record format
  ASSERT_TRUE(plat::ProfileWriteStruct("vorkel", "FileNamingMode", &stored, sizeof stored, p));
  NamingMode m = DefaultNamingMode();
  LoadSettings(p, &m);
  EXPECT_TRUE(SameBytes(m, DefaultNamingMode()));

  // A record of another size, even with tag 3 in front.
  uint8_t longer[124] = {3, 1, 1, 'x'};
  ASSERT_TRUE(plat::ProfileWriteStruct("vorkel", "FileNamingMode", longer, sizeof longer, p));
  LoadSettings(p, &m);
  EXPECT_TRUE(SameBytes(m, DefaultNamingMode()));
  ASSERT_TRUE(plat::ProfileWriteStruct("vorkel", "FileNamingMode", longer, 122, p));
  LoadSettings(p, &m);
  EXPECT_TRUE(SameBytes(m, DefaultNamingMode()));

  // A damaged checksum.
  stored.Version = 3;
  ASSERT_TRUE(plat::ProfileWriteStruct("vorkel", "FileNamingMode", &stored, sizeof stored, p));
  std::string text = Get(path);
  size_t end = text.find("\r\n", text.find("FileNamingMode="));
  text[end - 1] = text[end - 1] == '0' ? '1' : '0';
  Put(path, text);
  LoadSettings(p, &m);
  EXPECT_TRUE(SameBytes(m, DefaultNamingMode()));

  ASSERT_TRUE(plat::ProfileWriteStruct("vorkel", "FileNamingMode", &stored, sizeof stored, p));
  LoadSettings(p, &m);
  EXPECT_TRUE(SameBytes(m, stored));
}

TEST(Settings, TwentyBytePrefixReadsAsNineteenCharacters) {
  TempDir dir;
  std::string path = dir / "Oxwen.cfg";
  NamingMode stored = DefaultNamingMode();
  for (auto& prefix : stored.FieldPrefix) memset(prefix, 'p', sizeof prefix);
  ASSERT_TRUE(plat::ProfileWriteStruct("vorkel", "FileNamingMode", &stored, sizeof stored, path.c_str()));
  DiskSettings s = DefaultDiskSettings();
  LoadSettings(path.c_str(), &s);
  for (const auto& prefix : s.Naming.FieldPrefix) EXPECT_STREQ(prefix, "ppppppppppppppppppp");
}

TEST(Settings, SaveWritesTheFourKeysInOrderWithTag3) {
  TempDir dir;
  std::string path = dir / "Oxwen.cfg";
  DiskSettings s = DefaultDiskSettings();
  s.Naming.Version = 0;
  SaveSettings(path.c_str(), &s);
  EXPECT_EQ(s.Naming.Version, 3);
  std::string text = Get(path);
  EXPECT_EQ(text.rfind("[vorkel]\r\nDirStructViewMode=2\r\nNewImageFormat=0\r\nFileNamingMode=030000", 0), 0u)
      << text;
  EXPECT_NE(text.find("\r\nBootConfig=00000000"), std::string::npos);

  NamingMode back{};
  ASSERT_TRUE(plat::ProfileReadStruct("vorkel", "FileNamingMode", &back, sizeof back, path.c_str()));
  EXPECT_TRUE(SameBytes(back, DefaultNamingMode()));

  // Everything comes back, the record byte for byte.
  s.DirStructViewMode = kViewSimple;
  s.NewImageFormat = 7;
  s.Naming = Custom();
  strcpy(s.BootConfig, "MB-02 boot");
  SaveSettings(path.c_str(), &s);
  DiskSettings loaded = DefaultDiskSettings();
  LoadSettings(path.c_str(), &loaded);
  EXPECT_EQ(loaded.DirStructViewMode, kViewSimple);
  EXPECT_EQ(loaded.NewImageFormat, 7);
  EXPECT_TRUE(SameBytes(loaded.Naming, s.Naming));
  EXPECT_STREQ(loaded.BootConfig, "MB-02 boot");
}

TEST(Settings, TapeSavesTheNamingModeAlone) {
  TempDir dir;
  std::string path = dir / "Oxwen.cfg";
  Put(path, "[vorkel]\r\nDirStructViewMode=1\r\nNewImageFormat=4\r\nBootConfig=zz\r\n");
  NamingMode tape = Custom();
  tape.Version = 9;
  SaveSettings(path.c_str(), &tape);
  EXPECT_EQ(tape.Version, 3);
  std::string text = Get(path);
  EXPECT_EQ(text.rfind("[vorkel]\r\nDirStructViewMode=1\r\nNewImageFormat=4\r\nBootConfig=zz\r\nFileNamingMode=0301016C656E", 0),
            0u)
      << text;
  DiskSettings disk = DefaultDiskSettings();
  LoadSettings(path.c_str(), &disk);
  EXPECT_TRUE(SameBytes(disk.Naming, tape));
}

TEST(Settings, BootConfigIsTerminatedAndADamagedOneIgnored) {
  TempDir dir;
  std::string path = dir / "Oxwen.cfg";
  char full[kBootConfigSize];
  memset(full, 'b', sizeof full);
  ASSERT_TRUE(plat::ProfileWriteStruct("vorkel", "BootConfig", full, sizeof full, path.c_str()));
  DiskSettings s = DefaultDiskSettings();
  LoadSettings(path.c_str(), &s);
  EXPECT_EQ(strlen(s.BootConfig), 99u);

  Put(path, "[vorkel]\r\nBootConfig=41424300C6\r\n");  // 4 bytes, not 100
  s = DefaultDiskSettings();
  strcpy(s.BootConfig, "kept");
  LoadSettings(path.c_str(), &s);
  EXPECT_STREQ(s.BootConfig, "kept");
}

TEST(Settings, NamingModesDifferByWhatShapesNames) {
  NamingMode a = Custom();
  NamingMode b = a;
  b.Version = 0;
  b.FieldPrefix[5][9] = 'y';  // beyond the terminator
  EXPECT_FALSE(NamingModesDiffer(a, b));
  b = a;
  b.ParamsInDecimal = 0;
  EXPECT_TRUE(NamingModesDiffer(a, b));
  b = a;
  b.VariableGap = 0;
  EXPECT_TRUE(NamingModesDiffer(a, b));
  for (int i = 0; i < 6; ++i) {
    b = a;
    strcat(b.FieldPrefix[i], "!");
    EXPECT_TRUE(NamingModesDiffer(a, b)) << i;
  }
  b = a;
  strcpy(b.FieldPrefix[0], "LEN");
  EXPECT_TRUE(NamingModesDiffer(a, b));
}

TEST(BuildConfigPath, FileBesideTheModule) {
  struct Row {
    const char* module;
    bool ok;
    const char* config;
    const char* boots;
  };
  const Row rows[] = {
      {"C:\\tc\\plugins\\Vorkel.wcx", true, "C:\\tc\\plugins\\Oxwen.cfg", "C:\\tc\\plugins\\boots\\"},
      {"Vorkel.wcx", true, "Oxwen.cfg", "boots\\"},
      {"C:\\", true, "C:\\Oxwen.cfg", "C:\\boots\\"},
#ifndef _WIN32
      {"/usr/lib/tc/Vorkel.wcx", true, "/usr/lib/tc/Oxwen.cfg", "/usr/lib/tc/boots\\"},
#endif
  };
  for (const Row& r : rows) {
    ConfigPaths paths;
    EXPECT_EQ(BuildConfigPath(r.module, &paths), r.ok) << r.module;
    EXPECT_STREQ(paths.ConfigFilePath, r.config);
    EXPECT_STREQ(paths.BootsDirPath, r.boots);
  }
  // A directory of 251 characters leaves room for "Oxwen.cfg"; one more does not.
  ConfigPaths paths;
  std::string dir = "C:" + std::string(248, 'd') + "\\";
  ASSERT_EQ(dir.size(), 251u);
  EXPECT_TRUE(BuildConfigPath((dir + "N.wcx").c_str(), &paths));
  EXPECT_EQ(strlen(paths.ConfigFilePath), 260u);
  std::string longer = "C:" + std::string(249, 'd') + "\\N.wcx";
  EXPECT_FALSE(BuildConfigPath(longer.c_str(), &paths));
  EXPECT_STREQ(paths.ConfigFilePath, "");
  EXPECT_STREQ(paths.BootsDirPath, "");
}
