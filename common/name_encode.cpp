#include "common/naming.h"

namespace ox {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendNumber(uint64_t value, uint32_t base, uint32_t width, NameBuffer* out) {
  char digits[24];
  uint32_t n = 0;
  do {
    digits[n++] = kHexDigits[value % base];
    value /= base;
  } while (value);
  while (n < width) digits[n++] = '0';
  while (n > 0) out->Append(digits[--n]);
}

}  // namespace

void FormatHeaderFields(uint8_t type, const uint16_t values[kFieldCount], const NamingMode& mode, uint32_t gap,
                        NameBuffer* out) {
  bool decimal = mode.ParamsInDecimal != 0;
  uint32_t base = decimal ? 10 : 16;
  AppendNumber(type, base, 1, out);
  for (uint32_t i = 0; i < gap; ++i) out->Append(' ');
  for (uint32_t i = 0; i < kFieldCount; ++i) {
    const char* prefix = mode.FieldPrefix[i];
    for (uint32_t j = 0; j < kFieldPrefixSize && prefix[j]; ++j) out->Append(prefix[j]);
    bool word = i < 4;
    uint32_t value = word ? values[i] : values[i] & 0xFF;
    AppendNumber(value, base, word ? (decimal ? 5 : 4) : (decimal ? 3 : 2), out);
  }
}

Status AppendDuplicateSuffix(NameBuffer* name, uint32_t duplicateIndex, const NameLimitMessages& messages) {
  if (duplicateIndex > 0) {
    // "[" + up to ten digits + "]" must still fit.
    if (name->length + 12 > kMaxNameLength) return ShownMessage(messages.noRoomForSuffix);
    name->Append('[');
    AppendNumber(static_cast<uint64_t>(duplicateIndex) + 1, 10, 1, name);
    name->Append(']');
  }
  if (name->length > kMaxNameLength) return ShownMessage(messages.tooLong);
  return Success();
}

Status BuildFileName(const ZxHeader& header, const HeaderExtras& extras, const NamingMode& mode,
                     uint32_t duplicateIndex, const NameLimitMessages& messages, NameBuffer* out) {
  out->Clear();
  EscapeName(header.name, kZxNameLength, false, out);
  // A variable gap lines the first prefix up in one column for names up to 12 characters.
  uint32_t gap = mode.VariableGap && out->length <= 12 ? 13 - out->length : 1;
  out->Append('.');
  const uint16_t values[kFieldCount] = {header.length, header.param1, header.param2,
                                        extras.bodyAddress, extras.bodyFlags, extras.attributes};
  FormatHeaderFields(header.type, values, mode, gap, out);
  return AppendDuplicateSuffix(out, duplicateIndex, messages);
}

void BuildHeaderlessName(uint32_t number, NameBuffer* out) {
  out->Clear();
  out->Append("headerless");
  AppendNumber(number, 10, 1, out);
}

void BuildTreeDirName(const uint8_t* dirName, NameBuffer* out) {
  out->Clear();
  EscapeName(dirName, kDirNameLength, true, out);
}

void BuildSimpleDirName(uint32_t number, const uint8_t* dirName, NameBuffer* out) {
  out->Clear();
  if (dirName) out->Append(' ');
  AppendNumber(number, 10, 3, out);
  if (!dirName) return;
  out->Append(' ');
  EscapeName(dirName, kDirNameLength, true, out);
}

}  // namespace ox
