#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/naming.h"

using namespace ox;

namespace {

// What the caller filled in before decoding, so a fallback shows that nothing else changed.
constexpr ZxHeader kCallerHeader{0x77, {'?', '?', '?', '?', '?', '?', '?', '?', '?', '?'}, 0x1111, 0x2222, 0x3333};
constexpr HeaderExtras kCallerExtras{0x4444, 0x55, 0x66};

struct Decoded {
  bool ok;
  ZxHeader header;
  HeaderExtras extras;
};

Decoded Decode(const std::string& name, const NamingMode& mode = DefaultNamingMode()) {
  Decoded d{false, kCallerHeader, kCallerExtras};
  d.ok = ParseFileName(name.data(), name.size(), mode, &d.header, &d.extras);
  return d;
}

std::string NameOf(const ZxHeader& h) { return std::string(reinterpret_cast<const char*>(h.name), 10); }

NamingMode WithPrefixes(const char* const* prefixes) {
  NamingMode m = DefaultNamingMode();
  for (int i = 0; i < 6; ++i) {
    memset(m.FieldPrefix[i], 0, sizeof m.FieldPrefix[i]);
    strncpy(m.FieldPrefix[i], prefixes[i], 19);
  }
  return m;
}

const char* const kLetterPrefixes[6] = {" l", " p", " q", " a", " f", " t"};
const char* const kEmptyPrefixes[6] = {"", "", "", "", "", ""};

}  // namespace

TEST(ParseFileName, WorkedExamples) {
  struct Row {
    const char* name;
    const char* const* prefixes;  // null: the built-in ones
    bool decodes;
    uint8_t type;
    uint16_t values[6];
    std::string field;
  };
  const Row rows[] = {
      {"hello.0  1A2B 000A 1A2B 0000 FF 00[2]", nullptr, true, 0, {6699, 10, 6699, 0, 255, 0}, "hello     "},
      {"hello.000  06699 00010 06699 00000 255 000", nullptr, true, 0, {6699, 10, 6699, 0, 255, 0}, "hello     "},
      {"hello.0         1A2B 000A 1A2B 0000 FF 00", nullptr, true, 0, {6699, 10, 6699, 0, 255, 0}, "hello     "},
      {"hello.0  l1A2B p000A q1A2B a0000 fFF t01", kLetterPrefixes, true, 0, {6699, 10, 6699, 0, 255, 1},
       "hello     "},
      {"hello.0  l1A2B p000A q1A2B a0000 fFF t01", nullptr, false, 0, {}, "hello.0  l"},
      {"a#2Fb#3Fc.3  0001 0002 0003 0000 FF 01", nullptr, true, 3, {1, 2, 3, 0, 255, 1}, "a/b?c     "},
      {"#7Fx#80#FF.3  0001 0002 0003 0000 FF 01", nullptr, true, 3, {1, 2, 3, 0, 255, 1},
       "\x7Fx\x80\xFF      "},
      {"a#2fb.0  0001 0002 0003 0000 FF 01", nullptr, true, 0, {1, 2, 3, 0, 255, 1}, "a#2fb     "},
      {".3  0001 0002 0003 0000 FF 01", nullptr, true, 3, {1, 2, 3, 0, 255, 1}, "          "},
      {"toolongname12.3  0001 0002 0003 0000 FF 01", nullptr, true, 3, {1, 2, 3, 0, 255, 1}, "toolongnam"},
      {"hello.FF  1A2B 000A 1A2B 0000 FF 00", nullptr, true, 255, {6699, 10, 6699, 0, 255, 0}, "hello     "},
      {"readme.txt", nullptr, false, 0, {}, "readme.txt"},
      {"hello[2]", nullptr, false, 0, {}, "hello     "},
      {"[2]", nullptr, false, 0, {}, "          "},
      {"hello.100  1A2B 000A 1A2B 0000 FF 00", nullptr, false, 0, {}, "hello.100 "},
      {"hello.0FF  1A2B 000A 1A2B 0000 FF 00", nullptr, false, 0, {}, "hello.0FF "},
      {"hello.0 1A2B 000A 1A2B 0000 FF 00", nullptr, false, 0, {}, "hello.0 1A"},
      {"hello.0  1a2b 000A 1A2B 0000 FF 00", nullptr, false, 0, {}, "hello.0  1"},
      {"hello.0  70000 00010 06699 00000 255 000", nullptr, false, 0, {}, "hello.0  7"},
      {"hello.0  1A2B 000A 1A2B 0000 FF 00 [2]", nullptr, false, 0, {}, "hello.0  1"},
      {"hello.0 1A2B000A1A2B0000FF01", kEmptyPrefixes, false, 0, {}, "hello.0 1A"},
      {"#41#42", nullptr, false, 0, {}, "AB        "},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Decoded d = Decode(r.name, r.prefixes ? WithPrefixes(r.prefixes) : DefaultNamingMode());
    EXPECT_EQ(d.ok, r.decodes);
    EXPECT_EQ(NameOf(d.header), r.field);
    ZxHeader h = r.decodes ? ZxHeader{r.type, {}, r.values[0], r.values[1], r.values[2]} : kCallerHeader;
    HeaderExtras x = r.decodes ? HeaderExtras{r.values[3], static_cast<uint8_t>(r.values[4]),
                                              static_cast<uint8_t>(r.values[5])}
                               : kCallerExtras;
    EXPECT_EQ(d.header.type, h.type);
    EXPECT_EQ(d.header.length, h.length);
    EXPECT_EQ(d.header.param1, h.param1);
    EXPECT_EQ(d.header.param2, h.param2);
    EXPECT_EQ(d.extras.bodyAddress, x.bodyAddress);
    EXPECT_EQ(d.extras.bodyFlags, x.bodyFlags);
    EXPECT_EQ(d.extras.attributes, x.attributes);
  }
}

TEST(ParseFileName, ShapesThatFallBack) {
  const char* const names[] = {
      "hello.0  1A2B 000A 1A2B 0000 FF 0",       // odd count in a hexadecimal name
      "hello.0  06699 00010 06699 00000 2A5 000",  // a letter in a decimal name
      "hello.1A  06699 00010 06699 00000 255 000", // a letter in a decimal type
      "hello.256  06699 00010 06699 00000 255 000",  // type not below 256
      "hello.0000  06699 00010 06699 00000 255 000",  // four type digits
      "hello.0  01A2B 000A 1A2B 0000 FF 00",     // odd LENGTH in a hexadecimal name
      "hello.0  1A2B 000A 1A2B 0000 0FF 00",     // three digits in a hexadecimal name
      "hello.0  06699 00010 06699 00000 256 000",  // body flags not below 256
      "hello.0  06699 00010 06699 00000 0255 000",  // even count in a decimal name
      "hello 0  1A2B 000A 1A2B 0000 FF 00",      // no dot before the type
      "0  1A2B 000A 1A2B 0000 FF 00",            // nothing before the type
      "hello.  1A2B 000A 1A2B 0000 FF 00",       // no type
      "  1A2B 000A 1A2B 0000 FF 00",             // no type, no dot
      "1A2B 000A 1A2B 0000 FF 00",               // values only
      "",
      "]",
      "x[]",
  };
  for (const char* name : names) {
    Decoded d = Decode(name);
    EXPECT_FALSE(d.ok) << name;
    EXPECT_EQ(d.header.type, kCallerHeader.type) << name;
    EXPECT_EQ(d.extras.attributes, kCallerExtras.attributes) << name;
  }
  // The suffix may have leading zeros and any number of digits; only the last one goes.
  EXPECT_TRUE(Decode("hello.0  1A2B 000A 1A2B 0000 FF 00[0012345678901]").ok);
  EXPECT_EQ(NameOf(Decode("ab[2][3]").header), "ab[2]     ");
  EXPECT_EQ(NameOf(Decode("ab[x]").header), "ab[x]     ");
}

TEST(ParseFileName, PrefixesMustStandExactly) {
  // A prefix ending in a digit or A-F joins the digit run in front of it.
  const char* const digitPrefixes[6] = {" ", " ", " ", " ", " ", " 9"};
  EXPECT_FALSE(Decode("x.3  0001 0002 0003 0000 FF 901", WithPrefixes(digitPrefixes)).ok);
  const char* const letterPrefixes[6] = {" ", " ", " ", " ", " ", " B"};
  EXPECT_FALSE(Decode("x.3  0001 0002 0003 0000 FF B01", WithPrefixes(letterPrefixes)).ok);
  // Case matters; an empty prefix for LENGTH leaves the gap alone in front of it.
  const char* const upper[6] = {" L", " p", " q", " a", " f", " t"};
  EXPECT_FALSE(Decode("hello.0  l1A2B p000A q1A2B a0000 fFF t01", WithPrefixes(upper)).ok);
  const char* const emptyFirst[6] = {"", " ", " ", " ", " ", " "};
  Decoded d = Decode("x.3 0001 0002 0003 0000 FF 01", WithPrefixes(emptyFirst));
  EXPECT_TRUE(d.ok);
  EXPECT_EQ(d.header.length, 1);
  // The extras are optional for the caller.
  ZxHeader h = kCallerHeader;
  std::string name = "x.3  0001 0002 0003 0000 FF 01";
  EXPECT_TRUE(ParseFileName(name.data(), name.size(), DefaultNamingMode(), &h, nullptr));
  EXPECT_EQ(h.param2, 3);
}

TEST(ParseHeaderNumber, ReadsBackwardsUpToFiveDigits) {
  struct Row {
    const char* text;
    bool ok;
    uint32_t digits, hex, decimal;
    bool letter;
  };
  const Row rows[] = {
      {"x 12", true, 2, 0x12, 12, false},
      {"1A2B", true, 4, 0x1A2B, 0, true},
      {"99999", true, 5, 0x99999, 99999, false},
      {"FFFFF", true, 5, 0xFFFFF, 0, true},
      {"123456", false, 0, 0, 0, false},
      {"x1a", false, 0, 0, 0, false},
      {"", false, 0, 0, 0, false},
  };
  for (const Row& r : rows) {
    HeaderNumber n = ParseHeaderNumber(r.text, strlen(r.text));
    EXPECT_EQ(n.ok, r.ok) << r.text;
    if (!r.ok) continue;
    EXPECT_EQ(n.digits, r.digits) << r.text;
    EXPECT_EQ(n.hexValue, r.hex) << r.text;
    if (!r.letter) {
      EXPECT_EQ(n.decimalValue, r.decimal) << r.text;
    }
    EXPECT_EQ(n.letterSeen, r.letter) << r.text;
  }
  // The end position counts, not the end of the text.
  HeaderNumber n = ParseHeaderNumber("12 34", 2);
  EXPECT_EQ(n.decimalValue, 12u);
}

TEST(UnescapeName, EscapesAndWidths) {
  struct Row {
    const char* text;
    uint32_t width;
    std::string field;
  };
  const Row rows[] = {
      {"a#", 4, "a#  "},
      {"a#4", 4, "a#4 "},
      {"a#41", 4, "aA  "},
      {"#4g1", 4, "#4g1"},
      {"#00z", 4, std::string("\0z  ", 4)},
      {"abcdef", 3, "abc"},
      {"#41#42#43#44", 3, "ABC"},
      {"", 2, "  "},
  };
  for (const Row& r : rows) {
    uint8_t field[32];
    memset(field, 0xEE, sizeof field);
    UnescapeName(r.text, strlen(r.text), r.width, field);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(field), r.width), r.field) << r.text;
    EXPECT_EQ(field[r.width], 0xEE) << r.text;  // nothing beyond the width
  }
}

TEST(ParseDirName, SimpleViewDropsTheNumberOfTheFirstComponentOnly) {
  auto parse = [](const std::string& c, int32_t view, bool first) {
    uint8_t field[kDirNameLength];
    ParseDirName(c.data(), c.size(), view, first, field);
    std::string s(reinterpret_cast<char*>(field), kDirNameLength);
    return s.substr(0, s.find_last_not_of(' ') + 1);
  };
  EXPECT_EQ(parse(" 005 games", kViewSimple, true), "games");
  EXPECT_EQ(parse(" 005 games", kViewSimple, false), " 005 games");
  EXPECT_EQ(parse(" 005 games", kViewTree, true), " 005 games");
  EXPECT_EQ(parse(" 05x games", kViewSimple, true), " 05x games");
  EXPECT_EQ(parse("my dir#2E#2E#2E", kViewTree, false), "my dir...");
  EXPECT_EQ(parse("#50#52#4E", kViewTree, true), "PRN");
  EXPECT_EQ(parse("abcdefghijklmnopqrstuvwxyz0123", kViewTree, true), "abcdefghijklmnopqrstuvwxyz");
}
