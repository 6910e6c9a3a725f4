// Private-profile files as Windows reads and writes them (measured under wine64):
// lines end at CR, LF or both; blank lines are dropped and other lines are written back
// trimmed ("[name]", "key=value", or a line without "=" as it stands), each ended by CR LF;
// only the first section of a name counts, and within it the first key of a name; a new
// key goes to the end of its section and a new section to the end of the file; writing
// the value a key already has leaves the file untouched.
#include "platform/profile.h"

#include <cstdlib>
#include <cstring>

#include "platform/file.h"

namespace plat {
namespace {

constexpr uint64_t kMaxProfileSize = 16u << 20;
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1A';
}

struct Span {
  const char* p = nullptr;
  size_t n = 0;
};

Span TrimLeft(Span s) {
  while (s.n > 0 && IsBlank(*s.p)) ++s.p, --s.n;
  return s;
}
Span TrimRight(Span s) {
  while (s.n > 0 && IsBlank(s.p[s.n - 1])) --s.n;
  return s;
}
Span Trim(Span s) { return TrimRight(TrimLeft(s)); }
Span SpanOf(const char* text) { return Span{text, text ? strlen(text) : 0}; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(Span a, Span b) {
  if (a.n != b.n) return false;
  for (size_t i = 0; i < a.n; ++i) {
    if (Lower(a.p[i]) != Lower(b.p[i])) return false;
  }
  return true;
}

// A growable byte buffer; this layer sits below the product's allocator, like the OS.
class Buffer {
 public:
  Buffer() = default;
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  ~Buffer() { free(data_); }
  char* data() const { return data_; }
  size_t size() const { return size_; }
  bool Reserve(size_t capacity) {
    if (capacity <= capacity_) return true;
    void* p = realloc(data_, capacity);
    if (!p) return false;
    data_ = static_cast<char*>(p);
    capacity_ = capacity;
    return true;
  }
  bool Append(Span s) {
    if (s.n == 0) return true;
    if (size_ + s.n > capacity_ && !Reserve((size_ + s.n) * 2 + 64)) return false;
    memcpy(data_ + size_, s.p, s.n);
    size_ += s.n;
    return true;
  }
  bool Append(const char* text) { return Append(SpanOf(text)); }
  void SetSize(size_t n) { size_ = n; }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

// Reads the whole file. A missing file reads as empty; any other failure is reported.
bool ReadProfileFile(const char* path, Buffer* out) {
  if (!path || !*path) return false;
  Handle file;
  if (!OpenFile(path, kAccessRead, kShareRead | kShareWrite, Disposition::kOpenExisting, kHintNone, &file)) {
    uint32_t error = LastError();
    return error == kErrFileNotFound;
  }
  uint64_t size = 0;
  uint32_t done = 0;
  bool ok = GetFileSize(file, &size) && size <= kMaxProfileSize && out->Reserve(size + 1) &&
            ReadFile(file, out->data(), static_cast<uint32_t>(size), &done);
  CloseFile(file);
  if (ok) out->SetSize(done);
  return ok;
}

bool WriteProfileFile(const char* path, const Buffer& text) {
  Handle file;
  if (!OpenFile(path, kAccessWrite, kShareNone, Disposition::kCreateAlways, kHintNone, &file)) return false;
  uint32_t done = 0;
  bool ok = WriteFile(file, text.data(), static_cast<uint32_t>(text.size()), &done) && done == text.size();
  return CloseFile(file) && ok;
}

struct Line {
  bool isSection = false;
  Span name;
  Span value;
  bool hasValue = false;
};

// Walks the lines of a profile text, skipping blank ones.
class LineReader {
 public:
  explicit LineReader(Span text) : text_(text) {
    if (text_.n >= 3 && memcmp(text_.p, kUtf8Mark, 3) == 0) {
      hasMark_ = true;
      text_.p += 3;
      text_.n -= 3;
    }
  }
  bool hasMark() const { return hasMark_; }

  bool Next(Line* line) {
    for (;;) {
      if (pos_ >= text_.n) return false;
      size_t start = pos_;
      while (pos_ < text_.n && text_.p[pos_] != '\n' && text_.p[pos_] != '\r') ++pos_;
      Span raw{text_.p + start, pos_ - start};
      if (pos_ < text_.n) ++pos_;
      Span s = Trim(raw);
      if (s.n == 0) continue;
      *line = Line{};
      if (s.p[0] == '[') {
        size_t close = s.n - 1;
        while (close > 0 && s.p[close] != ']') --close;
        if (close > 0) {
          line->isSection = true;
          line->name = Trim(Span{s.p + 1, close - 1});
          return true;
        }
      }
      const char* eq = static_cast<const char*>(memchr(s.p, '=', s.n));
      if (!eq) {
        line->name = s;
        return true;
      }
      line->name = TrimRight(Span{s.p, static_cast<size_t>(eq - s.p)});
      line->value = TrimLeft(Span{eq + 1, s.n - static_cast<size_t>(eq - s.p) - 1});
      line->hasValue = true;
      return true;
    }
  }

 private:
  Span text_;
  size_t pos_ = 0;
  bool hasMark_ = false;
};

// The raw value of the first such key in the first such section; false when the file
// cannot be read, or the key is missing or has no "=". The value points into the buffer.
bool FindValue(const char* section, const char* key, const char* path, Buffer* file, Span* value) {
  if (!section || !key || !ReadProfileFile(path, file)) return false;
  Span wantedSection = Trim(SpanOf(section));
  Span wantedKey = Trim(SpanOf(key));
  LineReader reader(Span{file->data(), file->size()});
  // Lines before the first section header belong to the section without a name.
  bool inSection = wantedSection.n == 0;
  Line line;
  while (reader.Next(&line)) {
    if (line.isSection) {
      if (inSection) return false;  // only the first section of the name counts
      inSection = SameName(line.name, wantedSection);
      continue;
    }
    if (inSection && SameName(line.name, wantedKey)) {
      if (!line.hasValue) return false;
      *value = line.value;
      return true;
    }
  }
  return false;
}

bool AppendLine(Buffer* out, const Line& line) {
  if (line.isSection) return out->Append("[") && out->Append(line.name) && out->Append("]\r\n");
  return out->Append(line.name) && (!line.hasValue || (out->Append("=") && out->Append(line.value))) &&
         out->Append("\r\n");
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

int32_t ProfileReadInt(const char* section, const char* key, int32_t defaultValue, const char* path) {
  // Windows reads the value as text into 30 characters first.
  char text[30];
  if (ProfileReadString(section, key, "", text, sizeof text, path) == 0) return defaultValue;
  const char* p = text;
  while (*p && static_cast<unsigned char>(*p) <= ' ') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  uint32_t base = 10;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'o' || p[1] == 'b')) {
    base = p[1] == 'x' ? 16 : p[1] == 'o' ? 8 : 2;
    p += 2;
  }
  uint32_t total = 0;
  for (; *p; ++p) {
    uint32_t digit;
    if (*p >= '0' && *p <= '9') digit = static_cast<uint32_t>(*p - '0');
    else if (*p >= 'A' && *p <= 'Z') digit = static_cast<uint32_t>(*p - 'A' + 10);
    else if (*p >= 'a' && *p <= 'z') digit = static_cast<uint32_t>(*p - 'a' + 10);
    else break;
    if (digit >= base) break;
    total = total * base + digit;  // wraps modulo 2^32, as Windows does
  }
  return static_cast<int32_t>(negative ? 0u - total : total);
}

uint32_t ProfileReadString(const char* section, const char* key, const char* defaultValue, char* buffer,
                           uint32_t size, const char* path) {
  if (!buffer || size == 0) return 0;
  Buffer file;
  Span value;
  if (FindValue(section, key, path, &file, &value)) {
    if (value.n >= 2 && (value.p[0] == '"' || value.p[0] == '\'') && value.p[value.n - 1] == value.p[0]) {
      ++value.p;
      value.n -= 2;
    }
  } else {
    value = SpanOf(defaultValue);
    while (value.n > 0 && value.p[value.n - 1] == ' ') --value.n;
  }
  size_t n = value.n < size - 1 ? value.n : size - 1;
  if (n) memcpy(buffer, value.p, n);
  buffer[n] = 0;
  return static_cast<uint32_t>(n);
}

bool ProfileWriteString(const char* section, const char* key, const char* value, const char* path) {
  if (!section || !key || !value || !path || !*path) return false;
  Buffer file;
  if (!ReadProfileFile(path, &file)) return false;
  Span wantedSection = Trim(SpanOf(section));
  Span wantedKey = Trim(SpanOf(key));
  // New names keep their trailing blanks, as Windows stores them.
  Line newKey;
  newKey.name = TrimLeft(SpanOf(key));
  newKey.value = TrimLeft(SpanOf(value));
  newKey.hasValue = true;

  LineReader reader(Span{file.data(), file.size()});
  Buffer out;
  bool ok = !reader.hasMark() || out.Append(kUtf8Mark);
  bool inSection = wantedSection.n == 0;
  bool sectionSeen = inSection;
  bool keyDone = false;
  Line line;
  while (ok && reader.Next(&line)) {
    if (line.isSection) {
      if (inSection && !keyDone) {
        ok = AppendLine(&out, newKey);
        keyDone = true;
      }
      inSection = !sectionSeen && SameName(line.name, wantedSection);
      sectionSeen = sectionSeen || inSection;
    } else if (inSection && !keyDone && SameName(line.name, wantedKey)) {
      if (line.hasValue && line.value.n == newKey.value.n &&
          memcmp(line.value.p, newKey.value.p, line.value.n) == 0) {
        return true;  // nothing changes, nothing is written
      }
      line.value = newKey.value;
      line.hasValue = true;
      keyDone = true;
    }
    ok = ok && AppendLine(&out, line);
  }
  if (ok && !keyDone) {
    if (!sectionSeen) {
      Line header;
      header.isSection = true;
      header.name = TrimLeft(SpanOf(section));
      ok = AppendLine(&out, header);
    }
    ok = ok && AppendLine(&out, newKey);
  }
  return ok && WriteProfileFile(path, out);
}

bool ProfileReadStruct(const char* section, const char* key, void* data, uint32_t size, const char* path) {
  Buffer file;
  Span value;
  if (!data && size) return false;
  if (!FindValue(section, key, path, &file, &value)) return false;
  if (value.n != (static_cast<size_t>(size) + 1) * 2) return false;
  // Check every digit and the sum before anything reaches the caller's buffer.
  uint32_t sum = 0;
  for (size_t i = 0; i < value.n; i += 2) {
    int high = HexDigit(value.p[i]), low = HexDigit(value.p[i + 1]);
    if (high < 0 || low < 0) return false;
    if (i + 2 < value.n) sum += static_cast<uint32_t>(high * 16 + low);
    else if (static_cast<uint32_t>(high * 16 + low) != (sum & 0xFF)) return false;
  }
  auto* bytes = static_cast<uint8_t*>(data);
  for (uint32_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<uint8_t>(HexDigit(value.p[2 * i]) * 16 + HexDigit(value.p[2 * i + 1]));
  }
  return true;
}

bool ProfileWriteStruct(const char* section, const char* key, const void* data, uint32_t size,
                        const char* path) {
  static const char kDigits[] = "0123456789ABCDEF";
  if (!data && size) return false;
  Buffer text;
  if (!text.Reserve((static_cast<size_t>(size) + 1) * 2 + 1)) return false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  char* p = text.data();
  uint32_t sum = 0;
  for (uint32_t i = 0; i <= size; ++i) {
    uint8_t b = i < size ? bytes[i] : static_cast<uint8_t>(sum);
    sum += b;
    *p++ = kDigits[b >> 4];
    *p++ = kDigits[b & 15];
  }
  *p = 0;
  return ProfileWriteString(section, key, text.data(), path);
}

}  // namespace plat
