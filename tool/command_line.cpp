#include "tool/command_line.h"

#include <cstring>
#include <utility>

#include "tool/messages.h"

namespace ox::tool {

bool SplitCommandLine(const char* commandLine, Arguments* args) {
  const size_t length = strlen(commandLine);
  const char* p = commandLine;
  args->count = 0;
  for (;;) {
    while (*p == ' ') ++p;
    if (!*p) return true;
    if (args->count == kMaxArguments) {
      ToolMessage("Too many arguments");
      return false;
    }
    HeapBlock<char> item(static_cast<char*>(Allocate(length + 1)));
    if (!item) {
      ToolMessage("Not enough memory");
      return false;
    }
    char* out = item.get();
    bool quoting = false;
    for (; *p && (quoting || *p != ' '); ++p) {
      if (*p != '"') {
        *out++ = *p;
      } else if (!quoting) {
        quoting = true;
      } else if (p[1] == '"') {
        *out++ = '"';
        ++p;
      } else {
        quoting = false;
      }
    }
    if (quoting) {
      ToolMessage("Bad arguments (no enclosing quote)");
      return false;
    }
    *out = 0;
    args->items[args->count++] = std::move(item);
  }
}

HeapBlock<char> JoinArguments(int count, const char* const* arguments) {
  auto enclose = [](const char* a) { return !*a || (strchr(a, ' ') && !strchr(a, '"')); };
  size_t size = 1;
  for (int i = 0; i < count; ++i) size += strlen(arguments[i]) + 3;
  HeapBlock<char> text(static_cast<char*>(Allocate(size)));
  if (!text) return text;
  char* out = text.get();
  for (int i = 0; i < count; ++i) {
    if (i) *out++ = ' ';
    bool quoted = enclose(arguments[i]);
    if (quoted) *out++ = '"';
    size_t n = strlen(arguments[i]);
    memcpy(out, arguments[i], n);
    out += n;
    if (quoted) *out++ = '"';
  }
  *out = 0;
  return text;
}

}  // namespace ox::tool
