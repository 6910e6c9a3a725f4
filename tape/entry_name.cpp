#include "tape/entry_name.h"

#include <cstring>

#include "common/host_api.h"
#include "common/naming.h"
#include "tape/tape_module.h"

namespace ox::tape {

namespace {
void CopyName(const NameBuffer& name, char* out) {
  // Names are at most 147 characters, well inside the host's field.
  static_assert(kNameBufferSize <= host::kNameField, "a name always fits the header record");
  memcpy(out, name.text, name.length + 1);
}
}  // namespace

Status BuildEntryName(const uint8_t* zxHeader, uint32_t duplicateIndex, char* out) {
  NameBuffer name;
  OX_TRY(BuildFileName(ReadZxHeader(zxHeader), kTapeHeaderExtras, Module().naming, duplicateIndex,
                       kTapeNameMessages, &name));
  CopyName(name, out);
  return Success();
}

void HeaderlessEntryName(uint32_t number, char* out) {
  NameBuffer name;
  BuildHeaderlessName(number, &name);
  CopyName(name, out);
}

bool IsHeaderlessName(const char* namePart, uint32_t length) {
  static const char kWord[] = "headerless";
  const uint32_t word = sizeof kWord - 1;
  if (length <= word || memcmp(namePart, kWord, word) != 0) return false;
  const char* rest = namePart + word;
  uint32_t restLength = length - word;
  if (rest[0] == '0') return false;
  uint32_t digits = 0;
  while (digits < restLength && digits < 10 && rest[digits] >= '0' && rest[digits] <= '9') ++digits;
  return digits < 10;
}

}  // namespace ox::tape
