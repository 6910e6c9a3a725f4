#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/naming.h"

using namespace ox;

namespace {

constexpr HeaderExtras kDiskExtras{0, 255, 0};

ZxHeader MakeHeader(uint8_t type, const std::string& name, uint16_t length, uint16_t param1, uint16_t param2) {
  ZxHeader h{};
  h.type = type;
  memset(h.name, ' ', sizeof h.name);
  memcpy(h.name, name.data(), name.size() < sizeof h.name ? name.size() : sizeof h.name);
  h.length = length;
  h.param1 = param1;
  h.param2 = param2;
  return h;
}

NamingMode Mode(bool decimal, bool gap, const char* const* prefixes = nullptr) {
  NamingMode m = DefaultNamingMode();
  m.ParamsInDecimal = decimal;
  m.VariableGap = gap;
  if (prefixes) {
    for (int i = 0; i < 6; ++i) {
      memset(m.FieldPrefix[i], 0, sizeof m.FieldPrefix[i]);
      strncpy(m.FieldPrefix[i], prefixes[i], 19);
    }
  }
  return m;
}

std::string Build(const ZxHeader& h, const HeaderExtras& x, const NamingMode& m, uint32_t dup = 0,
                  const NameLimitMessages& msg = kDiskNameMessages) {
  NameBuffer out;
  Status s = BuildFileName(h, x, m, dup, msg, &out);
  EXPECT_FALSE(s.failed()) << (s.message ? s.message : "");
  EXPECT_EQ(strlen(out.text), out.length);
  return out.text;
}

std::string DirName(const std::string& name, bool simple, uint32_t number = 0) {
  uint8_t field[kDirNameLength];
  memset(field, ' ', sizeof field);
  memcpy(field, name.data(), name.size());
  NameBuffer out;
  if (simple) BuildSimpleDirName(number, field, &out);
  else BuildTreeDirName(field, &out);
  return out.text;
}

const char* const kLetterPrefixes[6] = {" l", " p", " q", " a", " f", " t"};
const char* const kEmptyPrefixes[6] = {"", "", "", "", "", ""};

}  // namespace

TEST(BuildFileName, WorkedExamples) {
  struct Row {
    ZxHeader header;
    HeaderExtras extras;
    NamingMode mode;
    uint32_t dup;
    const char* expected;
  };
  ZxHeader hello = MakeHeader(0, "hello", 6699, 10, 6699);
  ZxHeader screen = MakeHeader(3, "screen", 6912, 16384, 32768);
  const Row rows[] = {
      {hello, kDiskExtras, Mode(false, false), 0, "hello.0  1A2B 000A 1A2B 0000 FF 00"},
      {hello, kDiskExtras, Mode(true, false), 0, "hello.0  06699 00010 06699 00000 255 000"},
      {hello, kDiskExtras, Mode(false, true), 0, "hello.0         1A2B 000A 1A2B 0000 FF 00"},
      {hello, kDiskExtras, Mode(false, false), 1, "hello.0  1A2B 000A 1A2B 0000 FF 00[2]"},
      {hello, kDiskExtras, Mode(false, false), 9, "hello.0  1A2B 000A 1A2B 0000 FF 00[10]"},
      {screen, kTapeHeaderExtras, Mode(false, false), 0, "screen.3  1B00 4000 8000 0000 FF 01"},
      {screen, kTapeHeaderExtras, Mode(true, false), 0, "screen.3  06912 16384 32768 00000 255 001"},
      {MakeHeader(3, "a/b?c", 1, 2, 3), kTapeHeaderExtras, Mode(false, false), 0,
       "a#2Fb#3Fc.3  0001 0002 0003 0000 FF 01"},
      {MakeHeader(3, "\x7Fx\x80\xFF", 1, 2, 3), kTapeHeaderExtras, Mode(false, false), 0,
       "#7Fx#80#FF.3  0001 0002 0003 0000 FF 01"},
      {MakeHeader(0, "hello", 6699, 10, 6699), kTapeHeaderExtras, Mode(false, false, kLetterPrefixes), 0,
       "hello.0  l1A2B p000A q1A2B a0000 fFF t01"},
      {MakeHeader(0, "hello", 6699, 10, 6699), kTapeHeaderExtras, Mode(false, false, kEmptyPrefixes), 0,
       "hello.0 1A2B000A1A2B0000FF01"},
      {MakeHeader(3, "", 1, 2, 3), kTapeHeaderExtras, Mode(false, false), 0, ".3  0001 0002 0003 0000 FF 01"},
      {MakeHeader(31, "abcdefghij", 1, 2, 3), kTapeHeaderExtras, Mode(false, true), 0,
       "abcdefghij.1F    0001 0002 0003 0000 FF 01"},
      {MakeHeader(200, "hello", 1, 2, 3), kTapeHeaderExtras, Mode(true, false), 0,
       "hello.200  00001 00002 00003 00000 255 001"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Build(r.header, r.extras, r.mode, r.dup), r.expected);
  }
}

TEST(BuildDirName, WorkedExamples) {
  EXPECT_EQ(DirName("my dir...", false), "my dir#2E#2E#2E");
  EXPECT_EQ(DirName("my dir...", true, 5), " 005 my dir#2E#2E#2E");
  EXPECT_EQ(DirName("PRN", false), "#50#52#4E");
  EXPECT_EQ(DirName("con.", false), "con#2E");
  // Only prn and con, whatever their case; other device names and longer names stay.
  EXPECT_EQ(DirName("Con", false), "#43#6F#6E");
  EXPECT_EQ(DirName("aux", false), "aux");
  EXPECT_EQ(DirName("prnx", false), "prnx");
  EXPECT_EQ(DirName("...", false), "#2E#2E#2E");
  EXPECT_EQ(DirName(std::string("a.b\0", 4), false), "a.b");  // trailing zero bytes drop like spaces

  NameBuffer out;
  BuildSimpleDirName(12, nullptr, &out);
  EXPECT_STREQ(out.text, "012");
  BuildHeaderlessName(17, &out);
  EXPECT_STREQ(out.text, "headerless17");
}

TEST(BuildFileName, NameFieldEdgeCases) {
  struct Row {
    std::string name;
    uint8_t type;
    bool decimal;
    const char* expected;
  };
  const Row rows[] = {
      {std::string("a\0b\0\0", 5), 3, false, "a#00b.3  0001 0002 0003 0000 FF 01"},  // trailing zeros drop
      {"  lead", 3, false, "  lead.3  0001 0002 0003 0000 FF 01"},
      {"a.b.", 3, false, "a.b..3  0001 0002 0003 0000 FF 01"},  // dots of files stay
      {"x#41", 3, false, "x#41.3  0001 0002 0003 0000 FF 01"},  // "#" is not escaped
      {"prn", 3, false, "prn.3  0001 0002 0003 0000 FF 01"},
      {"t", 15, false, "t.F  0001 0002 0003 0000 FF 01"},
      {"t", 16, false, "t.10  0001 0002 0003 0000 FF 01"},
      {"t", 255, false, "t.FF  0001 0002 0003 0000 FF 01"},
      {"t", 255, true, "t.255  00001 00002 00003 00000 255 001"},
      {"t", 0, true, "t.0  00001 00002 00003 00000 255 001"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Build(MakeHeader(r.type, r.name, 1, 2, 3), kTapeHeaderExtras, Mode(r.decimal, false)), r.expected);
  }
}

TEST(BuildFileName, VariableGapPadsShortNamesOnly) {
  // Names of 12 characters or less put the first prefix in one column; longer ones get one space.
  struct Row {
    const char* name;
    const char* expected;
  };
  const Row rows[] = {
      {"a", "a.3             0001 0002 0003 0000 FF 01"},
      {"\x01\x02\x03x", "#01#02#03x.3    0001 0002 0003 0000 FF 01"},
      {"\x01\x02\x03xy", "#01#02#03xy.3   0001 0002 0003 0000 FF 01"},
      {"\x01\x02\x03xyz", "#01#02#03xyz.3  0001 0002 0003 0000 FF 01"},
      {"\x01\x02\x03\x04y", "#01#02#03#04y.3  0001 0002 0003 0000 FF 01"},
      {"\x01\x02\x03\x04\x05\x06\x07\x08\x09z", "#01#02#03#04#05#06#07#08#09z.3  0001 0002 0003 0000 FF 01"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Build(MakeHeader(3, r.name, 1, 2, 3), kTapeHeaderExtras, Mode(false, true)), r.expected);
  }
}

TEST(BuildFileName, EscapesEveryForbiddenByte) {
  for (int b = 0; b < 256; ++b) {
    char one[2] = {static_cast<char>(b), 'z'};  // 'z' keeps low bytes from being trimmed
    NameBuffer out;
    uint8_t field[10];
    memset(field, ' ', sizeof field);
    memcpy(field, one, 2);
    EscapeName(field, 10, false, &out);
    bool forbidden = b < 32 || b >= 127 || strchr("\"<>|\\/?*:", b) != nullptr;
    if (forbidden) {
      char expected[8];
      snprintf(expected, sizeof expected, "#%02Xz", b);
      EXPECT_STREQ(out.text, expected) << b;
    } else {
      EXPECT_EQ(out.length, 2u) << b;
      EXPECT_EQ(out.text[0], static_cast<char>(b));
    }
  }
}

TEST(AppendDuplicateSuffix, LengthLimitsAndPluginTexts) {
  auto named = [](size_t n) {
    NameBuffer b;
    for (size_t i = 0; i < n; ++i) b.Append('a');
    return b;
  };
  NameBuffer b = named(135);
  EXPECT_FALSE(AppendDuplicateSuffix(&b, 1, kDiskNameMessages).failed());
  EXPECT_EQ(b.length, 138u);

  b = named(136);
  Status s = AppendDuplicateSuffix(&b, 1, kDiskNameMessages);
  EXPECT_TRUE(s.failed());
  EXPECT_STREQ(s.message, "ERROR 022");
  EXPECT_TRUE(s.show);
  b = named(136);
  EXPECT_STREQ(AppendDuplicateSuffix(&b, 1, kTapeNameMessages).message, "022");

  b = named(147);
  EXPECT_FALSE(AppendDuplicateSuffix(&b, 0, kDiskNameMessages).failed());
  b = named(148);
  s = AppendDuplicateSuffix(&b, 0, kTapeNameMessages);
  EXPECT_STREQ(s.message, "ERROR 021");
  EXPECT_TRUE(s.show);

  // The largest index still fits in the twelve characters reserved for it.
  b = named(135);
  EXPECT_FALSE(AppendDuplicateSuffix(&b, 0xFFFFFFFFu, kDiskNameMessages).failed());
  EXPECT_STREQ(b.text + 135, "[4294967296]");
}

TEST(BuildFileName, LongPrefixesReachTheLimit) {
  const char* p19 = "abcdefghijklmnopqrs";
  const char* const longPrefixes[6] = {p19, p19, p19, p19, p19, p19};
  NamingMode m = Mode(false, false, longPrefixes);
  ZxHeader h = MakeHeader(3, "abc", 1, 2, 3);
  NameBuffer out;
  ASSERT_FALSE(BuildFileName(h, kTapeHeaderExtras, m, 0, kDiskNameMessages, &out).failed());
  EXPECT_EQ(out.length, 140u);
  EXPECT_STREQ(BuildFileName(h, kTapeHeaderExtras, m, 1, kDiskNameMessages, &out).message, "ERROR 022");
  EXPECT_STREQ(BuildFileName(h, kTapeHeaderExtras, m, 1, kTapeNameMessages, &out).message, "022");
  // In decimal with a three-digit type the same name is 148 characters, too long even without a suffix.
  m.ParamsInDecimal = 1;
  h.type = 200;
  EXPECT_STREQ(BuildFileName(h, kTapeHeaderExtras, m, 0, kDiskNameMessages, &out).message, "ERROR 021");
  // The longest possible name stays inside the buffer and is refused.
  ZxHeader wide = MakeHeader(255, "\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01", 1, 2, 3);
  Status s = BuildFileName(wide, kTapeHeaderExtras, m, 0xFFFFFFFFu, kDiskNameMessages, &out);
  EXPECT_STREQ(s.message, "ERROR 022");
  EXPECT_LT(out.length, kNameBufferSize);
}
