// The naming scheme shared by both plugins: a Spectrum header (with its three further
// values) becomes the PC name the host shows, and such a name becomes a header again.
// Names must be valid Windows file names, so forbidden bytes are written "#" + two
// upper-case hexadecimal digits.
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/settings.h"
#include "common/status.h"
#include "common/zx_header.h"

namespace ox {

constexpr uint32_t kMaxNameLength = 147;     // the longest name any entry may be listed under
constexpr uint32_t kDirNameLength = 26;      // the name field of a directory record
constexpr uint32_t kNameBufferSize = 256;    // room for every name before its length is checked

// A name under construction; always terminated. Appending beyond the buffer is cut
// (the lengths of names the scheme builds stay well inside it).
struct NameBuffer {
  char text[kNameBufferSize];
  uint32_t length;

  NameBuffer() { Clear(); }
  void Clear() {
    length = 0;
    text[0] = 0;
  }
  void Append(char c) {
    if (length + 1 < kNameBufferSize) {
      text[length++] = c;
      text[length] = 0;
    }
  }
  void Append(const char* s, size_t n) {
    for (size_t i = 0; i < n; ++i) Append(s[i]);
  }
  void Append(const char* s) {
    while (*s) Append(*s++);
  }
};

// The shown texts of the two length failures, which differ between the plugins.
struct NameLimitMessages {
  const char* noRoomForSuffix;  // a name longer than 135 characters needs a duplicate suffix
  const char* tooLong;          // the finished name is longer than 147 characters
};
constexpr NameLimitMessages kDiskNameMessages{"ERROR 022", "ERROR 021"};
constexpr NameLimitMessages kTapeNameMessages{"022", "ERROR 021"};

// ---- Header to name ----

// Appends the escaped first `width` bytes of a name field (trailing bytes up to 32
// dropped). Directory rules also escape trailing dots and the names prn and con.
void EscapeName(const uint8_t* field, uint32_t width, bool directoryRules, NameBuffer* out);

// Appends what follows the dot: the type, `gap` spaces, then each FieldPrefix and its value
// (values: LENGTH, PARAM1, PARAM2, Body Addr as 16-bit, Body Flags, Attributes as 8-bit).
void FormatHeaderFields(uint8_t type, const uint16_t values[kFieldCount], const NamingMode& mode, uint32_t gap,
                        NameBuffer* out);

// The whole name of an entry with a header, with the suffix of duplicate index d
// ("[d+1]" when d > 0). Fails with a shown message when the name gets too long.
Status BuildFileName(const ZxHeader& header, const HeaderExtras& extras, const NamingMode& mode,
                     uint32_t duplicateIndex, const NameLimitMessages& messages, NameBuffer* out);

// The last step of every listed name; nothing is appended for duplicate index 0.
Status AppendDuplicateSuffix(NameBuffer* name, uint32_t duplicateIndex, const NameLimitMessages& messages);

// The names of entries without a header, without their suffix: "headerless" + number;
// a directory in the Tree view; a directory in the Simple view (" 007 name", or "007"
// alone when its record is not at hand: dirName null).
void BuildHeaderlessName(uint32_t number, NameBuffer* out);
void BuildTreeDirName(const uint8_t* dirName, NameBuffer* out);
void BuildSimpleDirName(uint32_t number, const uint8_t* dirName, NameBuffer* out);

// ---- Name to header ----

struct HeaderNumber {
  bool ok;
  uint32_t digits;
  uint32_t hexValue;
  uint32_t decimalValue;
  bool letterSeen;  // A to F among the digits
};

// Reads the run of digits (0-9, A-F) that ends before text[end], backwards; fails on
// no digit or on more than five.
HeaderNumber ParseHeaderNumber(const char* text, size_t end);

// Always writes header->name. Only when the whole name decodes under the prefixes of
// `mode` (either radix, any gap) are the type, length, parameters and extras written
// (extras may be null); returns whether it did. Other fields keep the caller's values.
bool ParseFileName(const char* name, size_t length, const NamingMode& mode, ZxHeader* header,
                   HeaderExtras* extras);

// Fills exactly `width` bytes: "#" + two upper-case hexadecimal digits is one byte,
// everything else is copied; the rest of the text beyond the field is dropped and
// the field is padded with spaces.
void UnescapeName(const char* text, size_t length, uint32_t width, uint8_t* field);

// The 26-byte name of a new directory. In the Simple view the first component of a path
// loses the " 000 " number it is listed with.
void ParseDirName(const char* component, size_t length, int32_t viewMode, bool firstComponent,
                  uint8_t field[kDirNameLength]);

}  // namespace ox
