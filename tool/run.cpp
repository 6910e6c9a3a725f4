#include "tool/run.h"

#include <cstdio>
#include <cstring>

#include "common/host_api.h"
#include "common/settings.h"
#include "platform/file.h"
#include "platform/profile.h"
#include "tool/command_line.h"
#include "tool/messages.h"
#include "tool/name_dialog.h"

namespace ox::tool {

namespace {

constexpr const char* kUsage =
    "Invalid arguments.\n\nUSAGE:\ndreskin <-newmbd | -newtap> <\"file path\" | -askname \"directory\">";

struct PluginChoice {
  const char* file;
  const char* notFound;
  const char* extension;
};

// Hosts load 64-bit plugins under their own extension, and so does the 64-bit tool.
#if defined(_WIN32) && defined(_WIN64)
constexpr PluginChoice kDiskPlugin = {"Vorkel.wcx64", "Vorkel.wcx64 not found", ".mbd"};
constexpr PluginChoice kTapePlugin = {"Nalmet.wcx64", "Nalmet.wcx64 not found", ".tap"};
#else
constexpr PluginChoice kDiskPlugin = {"Vorkel.wcx", "Vorkel.wcx not found", ".mbd"};
constexpr PluginChoice kTapePlugin = {"Nalmet.wcx", "Nalmet.wcx not found", ".tap"};
#endif

int ShowDebugText(const char* commandLine, const Arguments& args) {
  static const char kHead[] = "DEBUG MODE\n";
  size_t size = strlen(kHead) + strlen(commandLine) + 1 + 1;
  for (int i = 0; i < args.count; ++i) size += strlen(args[i]) + 1;
  char text[kDebugTextSize];
  if (size > sizeof text) {
    ToolMessage("Command line too long");
    return kExitDebug;
  }
  char* out = text;
  auto put = [&out](const char* s) {
    size_t n = strlen(s);
    memcpy(out, s, n);
    out += n;
  };
  put(kHead);
  put(commandLine);
  put("\n");
  for (int i = 0; i < args.count; ++i) {
    put(args[i]);
    put("\n");
  }
  *out = 0;
  ToolMessage(text);
  return kExitDebug;
}

// The settings file beside the program, or false when the program's own path does not fit
// in 260 characters: then the remembered name is neither read nor written anywhere else.
bool ToolConfigPath(plat::ModuleHandle module, char* configPath) {
  char own[kPathBufferSize];
  uint32_t n = plat::GetModulePath(module, own, sizeof own);
  if (n == 0 || n > kOwnPathLimit) return false;
  ConfigPaths paths;
  if (!BuildConfigPath(own, &paths)) return false;
  memcpy(configPath, paths.ConfigFilePath, sizeof paths.ConfigFilePath);
  return true;
}

bool FileExists(const char* path) {
  plat::Handle file;
  if (!plat::OpenFile(path, 0, plat::kShareRead | plat::kShareWrite, plat::Disposition::kOpenExisting,
                      plat::kHintNone, &file)) {
    return false;
  }
  plat::CloseFile(file);
  return true;
}

}  // namespace

bool JoinDirectoryAndName(char* target, const char* name) {
  size_t dirLength = strlen(target), nameLength = strlen(name);
  if (nameLength + dirLength + 2 > kTargetPathSize) return false;
  bool separated = dirLength > 0 && (target[dirLength - 1] == '/' || target[dirLength - 1] == '\\');
  if (!separated) target[dirLength++] = '\\';
  memcpy(target + dirLength, name, nameLength + 1);
  return true;
}

int RunTool(plat::ModuleHandle module, const char* commandLine) {
  Arguments args;
  if (!SplitCommandLine(commandLine, &args)) return kExitRefused;
  if (commandLine[0] == '#') return ShowDebugText(commandLine, args);

  bool disk = false, tape = false, askName = false, invalid = false;
  const char* pathArgument = nullptr;
  for (int i = 0; i < args.count; ++i) {
    if (strcmp(args[i], "-newmbd") == 0) disk = true;
    else if (strcmp(args[i], "-newtap") == 0) tape = true;
    else if (strcmp(args[i], "-askname") == 0) askName = true;
    else if (pathArgument) invalid = true;
    else pathArgument = args[i];
  }
  if (disk == tape || !pathArgument || invalid) {
    ToolMessage(kUsage);
    return kExitRefused;
  }
  const PluginChoice& plugin = disk ? kDiskPlugin : kTapePlugin;

  // Never unloaded: the library goes away with the process.
  void* library = plat::LoadModuleByName(plugin.file);
  if (!library) {
    ToolMessage(plugin.notFound);
    return kExitNoPlugin;
  }
  auto packFiles = reinterpret_cast<host::PackFilesFn>(plat::GetExport(library, "PackFiles"));
  if (!packFiles) {
    ToolMessage("PackFiles() function not found");
    return kExitNoPlugin;
  }

  char configPath[kPathBufferSize];
  char name[kNameSize] = {};
  bool haveConfig = ToolConfigPath(module, configPath);
  if (haveConfig) {
    plat::ProfileReadString(kConfigSection, kKeyDefImageName, kDefaultImageName, name, kNameSize, configPath);
  }

  char target[kTargetPathSize];
  size_t pathLength = strlen(pathArgument);
  if (pathLength + 1 > sizeof target) {
    ToolMessage("Path too long");
    return kExitPathTooLong;
  }
  memcpy(target, pathArgument, pathLength + 1);

  if (askName) {
    uint32_t selected = OfferName(name, plugin.extension);
    intptr_t answer = NameDialog(module, name, static_cast<int>(selected));
    if (answer == 2) return kExitRefused;
    if (answer != 1) {
      ToolMessage("Error showing dialog");
      return kExitPathTooLong;
    }
    if (!JoinDirectoryAndName(target, name)) {
      ToolMessage("Path too long");
      return kExitPathTooLong;
    }
    // Remembered before the file is made, so a failed creation still keeps the name.
    if (haveConfig) plat::ProfileWriteString(kConfigSection, kKeyDefImageName, name, configPath);
  }

  if (FileExists(target)) {
    ToolMessage("File already exists.");
    return kExitRefused;
  }

  char currentDir[kCurrentDirSize];
  uint32_t currentLength = plat::CurrentDir(currentDir, sizeof currentDir);
  if (currentLength == 0 || currentLength > kCurrentDirLimit) {
    ToolMessage("Path too long");
    return kExitNoCurrentDir;
  }

  char emptyList[2] = {0, 0};
  int result = packFiles(target, nullptr, currentDir, emptyList, 0);
  plat::ChangeDir(currentDir);  // the plugin leaves its own choice current
  if (result != 0) ToolMessage(ResultText(result));
  return result;
}

}  // namespace ox::tool
