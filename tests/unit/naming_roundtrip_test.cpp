#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "common/naming.h"

using namespace ox;

namespace {

NamingMode RandomPrefixes(std::mt19937& rng) {
  NamingMode m = DefaultNamingMode();
  // Printable characters; a prefix must not end in a digit, A-F or a space, or it would
  // join the digits or the gap in front of it. Only the LENGTH prefix may be empty
  // (the gap then stands in front of the digits).
  const std::string any = " !$%&'()+,-.0123456789;=@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]^_`abcdefghijklmnopqrstuvwxyz{}~#";
  const std::string last = "!$%&'()+,-.;=@GHIJKLMNOPQRSTUVWXYZ[]^_`abcdefghijklmnopqrstuvwxyz{}~#";
  for (int i = 0; i < 6; ++i) {
    memset(m.FieldPrefix[i], 0, sizeof m.FieldPrefix[i]);
    int length = static_cast<int>(rng() % 11);
    if (i > 0 && length == 0) length = 1;
    for (int j = 0; j < length; ++j) {
      const std::string& set = j == length - 1 ? last : any;
      m.FieldPrefix[i][j] = set[rng() % set.size()];
    }
  }
  return m;
}

ZxHeader RandomHeader(std::mt19937& rng) {
  ZxHeader h;
  h.type = static_cast<uint8_t>(rng());
  for (auto& b : h.name) {
    // Any byte but "#": a stored "#" followed by two hexadecimal digits reads back as one byte.
    do b = static_cast<uint8_t>(rng()); while (b == '#');
  }
  // Short and space-padded names are the common case.
  int used = static_cast<int>(rng() % 11);
  for (int i = used; i < 10; ++i) h.name[i] = ' ';
  h.length = static_cast<uint16_t>(rng());
  h.param1 = static_cast<uint16_t>(rng());
  h.param2 = static_cast<uint16_t>(rng());
  return h;
}

// The name field as it comes back: trailing bytes up to 32 are not written, and return as spaces.
std::string ExpectedField(const ZxHeader& h) {
  std::string s(reinterpret_cast<const char*>(h.name), 10);
  size_t n = 10;
  while (n > 0 && static_cast<uint8_t>(s[n - 1]) <= 32) --n;
  return s.substr(0, n) + std::string(10 - n, ' ');
}

}  // namespace

TEST(NamingRoundTrip, EveryFieldComesBackUnderAnySetting) {
  std::mt19937 rng(20100630);
  int checked = 0;
  for (int i = 0; i < 4000; ++i) {
    NamingMode written = RandomPrefixes(rng);
    written.ParamsInDecimal = i & 1;
    written.VariableGap = (i >> 1) & 1;
    ZxHeader h = RandomHeader(rng);
    HeaderExtras x{static_cast<uint16_t>(rng()), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng())};
    uint32_t dup = rng() % 4 == 0 ? rng() : 0;

    NameBuffer name;
    Status s = BuildFileName(h, x, written, dup, kDiskNameMessages, &name);
    ASSERT_FALSE(s.failed()) << s.message;
    ASSERT_LE(name.length, kMaxNameLength);

    // Decoding ignores the radix and gap settings: every combination reads the name.
    for (int other = 0; other < 4; ++other) {
      NamingMode reading = written;
      reading.ParamsInDecimal = other & 1;
      reading.VariableGap = (other >> 1) & 1;
      ZxHeader back{};
      HeaderExtras backX{};
      ASSERT_TRUE(ParseFileName(name.text, name.length, reading, &back, &backX)) << name.text;
      EXPECT_EQ(back.type, h.type) << name.text;
      EXPECT_EQ(std::string(reinterpret_cast<char*>(back.name), 10), ExpectedField(h)) << name.text;
      EXPECT_EQ(back.length, h.length) << name.text;
      EXPECT_EQ(back.param1, h.param1) << name.text;
      EXPECT_EQ(back.param2, h.param2) << name.text;
      EXPECT_EQ(backX.bodyAddress, x.bodyAddress) << name.text;
      EXPECT_EQ(backX.bodyFlags, x.bodyFlags) << name.text;
      EXPECT_EQ(backX.attributes, x.attributes) << name.text;
    }
    ++checked;
  }
  EXPECT_EQ(checked, 4000);
}

TEST(NamingRoundTrip, ChangedPrefixesMakeOldNamesFallBack) {
  ZxHeader h{3, {'g', 'a', 'm', 'e', ' ', ' ', ' ', ' ', ' ', ' '}, 1, 2, 3};
  NameBuffer name;
  ASSERT_FALSE(BuildFileName(h, kTapeHeaderExtras, DefaultNamingMode(), 0, kTapeNameMessages, &name).failed());
  NamingMode changed = DefaultNamingMode();
  strcpy(changed.FieldPrefix[2], "_");
  ZxHeader back{};
  EXPECT_FALSE(ParseFileName(name.text, name.length, changed, &back, nullptr));
  EXPECT_EQ(back.type, 0);
}

TEST(NamingRoundTrip, HashWithTwoDigitsReadsBackAsOneByte) {
  ZxHeader h{3, {'x', '#', '4', '1', ' ', ' ', ' ', ' ', ' ', ' '}, 1, 2, 3};
  NameBuffer name;
  ASSERT_FALSE(BuildFileName(h, kTapeHeaderExtras, DefaultNamingMode(), 0, kTapeNameMessages, &name).failed());
  EXPECT_STREQ(name.text, "x#41.3  0001 0002 0003 0000 FF 01");
  ZxHeader back{};
  EXPECT_TRUE(ParseFileName(name.text, name.length, DefaultNamingMode(), &back, nullptr));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(back.name), 10), "xA        ");
}
