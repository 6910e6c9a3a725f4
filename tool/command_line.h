// The tool's command line: the text after the program name, split into arguments.
#pragma once
#include "common/alloc.h"

namespace ox::tool {

constexpr int kMaxArguments = 10;

struct Arguments {
  HeapBlock<char> items[kMaxArguments];
  int count = 0;
  const char* operator[](int i) const { return items[i].get(); }
};

// Splits at spaces (the character 32 only) outside quoting. A double quote starts or ends
// quoting anywhere in an argument and is dropped; inside quoting two in a row give one.
// An eleventh argument, a failed allocation or an unclosed quote shows its message and
// gives false.
bool SplitCommandLine(const char* commandLine, Arguments* args);

// POSIX programs receive their arguments already split by the shell. The tool's command
// line is rebuilt from them: joined with single spaces, each as given, except that one
// holding a space but no double quote is enclosed in quotes and an empty one becomes "".
// So a path quoted for the shell stays one argument, and the tool's own quoting written
// inside an argument keeps its meaning. An empty block when memory fails.
HeapBlock<char> JoinArguments(int count, const char* const* arguments);

}  // namespace ox::tool
