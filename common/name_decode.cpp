#include <cstring>

#include "common/naming.h"

namespace ox {
namespace {

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

HeaderNumber ParseHeaderNumber(const char* text, size_t end) {
  HeaderNumber r{};
  uint32_t hexPlace = 1, decimalPlace = 1;
  while (end > 0) {
    char c = text[end - 1];
    uint32_t v;
    if (IsDecimalDigit(c)) v = static_cast<uint32_t>(c - '0');
    else if (c >= 'A' && c <= 'F') v = static_cast<uint32_t>(c - 'A' + 10);
    else break;
    if (r.digits == 5) return HeaderNumber{};  // a sixth digit: no value of the scheme is so long
    if (v < 10) r.decimalValue += v * decimalPlace;
    else r.letterSeen = true;
    r.hexValue += v * hexPlace;
    hexPlace *= 16;
    decimalPlace *= 10;
    ++r.digits;
    --end;
  }
  r.ok = r.digits > 0;
  return r;
}

bool ParseFileName(const char* name, size_t length, const NamingMode& mode, ZxHeader* header,
                   HeaderExtras* extras) {
  // The duplicate suffix "[n]" of a listed name.
  if (length > 1 && name[length - 1] == ']') {
    size_t p = length - 1;
    while (p > 0 && IsDecimalDigit(name[p - 1])) --p;
    if (p < length - 1 && p > 0 && name[p - 1] == '[') length = p - 1;
  }

  // From the end: six values, each behind its prefix, then the gap, the type and the dot.
  auto decode = [&](uint8_t* type, uint32_t values[kFieldCount], size_t* namePart) {
    uint32_t digits[kFieldCount];
    bool hex = false;
    size_t end = length;
    for (uint32_t k = kFieldCount; k-- > 0;) {
      HeaderNumber n = ParseHeaderNumber(name, end);
      if (!n.ok) return false;
      if (k == kFieldCount - 1) hex = n.digits % 2 == 0;  // the radix shows in the digit counts
      if ((n.digits % 2 == 0) != hex || (!hex && n.letterSeen)) return false;
      values[k] = hex ? n.hexValue : n.decimalValue;
      digits[k] = n.digits;
      end -= n.digits;
      size_t prefixLength = strnlen(mode.FieldPrefix[k], kFieldPrefixSize);
      if (prefixLength > end || memcmp(name + end - prefixLength, mode.FieldPrefix[k], prefixLength) != 0) {
        return false;
      }
      end -= prefixLength;
    }
    if (end == 0 || name[end - 1] != ' ') return false;
    while (end > 0 && name[end - 1] == ' ') --end;
    HeaderNumber t = ParseHeaderNumber(name, end);
    if (!t.ok || (!hex && t.letterSeen) || t.digits > (hex ? 2u : 3u)) return false;
    uint32_t typeValue = hex ? t.hexValue : t.decimalValue;
    if (typeValue >= 256) return false;
    end -= t.digits;
    if (end == 0 || name[end - 1] != '.') return false;
    for (uint32_t k = 0; k < kFieldCount; ++k) {
      bool word = k < 4;
      uint32_t width = word ? (hex ? 4 : 5) : (hex ? 2 : 3);
      if (digits[k] != width || values[k] >= (word ? 65536u : 256u)) return false;
    }
    *type = static_cast<uint8_t>(typeValue);
    *namePart = end - 1;
    return true;
  };

  uint8_t type;
  uint32_t values[kFieldCount];
  size_t namePart;
  bool decoded = decode(&type, values, &namePart);
  if (decoded) {
    header->type = type;
    header->length = static_cast<uint16_t>(values[0]);
    header->param1 = static_cast<uint16_t>(values[1]);
    header->param2 = static_cast<uint16_t>(values[2]);
    if (extras) {
      extras->bodyAddress = static_cast<uint16_t>(values[3]);
      extras->bodyFlags = static_cast<uint8_t>(values[4]);
      extras->attributes = static_cast<uint8_t>(values[5]);
    }
  }
  UnescapeName(name, decoded ? namePart : length, kZxNameLength, header->name);
  return decoded;
}

void ParseDirName(const char* component, size_t length, int32_t viewMode, bool firstComponent,
                  uint8_t field[kDirNameLength]) {
  if (viewMode == kViewSimple && firstComponent && length >= 5 && component[0] == ' ' &&
      IsDecimalDigit(component[1]) && IsDecimalDigit(component[2]) && IsDecimalDigit(component[3]) &&
      component[4] == ' ') {
    component += 5;
    length -= 5;
  }
  UnescapeName(component, length, kDirNameLength, field);
}

}  // namespace ox
