// Runs against the Windows functions in the Windows build and against our own
// implementation natively: both must read and write the same text.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "image_builder.h"
#include "platform/file.h"
#include "platform/profile.h"
#include "temp_dir.h"

using namespace plat;
using oxtest::TempDir;

namespace {

const auto Put = oxtest::WriteTextFile;
const auto Get = oxtest::ReadTextFile;

std::string ReadString(const std::string& path, const char* section, const char* key, const char* def = "dflt",
                       uint32_t size = 100) {
  char buffer[100];
  uint32_t n = ProfileReadString(section, key, def, buffer, size, path.c_str());
  EXPECT_EQ(n, strlen(buffer)) << key;
  return buffer;
}

}  // namespace

TEST(Profile, WritesTheTextWindowsWrites) {
  TempDir dir;
  std::string path = dir / "t.ini";
  const char* p = path.c_str();
  ASSERT_TRUE(ProfileWriteString("vorkel", "DirStructViewMode", "2", p));
  EXPECT_EQ(Get(path), "[vorkel]\r\nDirStructViewMode=2\r\n");
  ASSERT_TRUE(ProfileWriteString("vorkel", "NewImageFormat", "0", p));
  ASSERT_TRUE(ProfileWriteString("other", "k", "v", p));
  // An existing key and section keep their spelling; the value loses its leading blanks.
  ASSERT_TRUE(ProfileWriteString("VORKEL", "dirstructviewmode", "1", p));
  ASSERT_TRUE(ProfileWriteString("vorkel", "x", "  lead trail  ", p));
  EXPECT_EQ(Get(path),
            "[vorkel]\r\nDirStructViewMode=1\r\nNewImageFormat=0\r\nx=lead trail  \r\n[other]\r\nk=v\r\n");

  // The whole file is written back in the same form: blank lines go, comments stay,
  // a new key ends its section.
  Put(path, "; comment\r\n[vorkel]\r\n  A = 1 \r\n;c\n\r\n[ z ]\r\nb=2");
  ASSERT_TRUE(ProfileWriteString("vorkel", "c", "3", p));
  EXPECT_EQ(Get(path), "; comment\r\n[vorkel]\r\nA=1\r\n;c\r\nc=3\r\n[z]\r\nb=2\r\n");

  // Writing the value a key already has changes nothing, not even a missing line end.
  Put(path, "[a]\r\nk=1");
  ASSERT_TRUE(ProfileWriteString("a", "K", "1", p));
  EXPECT_EQ(Get(path), "[a]\r\nk=1");

  // New names keep their trailing blanks; the section without a name is the lines before the first header.
  Put(path, "");
  ASSERT_TRUE(ProfileWriteString(" new ", " k ", "v", p));
  EXPECT_EQ(Get(path), "[new ]\r\nk =v\r\n");
  Put(path, "a=1\r\n[s]\r\nk\r\n");
  ASSERT_TRUE(ProfileWriteString("", "c", "3", p));
  ASSERT_TRUE(ProfileWriteString("s", "k", "4", p));  // a line without "=" gets its value
  EXPECT_EQ(Get(path), "a=1\r\nc=3\r\n[s]\r\nk=4\r\n");

  // Only the first of two equal keys or sections is used and changed.
  Put(path, "[vorkel]\nA=1\nA=2\n[vorkel]\nB=5\n");
  EXPECT_EQ(ReadString(path, "vorkel", "A"), "1");
  EXPECT_EQ(ReadString(path, "vorkel", "B"), "dflt");
  ASSERT_TRUE(ProfileWriteString("vorkel", "A", "9", p));
  EXPECT_EQ(Get(path), "[vorkel]\r\nA=9\r\nA=2\r\n[vorkel]\r\nB=5\r\n");
}

TEST(Profile, ReadsLinesAndNamesAsWindowsDoes) {
  TempDir dir;
  std::string path = dir / "t.ini";
  Put(path,
      "pre=1\r\n[ s2 ]\r\n  k  =  v  \r\n[abc\r\nz=1\r\n[s3]x\r\nq=3\r\nnovalue\r\nempty = \r\n"
      "quoted=\"  q  \"\r\nsingle='6'\r\n[s4]\r\nk=1\nk2=2\rk3=3\r\n\x1A");
  EXPECT_EQ(ReadString(path, "", "pre"), "1");
  EXPECT_EQ(ReadString(path, " S2 ", " K "), "v");
  EXPECT_EQ(ReadString(path, "s2", "z"), "1");  // "[abc" is no section header
  EXPECT_EQ(ReadString(path, "s3", "q"), "3");
  EXPECT_EQ(ReadString(path, "s3", "novalue"), "dflt");
  EXPECT_EQ(ReadString(path, "s3", "empty"), "");
  EXPECT_EQ(ReadString(path, "s3", "quoted"), "  q  ");
  EXPECT_EQ(ReadString(path, "s3", "single"), "6");
  EXPECT_EQ(ReadString(path, "s4", "k2"), "2");
  EXPECT_EQ(ReadString(path, "s4", "k3"), "3");
  EXPECT_EQ(ReadString(path, "s4", "missing", "d  "), "d");
  EXPECT_EQ(ReadString(path, "s4", "missing", "abcdef", 4), "abc");
  EXPECT_EQ(ReadString(path, "s2", "k", "d", 1), "");
  EXPECT_EQ(ReadString(dir / "missing.ini", "s2", "k"), "dflt");

  Put(path, "\xEF\xBB\xBF[a]\r\nk=1\r\n");
  EXPECT_EQ(ProfileReadInt("a", "k", 99, path.c_str()), 1);
  ASSERT_TRUE(ProfileWriteString("a", "n", "2", path.c_str()));
  EXPECT_EQ(Get(path), "\xEF\xBB\xBF[a]\r\nk=1\r\nn=2\r\n");
}

TEST(Profile, IntegersParseAsWindowsDoes) {
  struct Row {
    const char* value;
    int32_t expected;
  };
  const Row rows[] = {
      {"abc", 0}, {"-1", -1}, {" 7", 7}, {"3x", 3}, {"0x10", 16}, {"", 99}, {"4294967297", 1},
      {"\"5\"", 5}, {"\"\"", 99}, {"+4", 4}, {"0X10", 0}, {"0b101", 5}, {"0o17", 15}, {"  -0x1f ", -31},
      {"2147483648", INT_MIN}, {"-2147483649", INT_MAX}, {"9 9", 9}, {"- 5", 0}, {"0x", 0}, {"0x1G", 1},
      // Only the first 29 characters are looked at.
      {"000000000000000000000000000000000012", 0}, {"00000000000000000000000000012", 12},
  };
  TempDir dir;
  std::string path = dir / "t.ini";
  for (const Row& r : rows) {
    Put(path, std::string("[s]\r\nk=") + r.value + "\r\n");
    EXPECT_EQ(ProfileReadInt("s", "k", 99, path.c_str()), r.expected) << r.value;
  }
  EXPECT_EQ(ProfileReadInt("s", "missing", -1, path.c_str()), -1);
  EXPECT_EQ(ProfileReadInt("s", "k", -1, (dir / "missing.ini").c_str()), -1);
}

TEST(Profile, StructuresCarryTheirSizeAndChecksum) {
  TempDir dir;
  std::string path = dir / "t.ini";
  const uint8_t bytes[4] = {3, 0, 1, 0x20};
  ASSERT_TRUE(ProfileWriteStruct("s", "st", bytes, 4, path.c_str()));
  EXPECT_EQ(Get(path), "[s]\r\nst=0300012024\r\n");
  uint8_t back[8] = {};
  ASSERT_TRUE(ProfileReadStruct("s", "st", back, 4, path.c_str()));
  EXPECT_EQ(memcmp(back, bytes, 4), 0);
  EXPECT_FALSE(ProfileReadStruct("s", "st", back, 3, path.c_str()));
  EXPECT_FALSE(ProfileReadStruct("s", "st", back, 5, path.c_str()));
  EXPECT_FALSE(ProfileReadStruct("s", "missing", back, 4, path.c_str()));

  struct Row {
    const char* value;
    bool readable;
  };
  const Row rows[] = {
      {"0300012024", true},  {"  0300012024  ", true}, {"0300ab20ce", true},  // lower case is read
      {"0300012025", false},  // checksum
      {"0300012g24", false}, {"030001202", false}, {"\"0300012024\"", false}, {"", false},
  };
  for (const Row& r : rows) {
    Put(path, std::string("[s]\r\nst=") + r.value + "\r\n");
    EXPECT_EQ(ProfileReadStruct("s", "st", back, 4, path.c_str()), r.readable) << r.value;
  }

  // The sum is kept modulo 256.
  uint8_t big[3] = {0xFF, 0xFF, 0x03};
  ASSERT_TRUE(ProfileWriteStruct("s", "big", big, 3, path.c_str()));
  EXPECT_EQ(ReadString(path, "s", "big"), "FFFF0301");
}

TEST(Profile, AFileHeldWithoutSharingIsNeitherReadNorWritten) {
  TempDir dir;
  std::string path = dir / "t.ini";
  Put(path, "[a]\r\nk=1\r\n");
  Handle held;
  ASSERT_TRUE(OpenFile(path.c_str(), kAccessRead, kShareNone, Disposition::kOpenExisting, 0, &held));
  EXPECT_EQ(ProfileReadInt("a", "k", 99, path.c_str()), 99);
  EXPECT_FALSE(ProfileWriteString("a", "k", "5", path.c_str()));
  CloseFile(held);
  EXPECT_EQ(Get(path), "[a]\r\nk=1\r\n");
  EXPECT_FALSE(ProfileWriteString("a", "k", "5", (dir / "no-such-dir" + "\\t.ini").c_str()));
}
