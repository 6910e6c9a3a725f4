#include "common/naming.h"

namespace ox {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Bytes Windows forbids in names, and every byte beyond ASCII.
bool NeedsEscape(uint8_t b) {
  switch (b) {
    case '"': case '<': case '>': case '|': case '\\': case '/': case '?': case '*': case ':':
      return true;
    default:
      return b < 32 || b >= 127;
  }
}

void AppendEscape(uint8_t b, NameBuffer* out) {
  out->Append('#');
  out->Append(kHexDigits[b >> 4]);
  out->Append(kHexDigits[b & 15]);
}

// Only upper-case letters are digits of the scheme.
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsDeviceName(const char* s) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  char a = lower(s[0]), b = lower(s[1]), c = lower(s[2]);
  return (a == 'p' && b == 'r' && c == 'n') || (a == 'c' && b == 'o' && c == 'n');
}

}  // namespace

void EscapeName(const uint8_t* field, uint32_t width, bool directoryRules, NameBuffer* out) {
  uint32_t n = width;
  while (n > 0 && field[n - 1] <= 32) --n;
  uint32_t start = out->length;
  for (uint32_t i = 0; i < n; ++i) {
    if (NeedsEscape(field[i])) AppendEscape(field[i], out);
    else out->Append(static_cast<char>(field[i]));
  }
  if (!directoryRules) return;
  // Windows drops trailing dots of a directory name, and prn and con are devices.
  uint32_t dots = 0;
  while (out->length > start && out->text[out->length - 1] == '.') {
    out->text[--out->length] = 0;
    ++dots;
  }
  for (uint32_t i = 0; i < dots; ++i) AppendEscape('.', out);
  if (out->length - start == 3 && IsDeviceName(out->text + start)) {
    char name[3] = {out->text[start], out->text[start + 1], out->text[start + 2]};
    out->length = start;
    out->text[start] = 0;
    for (char c : name) AppendEscape(static_cast<uint8_t>(c), out);
  }
}

void UnescapeName(const char* text, size_t length, uint32_t width, uint8_t* field) {
  size_t i = 0;
  uint32_t o = 0;
  while (i < length && o < width) {
    if (text[i] == '#' && i + 2 < length && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      field[o++] = static_cast<uint8_t>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 3;
    } else {
      field[o++] = static_cast<uint8_t>(text[i++]);
    }
  }
  while (o < width) field[o++] = ' ';
}

}  // namespace ox
