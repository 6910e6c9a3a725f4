// Dreskin: creates a new, empty disk or tape image by calling the matching plugin's
// PackFiles with an empty list on a file that does not exist yet.
#pragma once
#include <cstddef>

#include "platform/module.h"

namespace ox::tool {

// Process exit codes besides a failed PackFiles' own result.
enum ExitCode : int {
  kExitCreated = 0,
  kExitRefused = 1,      // command line, usage, cancelled dialog, existing file
  kExitNoPlugin = 3,     // plugin file or its PackFiles missing
  kExitPathTooLong = 5,  // also: the name dialog could not be shown
  kExitNoCurrentDir = 7,
  kExitDebug = 11,
};

constexpr size_t kTargetPathSize = 1024;
constexpr size_t kCurrentDirSize = 1024;
constexpr size_t kCurrentDirLimit = 1019;
constexpr size_t kDebugTextSize = 1024;
constexpr size_t kOwnPathLimit = 260;

// Appends name to the directory in target (a buffer of kTargetPathSize) with one backslash
// between them, none when the directory already ends with a separator. False, with target
// unchanged, when the two would not leave room for that backslash and a terminator.
bool JoinDirectoryAndName(char* target, const char* name);

// The whole run for the command line (the text after the program name); gives the exit code.
// module: the program's own module, which holds the name dialog.
int RunTool(plat::ModuleHandle module, const char* commandLine);

}  // namespace ox::tool
